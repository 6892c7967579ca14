#pragma once

#include <QList>
#include <QRect>
#include <QString>

namespace print {

/** One key label of the virtual keyboard: its caption, its index (the key's label index), its place in twips
 *  inside its frame, a caption font larger than the default where the glyph is small, and whether it is one of the
 *  modifier or Break keys that have no row in the key table. */
struct KeyLabelSpec
{
    QString caption;
    int index;
    int frame; // 1 main block, 2 navigation block and keypad
    QRect twips;
    double fontPoints; // 0: the default size
    bool disabled;
};

/** The 104 key labels, frame by frame and row by row. */
const QList<KeyLabelSpec>& keyboardLayout();

/** The two frames of keys in twips of the window's tab control, as the "Locate spare keys" page places them; a
 *  printed map scales the same picture. */
constexpr QRect Frame1Twips(180, 480, 5535, 2955);
constexpr QRect Frame2Twips(5880, 480, 3315, 2955);

} // namespace print
