#include "AssignKeyDialog.h"

#include "KeyCaptureEdit.h"
#include "core/KeyCodeTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui {

AssignKeyDialog::AssignKeyDialog(const AssignRequest& request, QWidget* parent)
    : QDialog(parent)
    , m_request(request)
    , m_capture(new KeyCaptureEdit(this))
    , m_keys(new QComboBox(this))
    , m_words(new QLabel(this))
    , m_cells(new QLabel(this))
    , m_takenBy(new QListWidget(this))
{
    setObjectName(QStringLiteral("AssignKeyDialog"));
    setWindowTitle(QStringLiteral("Assign key"));
    m_capture->setObjectName(QStringLiteral("AssignCapture"));
    m_capture->setPlaceholderText(QStringLiteral("Press the keys here"));
    m_keys->setObjectName(QStringLiteral("AssignKeyList"));
    m_keys->addItem(QStringLiteral("(pick a key)"), -1);
    for (int row = 0; row < core::KeyCodeTable::KeyCount; ++row)
        m_keys->addItem(QString::fromLatin1(core::KeyCodeTable::row(row).keyName.data(),
                            qsizetype(core::KeyCodeTable::row(row).keyName.size())),
            row);
    m_words->setObjectName(QStringLiteral("AssignWords"));
    m_cells->setObjectName(QStringLiteral("AssignCells"));
    m_takenBy->setObjectName(QStringLiteral("AssignTakenBy"));
    m_takenBy->setMaximumHeight(fontMetrics().height() * 6);

    auto* pick = new QHBoxLayout;
    const char* const names[] = {"Shift", "Control", "Alt"};
    for (int i = 0; i < 3; ++i) {
        m_modifiers[i] = new QCheckBox(QString::fromLatin1(names[i]), this);
        m_modifiers[i]->setObjectName(QStringLiteral("AssignModifier_%1").arg(i));
        pick->addWidget(m_modifiers[i]);
        connect(m_modifiers[i], &QCheckBox::toggled, this, &AssignKeyDialog::picked);
    }
    pick->addWidget(m_keys, 1);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Line:"), new QLabel(request.line, this));
    form->addRow(QStringLiteral("Keys now:"),
        new QLabel(request.current.isEmpty() ? QStringLiteral("none") : request.current, this));
    form->addRow(QStringLiteral("Press:"), m_capture);
    form->addRow(QStringLiteral("Or pick:"), pick);
    form->addRow(QStringLiteral("New keys:"), m_words);
    form->addRow(QStringLiteral("Cells 4 to 7:"), m_cells);
    form->addRow(QStringLiteral("Now bound to it:"), m_takenBy);

    auto* buttons = new QDialogButtonBox(this);
    m_assign = buttons->addButton(QStringLiteral("&Assign"), QDialogButtonBox::AcceptRole);
    m_assign->setObjectName(QStringLiteral("AssignButton"));
    m_takeOver = buttons->addButton(QStringLiteral("&Take over"), QDialogButtonBox::AcceptRole);
    m_takeOver->setObjectName(QStringLiteral("TakeOverButton"));
    m_takeOver->setToolTip(QStringLiteral("Assign it here and clear it from the lines that have it now"));
    QPushButton* clear = buttons->addButton(QStringLiteral("C&lear assignment"), QDialogButtonBox::ResetRole);
    clear->setObjectName(QStringLiteral("ClearButton"));
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(m_assign, &QPushButton::clicked, this, [this] { finish(AssignAnswer::Assign); });
    connect(m_takeOver, &QPushButton::clicked, this, [this] { finish(AssignAnswer::TakeOver); });
    connect(clear, &QPushButton::clicked, this, [this] { finish(AssignAnswer::Clear); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_capture, &KeyCaptureEdit::combinationChanged, this, [this] {
        const QString text = m_capture->text();
        setCombination(m_capture->combination(), m_capture->combination() ? QString() : text);
    });
    connect(m_keys, &QComboBox::activated, this, &AssignKeyDialog::picked);
    setCombination(std::nullopt);
    m_capture->setFocus();
}

void AssignKeyDialog::picked()
{
    const int row = m_keys->currentData().toInt();
    if (row < 0)
        return;
    core::KeyCombination combination;
    combination.key = row;
    for (int i = 0; i < 3; ++i)
        combination.modifier |= m_modifiers[i]->isChecked() ? (1 << i) : 0;
    setCombination(combination);
}

void AssignKeyDialog::setCombination(const std::optional<core::KeyCombination>& combination, const QString& refusal)
{
    m_combination = combination;
    m_takenBy->clear();
    if (!combination) {
        m_words->setText(refusal.isEmpty() ? QStringLiteral("press or pick a key") : refusal);
        m_cells->clear();
        m_assign->setEnabled(false);
        m_takeOver->setEnabled(false);
        return;
    }
    const AssignPreview preview = m_request.preview(*combination);
    m_words->setText(preview.words);
    m_cells->setText(preview.cells.join(QLatin1Char(' ')));
    if (preview.takenBy.isEmpty())
        m_takenBy->addItem(QStringLiteral("nothing: the keys are free"));
    else
        m_takenBy->addItems(preview.takenBy);
    m_assign->setEnabled(!preview.blocked);
    m_takeOver->setEnabled(preview.blocked);
    (preview.blocked ? m_takeOver : m_assign)->setDefault(true);
}

void AssignKeyDialog::finish(AssignAnswer::Action action)
{
    m_answer.action = action;
    if (m_combination)
        m_answer.combination = *m_combination;
    accept();
}

} // namespace gui
