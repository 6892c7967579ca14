#include "ElidedLabel.h"

#include <QPainter>
#include <QStyle>

namespace gui {

void ElidedLabel::setFullText(const QString& text, const QString& toolTip)
{
    setText(text);
    setToolTip(toolTip);
}

QSize ElidedLabel::minimumSizeHint() const
{
    return QSize(fontMetrics().averageCharWidth() * 8, QLabel::minimumSizeHint().height());
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect().adjusted(margin() + 2, margin(), -margin() - 2, -margin());
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width());
    style()->drawItemText(&painter, area, int(alignment() | Qt::AlignVCenter) & ~Qt::AlignTop, palette(), isEnabled(),
        shown, foregroundRole());
}

} // namespace gui
