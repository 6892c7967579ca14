#pragma once

#include <QLabel>

namespace gui {

/** A one-line label that shows a text too long for it shortened in the middle ("/home/…/keys.key"), with the whole
 *  text as its tool tip. Its text stays whole. */
class ElidedLabel final : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

    /** Sets the text and the tool tip that shows it whole. */
    void setFullText(const QString& text, const QString& toolTip);
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace gui
