#include "CougarPage.h"

#include "Desktop.h"
#include "KeyFileSession.h"
#include "TabControl.h"
#include "core/CougarMacros.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace gui {

CougarPage::CougarPage(TabControl* tabs, int pageIndex, KeyFileSession* session, ListSource list, RemoveSim removeSim,
    Desktop& desktop, QObject* parent)
    : QObject(parent)
    , m_tabs(tabs)
    , m_page(pageIndex)
    , m_session(session)
    , m_list(std::move(list))
    , m_removeSim(std::move(removeSim))
    , m_desktop(desktop)
    , m_text(new QPlainTextEdit(tabs->page(pageIndex)))
{
    QWidget* page = tabs->page(pageIndex);
    const char* const captions[] = {"Copy all", "Copy selected", "Refresh macros"};
    const QRect places[] = {{5580, 420, 915, 435}, {6720, 420, 1275, 435}, {180, 420, 1275, 435}};
    QPushButton* buttons[3];
    for (int i = 0; i < 3; ++i) {
        buttons[i] = new QPushButton(QString::fromLatin1(captions[i]), page);
        buttons[i]->setObjectName(QStringLiteral("Command3_%1").arg(i));
        buttons[i]->setMouseTracking(true);
        tabs->placeOnPage(pageIndex, buttons[i], places[i].x(), places[i].y(), places[i].width(), places[i].height());
    }
    // Each button clears the clipboard first, the refresh button too.
    connect(buttons[0], &QPushButton::clicked, this, &CougarPage::copyAll);
    connect(buttons[1], &QPushButton::clicked, this, &CougarPage::copySelected);
    connect(buttons[2], &QPushButton::clicked, this, [this] {
        m_desktop.clearClipboard();
        fillCougarMacros();
    });

    auto* label = new QLabel(QStringLiteral("Copy and paste these into a Cougar macro file."), page);
    label->setObjectName(QStringLiteral("Label4_10"));
    label->setMouseTracking(true);
    label->setWordWrap(true); // two lines where today's fonts do not fit one between the buttons
    tabs->placeOnPage(pageIndex, label, 2100, 420, 3360, 435);

    m_text->setObjectName(QStringLiteral("RTBCougar"));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setMouseTracking(true);
    m_text->viewport()->setMouseTracking(true);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(9);
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFixedPitch(true); // the filling spaces line the remarks up
    m_text->setFont(fixed);
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::Base, QColor(227, 251, 253));
    palette.setColor(QPalette::Text, Qt::black);
    m_text->setPalette(palette);
    connect(tabs, &TabControl::currentChanged, this, [this](int index) {
        if (index == m_page)
            showPendingText();
    });
    connect(session, &KeyFileSession::documentReset, this, &CougarPage::listChanged);
    connect(session, &KeyFileSession::rowsChanged, this, &CougarPage::listChanged);
}

void CougarPage::resize(int tabWidthTwips, int tabHeightTwips)
{
    if (tabWidthTwips - 240 > 0 && tabHeightTwips - 1000 > 0)
        m_tabs->placeOnPage(m_page, m_text, 120, 960, tabWidthTwips - 240, tabHeightTwips - 1000);
}

void CougarPage::listChanged()
{
    m_stale = true;
    if (m_tabs->currentIndex() == m_page)
        showPendingText();
}

void CougarPage::fillCougarMacros()
{
    m_stale = true;
    showPendingText();
}

void CougarPage::showPendingText()
{
    if (!m_stale)
        return;
    m_stale = false;
    const std::string text = core::fillCougarMacros(m_session->document(), m_list(), m_removeSim());
    QString shown = m_session->decode(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text->setPlainText(shown);
}

QPlainTextEdit* CougarPage::textBox()
{
    showPendingText();
    return m_text;
}

namespace {

// The editor holds LF line ends; the clipboard gets the text's own CRLF.
QString withCrlf(QString text)
{
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

} // namespace

void CougarPage::copyAll()
{
    showPendingText();
    m_desktop.clearClipboard();
    m_desktop.setClipboardText(withCrlf(m_text->toPlainText()));
}

void CougarPage::copySelected()
{
    showPendingText();
    m_desktop.clearClipboard();
    const QString selected = m_text->textCursor().selectedText();
    if (!selected.isEmpty())
        m_desktop.setClipboardText(withCrlf(selected));
}

} // namespace gui
