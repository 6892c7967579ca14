#pragma once

#include <QLabel>
#include <QRect>
#include <QWidget>

namespace gui {

// Layouts are given in twips: 15 twips make one device-independent pixel. Qt's high-DPI scaling does the rest.
constexpr int TwipsPerPixel = 15;

constexpr int px(int twips)
{
    return (twips + (twips >= 0 ? TwipsPerPixel / 2 : -TwipsPerPixel / 2)) / TwipsPerPixel;
}

constexpr int twips(int pixels)
{
    return pixels * TwipsPerPixel;
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

/** Places a widget at a rectangle given in twips, offset by `origin` pixels. A widget whose text needs more height
 *  than the rectangle gives grows around the rectangle's middle, so small labels and check boxes stay readable. */
inline void placeTwips(QWidget* widget, int left, int top, int width, int height, QPoint origin = {})
{
    QRect r = twipsRect(left, top, width, height).translated(origin);
    // A one-line label whose text is wider than its place takes the width it needs.
    if (auto* label = qobject_cast<QLabel*>(widget);
        label && !label->wordWrap() && label->frameShape() == QFrame::NoFrame)
        r.setWidth(qMax(r.width(), label->sizeHint().width()));
    const int needed = widget->hasHeightForWidth() ? widget->heightForWidth(r.width()) : widget->sizeHint().height();
    if (needed > r.height() && height < 400) {
        const int grow = needed - r.height();
        r.adjust(0, -grow / 2, 0, grow - grow / 2);
    }
    widget->setGeometry(r);
}

} // namespace gui
