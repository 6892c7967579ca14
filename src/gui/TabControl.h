#pragma once

#include <QList>
#include <QRect>
#include <QWidget>

class QTabBar;

namespace gui {

/**
 * The tab control of the window's pages. Pages lie below the row of tabs; controls on a page are placed in the tab
 * control's own coordinates (twips from its top-left corner, tab row included), and small buttons can sit in the tab
 * row, shown only while their page is current.
 */
class TabControl final : public QWidget
{
    Q_OBJECT

public:
    explicit TabControl(QWidget* parent = nullptr);

    int addPage(const QString& objectName, const QString& caption);
    QWidget* page(int index) const { return m_pages.value(index); }
    int count() const { return static_cast<int>(m_pages.size()); }
    int currentIndex() const;
    void setCurrentIndex(int index);
    QString tabText(int index) const;
    void setTabText(int index, const QString& text);
    QTabBar* tabBar() const { return m_bar; }

    /** Places `widget` (a child of page `index`) at a rectangle in twips of the tab control. */
    void placeOnPage(int index, QWidget* widget, int left, int top, int width, int height);
    /** A small button in the tab of page `index`, at its left or right end, shown while that page is current.
     *  The tab keeps room for it, so the caption never runs under it whatever the width of the window. */
    void addHeaderWidget(int index, QWidget* widget, Qt::Edge side);

signals:
    void currentChanged(int index);
    /** The pointer moved over the tab control's own surface: its tab row or a page's background. */
    void surfaceHovered();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layoutPages();
    void showHeaderWidgets();

    struct HeaderWidget
    {
        int page;
        QWidget* widget;
    };
    class TabBar;

    struct Placed
    {
        int page;
        QWidget* widget;
        QRect twips;
    };

    QTabBar* m_bar;
    QList<QWidget*> m_pages;
    QList<Placed> m_placed; // placed again whenever the pages move
    QList<HeaderWidget> m_headerWidgets;
};

} // namespace gui
