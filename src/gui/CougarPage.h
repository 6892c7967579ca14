#pragma once

#include <QObject>

#include <string>

class QPlainTextEdit;
class QPushButton;

namespace gui {

class Desktop;
class KeyListModel;
class TabControl;

/** The "Cougar macros" page: the macro text of the readable list in a plain-text editor, and its three buttons. */
class CougarPage final : public QObject
{
    Q_OBJECT

public:
    CougarPage(TabControl* tabs, int pageIndex, KeyListModel* list, Desktop& desktop, QObject* parent = nullptr);

    /** Rebuilds the macro text from the list in its present order. */
    void fillCougarMacros(bool removeSim);
    void copyAll();
    void copySelected();

    /** The text box, holding the latest macro text. */
    QPlainTextEdit* textBox();
    /** Places the text box for a tab control of the given size in twips. */
    void resize(int tabWidthTwips, int tabHeightTwips);

signals:
    void refreshRequested();

private:
    void showPendingText();

    TabControl* m_tabs;
    int m_page;
    KeyListModel* m_list;
    Desktop& m_desktop;
    QPlainTextEdit* m_text;
    // Filling a large editor is slow, so a new text waits until its page is shown.
    std::string m_pendingText;
    bool m_pending = false;
};

} // namespace gui
