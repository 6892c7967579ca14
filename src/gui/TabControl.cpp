#include "TabControl.h"

#include "Twips.h"

#include <QEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QTabBar>

namespace gui {

// Tabs of 2940 twips; where the row is too short for them all (six at the usual width), each tab gets a share of it
// in proportion to what its caption and buttons need. A longer caption is shortened in the middle.
// The buttons in the tabs do not make the row taller than a row of captions.
class TabControl::TabBar final : public QTabBar
{
public:
    using QTabBar::QTabBar;

    // As the tab bar measures a tab with a caption only.
    int captionRowHeight() const
    {
        return fontMetrics().height() + style()->pixelMetric(QStyle::PM_TabBarTabVSpace, nullptr, this);
    }

protected:
    QSize tabSizeHint(int index) const override
    {
        const int full = px(2940);
        const int available = width();
        if (available <= 0 || available >= count() * full)
            return QSize(full, captionRowHeight());
        int needed = 0;
        for (int i = 0; i < count(); ++i)
            needed += qMin(full, need(i));
        const int share = needed >= available ? available / count()
                                              : static_cast<int>(qint64(qMin(full, need(index))) * available / needed);
        return QSize(qMin(full, share), captionRowHeight());
    }
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }

private:
    // The caption's width, its margins and the tab's buttons.
    int need(int index) const
    {
        int width = fontMetrics().horizontalAdvance(tabText(index))
            + 2 * style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, this);
        for (const auto side : {QTabBar::LeftSide, QTabBar::RightSide}) {
            if (const QWidget* button = tabButton(index, side))
                width += button->width() + 4;
        }
        return width;
    }
};

TabControl::TabControl(QWidget* parent)
    : QWidget(parent)
    , m_bar(new TabBar(this))
{
    m_bar->setObjectName(QStringLiteral("SSTab1Tabs"));
    m_bar->setExpanding(false);
    m_bar->setDrawBase(false);
    m_bar->setElideMode(Qt::ElideMiddle);
    m_bar->setMouseTracking(true);
    m_bar->installEventFilter(this);
    setMouseTracking(true);
    connect(m_bar, &QTabBar::currentChanged, this, [this](int index) {
        for (int i = 0; i < m_pages.size(); ++i)
            m_pages[i]->setVisible(i == index);
        showHeaderWidgets();
        emit currentChanged(index);
    });
}

int TabControl::addPage(const QString& objectName, const QString& caption)
{
    auto* page = new QWidget(this);
    page->setObjectName(objectName);
    page->setAutoFillBackground(true);
    page->setMouseTracking(true);
    page->installEventFilter(this);
    m_pages.append(page);
    const int index = m_bar->addTab(caption);
    page->setVisible(index == m_bar->currentIndex());
    layoutPages();
    return index;
}

int TabControl::currentIndex() const
{
    return m_bar->currentIndex();
}

void TabControl::setCurrentIndex(int index)
{
    m_bar->setCurrentIndex(index);
}

QString TabControl::tabText(int index) const
{
    return m_bar->tabText(index);
}

void TabControl::setTabText(int index, const QString& text)
{
    m_bar->setTabText(index, text);
}

void TabControl::placeOnPage(int index, QWidget* widget, int left, int top, int width, int height)
{
    QWidget* p = page(index);
    placeTwips(widget, left, top, width, height, p ? -p->pos() : QPoint());
    for (auto& placed : m_placed) {
        if (placed.widget == widget) {
            placed.twips = QRect(left, top, width, height);
            return;
        }
    }
    m_placed.append({index, widget, QRect(left, top, width, height)});
}

void TabControl::addHeaderWidget(int index, QWidget* widget, Qt::Edge side)
{
    const int length = qMin(px(315), static_cast<TabBar*>(m_bar)->captionRowHeight() - 4);
    widget->setFixedSize(length, length);
    m_bar->setTabButton(index, side == Qt::LeftEdge ? QTabBar::LeftSide : QTabBar::RightSide, widget);
    m_headerWidgets.append({index, widget});
    showHeaderWidgets();
}

void TabControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutPages();
}

bool TabControl::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && (watched == m_bar || m_pages.contains(watched))) {
        // Moves that a control on a page passed on to the page are not moves over the page itself.
        auto* widget = static_cast<QWidget*>(watched);
        const auto* move = static_cast<QMouseEvent*>(event);
        if (!widget->childAt(move->position().toPoint()))
            emit surfaceHovered();
    }
    return QWidget::eventFilter(watched, event);
}

void TabControl::layoutPages()
{
    const int barHeight = m_bar->sizeHint().height();
    m_bar->setGeometry(0, 0, width(), barHeight);
    for (QWidget* page : m_pages)
        page->setGeometry(0, barHeight, width(), qMax(0, height() - barHeight));
    for (const auto& placed : m_placed)
        placeTwips(placed.widget, placed.twips.x(), placed.twips.y(), placed.twips.width(), placed.twips.height(),
            QPoint(0, -barHeight));
}

void TabControl::showHeaderWidgets()
{
    for (const auto& header : m_headerWidgets)
        header.widget->setVisible(header.page == currentIndex());
}

} // namespace gui
