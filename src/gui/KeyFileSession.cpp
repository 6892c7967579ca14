#include "KeyFileSession.h"

#include "DiskWatch.h"
#include "KeyFileModel.h"
#include "KeyListModel.h"
#include "SaveTarget.h"
#include "Workers.h"
#include "io/FileIo.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <QTimer>
#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace gui {

using RowStates = std::vector<std::pair<int, core::KeyDocument::RowState>>;

/** One change of the document: the states of the rows it touches before and after it, so that undoing and redoing
 *  give back exactly the bytes each row had. */
class EditCommand final : public QUndoCommand
{
public:
    static constexpr int TypingId = 1;

    EditCommand(KeyFileSession* session, const QString& name, RowStates before, RowStates after, bool typing)
        : QUndoCommand(name)
        , m_session(session)
        , m_before(std::move(before))
        , m_after(std::move(after))
        , m_typing(typing)
    { }

    void redo() override { m_session->applyRowStates(m_after); }
    void undo() override { m_session->applyRowStates(m_before); }
    int id() const override { return m_typing ? TypingId : -1; }

    bool mergeWith(const QUndoCommand* other) override
    {
        // Typing goes on in the same cell: one step from the first key to the last.
        const auto* next = static_cast<const EditCommand*>(other);
        if (next->m_typing != m_typing || next->m_after.size() != 1 || m_after.size() != 1
            || next->m_after.front().first != m_after.front().first || next->m_cell != m_cell)
            return false;
        m_after = next->m_after;
        setObsolete(m_after == m_before);
        return true;
    }

    void setCell(int column) { m_cell = column; }

private:
    KeyFileSession* m_session;
    RowStates m_before;
    RowStates m_after;
    bool m_typing;
    int m_cell = -1;
};

KeyFileSession::KeyFileSession(Prompts& prompts, QWidget* dialogParent, QObject* parent)
    : QObject(parent)
    , m_prompts(prompts)
    , m_dialogParent(dialogParent)
    , m_undo(new QUndoStack(this))
    , m_disk(new DiskWatch(this))
    , m_fileModel(new KeyFileModel(this))
    , m_listModel(new KeyListModel(this))
    , m_searchWarmer(new QTimer(this))
{
    connect(m_undo, &QUndoStack::cleanChanged, this, &KeyFileSession::savedStateChanged);
    connect(m_searchWarmer, &QTimer::timeout, this, &KeyFileSession::warmSearchTexts);
}

void KeyFileSession::warmSearchTexts()
{
    // About 10 ms a step on a 32,767-line file: the window answers between steps.
    constexpr int RowsPerStep = 4096;
    m_searchWarmer->setInterval(0); // then a step at each turn of the event loop
    const int end = std::min(m_document.rowCount(), m_warmedRows + RowsPerStep);
    for (; m_warmedRows < end; ++m_warmedRows)
        m_searchTexts.prepare(m_document, m_warmedRows);
    if (m_warmedRows >= m_document.rowCount())
        m_searchWarmer->stop();
}

KeyFileSession::~KeyFileSession()
{
    waitForWorkers(this);
}

void KeyFileSession::setJoystickSettings(const core::JoystickSettings& settings)
{
    if (!settings.isValid() || settings == m_joystick)
        return;
    m_joystick = settings;
    emit joystickSettingsChanged();
}

QString KeyFileSession::fileName() const
{
    return QFileInfo(m_path).fileName();
}

SavedState KeyFileSession::savedState() const
{
    if (!m_open)
        return SavedState::NoFile;
    return m_undo->isClean() ? SavedState::Saved : SavedState::Modified;
}

QString KeyFileSession::cellText(int row, int column) const
{
    if (row < 0 || row >= m_document.rowCount())
        return {};
    return decode(m_document.cell(row, column));
}

const std::array<core::KeyboardUsage, core::KeyboardUsage::ModifierCount>& KeyFileSession::keyboardUsage() const
{
    if (!m_usageFresh) {
        m_usage = core::KeyboardUsage::computeAll(m_document, UsageRowsKept);
        m_usageFresh = true;
    }
    return m_usage;
}

std::shared_ptr<const std::vector<core::Section>> KeyFileSession::sharedSections() const
{
    if (!m_sectionsFresh || !m_sections) {
        m_sections = std::make_shared<const std::vector<core::Section>>(core::sections(m_document));
        m_sectionsFresh = true;
    }
    return m_sections;
}

QString KeyFileSession::sectionTitleOf(int row) const
{
    const int index = core::sectionOfRow(sections(), row);
    return index < 0 ? QString() : decode(sections()[static_cast<std::size_t>(index)].title);
}

bool KeyFileSession::edit(const QList<CellEdit>& edits, const QString& name, bool typing)
{
    // The rows as they are, then as the edit leaves them; the document is put back until the command applies it.
    RowStates before;
    for (const CellEdit& e : edits) {
        if (!m_document.isEditable(e.row, e.column))
            continue;
        const bool seen = std::any_of(before.begin(), before.end(), [&e](const auto& s) { return s.first == e.row; });
        if (!seen)
            before.emplace_back(e.row, m_document.rowState(e.row));
    }
    if (before.empty())
        return false;
    for (const CellEdit& e : edits)
        m_document.setCell(e.row, e.column, encode(e.text));
    RowStates after;
    bool changed = false;
    for (const auto& [row, state] : before) {
        after.emplace_back(row, m_document.rowState(row));
        changed = changed || !(after.back().second == state);
    }
    for (const auto& [row, state] : before)
        m_document.restoreRow(row, state);
    if (!changed)
        return false;
    auto* command = new EditCommand(this, name, std::move(before), std::move(after), typing);
    if (typing && edits.size() == 1)
        command->setCell(edits.front().column);
    m_undo->push(command);
    return true;
}

void KeyFileSession::applyRowStates(const RowStates& states)
{
    QList<int> rows;
    rows.reserve(static_cast<qsizetype>(states.size()));
    for (const auto& [row, state] : states) {
        m_document.restoreRow(row, state);
        rows.append(row);
        m_searchTexts.forget(row);
    }
    m_usageFresh = false;
    if (problemsPending())
        m_rowsChangedWhileChecking.insert(m_rowsChangedWhileChecking.end(), rows.begin(), rows.end());
    else
        m_problems.update(m_document, std::vector<int>(rows.begin(), rows.end()));
    m_sectionsFresh = false;
    emit rowsChanged(rows);
}

void KeyFileSession::replaceDocument(
    core::KeyDocument document, io::TextEncoding encoding, const QString& path, bool open)
{
    emit aboutToReset();
    m_document = std::move(document);
    m_encoding = encoding;
    m_open = open;
    m_path = path;
    m_usageFresh = false;
    m_sectionsFresh = false;
    checkProblems();
    m_searchTexts.clear();
    m_warmedRows = 0;
    // The first step waits until the window has shown the file: the opening is answered without it.
    m_searchWarmer->start(SearchWarmDelayMs);
    m_undo->clear();
    emit documentReset();
    emit pathChanged();
    emit savedStateChanged();
}

void KeyFileSession::checkProblems()
{
    m_pendingProblems.reset(); // a check still running is for a document that is gone
    m_rowsChangedWhileChecking.clear();
    if (m_document.sourceBytes().size() < m_backgroundCheckBytes) {
        m_problems.check(m_document);
        return;
    }
    // A big file opens without waiting for its check, which works on a copy: the user may edit meanwhile, and
    // the rows edited are checked again when the result comes.
    // Its sections are found on the copy too, from the bindings the check worked out: the section box fills when
    // the check ends, and the window takes those bindings instead of working them out again.
    m_problems.check(core::KeyDocument());
    m_sections = std::make_shared<const std::vector<core::Section>>();
    m_sectionsFresh = true;
    auto result = std::make_shared<BackgroundCheck>();
    result->document = m_document;
    m_pendingProblems = result;
    const auto done = [this, result] {
        if (result != m_pendingProblems)
            return;
        m_pendingProblems.reset();
        m_problems = std::move(result->problems);
        std::vector<int>& changed = m_rowsChangedWhileChecking;
        std::sort(changed.begin(), changed.end());
        changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
        if (!changed.empty())
            m_problems.update(m_document, changed);
        else
            m_sections = std::make_shared<const std::vector<core::Section>>(std::move(result->sections));
        m_document.takeBindings(std::move(result->document), changed);
        changed.clear();
        emit problemsChecked();
    };
    startWorker(
        this,
        [result] {
            // Every row's binding, worked out here for the check and then handed to the window.
            for (int row = 0; row < result->document.rowCount(); ++row)
                (void)result->document.binding(row);
            result->problems.check(result->document);
            result->sections = core::sections(result->document);
        },
        done);
}

void KeyFileSession::close()
{
    m_disk->track({}, core::SharedBytes());
    replaceDocument(core::KeyDocument(), io::TextEncoding::Windows1252, {}, false);
}

bool KeyFileSession::open(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    emit progress(QStringLiteral("Analysing ..."),
        QStringLiteral(" Opening ") + name
            + QStringLiteral(", analysing the contents and just staring at you. Please wait ..."));
    std::string bytes;
    io::FileError error;
    if (!io::readFileBytes(path, &bytes, &error)) {
        close();
        emit progress(QStringLiteral("Ready"), QLatin1String(""));
        m_prompts.message(m_dialogParent, QStringLiteral("Unable to open key file"),
            QStringLiteral("I couldn't open ") + path + QStringLiteral(": ") + error.reason + QLatin1Char('.'),
            PromptButtons::Ok, PromptIcon::Critical);
        return false;
    }
    // The encoding is decided once, from the whole file; typed text is encoded back the same way.
    const io::TextEncoding encoding = io::detectEncoding(bytes);
    core::KeyDocument document = core::KeyDocument::fromBytes(std::move(bytes));
    m_disk->track(path, document.sharedSource());
    replaceDocument(std::move(document), encoding, path, true);
    emit progress(QStringLiteral("Ready"),
        QStringLiteral(" You can click on the keys / modifiers columns to display the associated key"));
    return true;
}

core::CompareInput KeyFileSession::heldFile(const QString& path) const
{
    core::CompareInput held;
    if (core::SharedBytes bytes = m_disk->bytesIfUnchanged(path)) {
        held.bytes = std::move(bytes);
    } else if (m_open && savedState() == SavedState::Saved && m_disk->unchangedOnDisk(path)) {
        // What the last save wrote is what the document writes now: its rows give the file's lines.
        held.document = std::make_shared<const core::KeyDocument>(m_document);
    }
    return held;
}

void KeyFileSession::selectKeyFileToOpen()
{
    const QString path = m_prompts.openFileName(m_dialogParent, keyFileOpenRequest(m_keyFilesFolder));
    if (!path.isEmpty())
        open(path);
}

void KeyFileSession::openWithSaveOffer(const QString& path)
{
    if (savedState() == SavedState::Modified) {
        const QString name = fileName();
        const PromptAnswer answer = m_prompts.message(m_dialogParent,
            QStringLiteral(" Save ") + name + QStringLiteral(" now?"),
            name
                + QStringLiteral(" has changed and isn't saved. Do you want to save it  before opening a different key "
                                 "file?"),
            PromptButtons::YesNoCancel, PromptIcon::Question);
        if (answer == PromptAnswer::Cancel)
            return;
        if (answer == PromptAnswer::Yes) {
            saveFileAs();
            if (savedState() == SavedState::Modified) {
                m_prompts.message(m_dialogParent, QStringLiteral("Hmmm...let me think..."),
                    name
                        + QStringLiteral(" wasn't saved, so I won't continue to load up a new "
                                         "key file just in case you pressed the cancel button "
                                         "by accident."),
                    PromptButtons::Ok, PromptIcon::Exclamation);
                return;
            }
        }
    }
    if (path.isEmpty())
        selectKeyFileToOpen();
    else
        open(path);
}

bool KeyFileSession::reloadFromDisk()
{
    if (!m_open)
        return false;
    if (savedState() == SavedState::Modified) {
        const PromptAnswer answer = m_prompts.message(m_dialogParent,
            QStringLiteral(" Reload ") + fileName() + QStringLiteral("?"),
            fileName()
                + QStringLiteral(" has changes that aren't saved. Reading the file again from disk loses them. Reload "
                                 "it anyway?"),
            PromptButtons::YesNo, PromptIcon::Question);
        if (answer != PromptAnswer::Yes)
            return false;
    }
    return open(m_path);
}

void KeyFileSession::keepMine()
{
    m_disk->acknowledge();
    // The file on disk is no longer what the document was read from or saved as.
    m_undo->resetClean();
    emit savedStateChanged();
}

void KeyFileSession::saveFileAs()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Save file as ...");
    request.filter = QStringLiteral("Key file (*.key)|*.key");
    request.defaultSuffix = QStringLiteral("key");
    request.proposedName = m_open ? fileName() : QStringLiteral("Key file");
    if (!m_path.isEmpty())
        request.fallbackFolder = QFileInfo(m_path).absolutePath();
    const QString path = m_prompts.saveFileName(m_dialogParent, request);
    if (path.isEmpty() || !confirmSaveTarget(m_prompts, m_dialogParent, path))
        return;
    saveTo(path);
}

void KeyFileSession::saveToOwnPath()
{
    if (!m_open) {
        saveFileAs();
        return;
    }
    if (isReadOnlyFile(m_path)) {
        refuseReadOnly(m_prompts, m_dialogParent, m_path);
        return;
    }
    saveTo(m_path);
}

bool KeyFileSession::confirmUnwritableRows()
{
    constexpr int Named = 3;
    QStringList sentences;
    int count = 0;
    int firstRow = -1;
    // Only edited rows are written from their cells; every other row is written as it was read.
    for (int row = 0; row < m_document.rowCount(); ++row) {
        if (!m_document.isEdited(row))
            continue;
        const auto sentence = core::unwritableRowMessage(m_document.lineNumber(row), m_document.cells(row));
        if (!sentence)
            continue;
        if (firstRow < 0)
            firstRow = row;
        if (++count <= Named)
            sentences << QString::fromStdString(*sentence);
    }
    if (count == 0)
        return true;
    QString text = sentences.join(QLatin1Char('\n'));
    if (count > Named) {
        const int more = count - Named;
        text += more == 1 ? QStringLiteral("\nOne more line is like these.")
                          : QStringLiteral("\n%1 more lines are like these.").arg(more);
    }
    text += QStringLiteral("\n\nGo back to the grid to correct ")
        + (count == 1 ? QStringLiteral("it") : QStringLiteral("them")) + QStringLiteral(", or save anyway?");
    const PromptAnswer answer = m_prompts.message(m_dialogParent, QStringLiteral("Saving would change some lines"),
        text, PromptButtons::GoBackOrSaveAnyway, PromptIcon::Exclamation);
    if (answer == PromptAnswer::Yes)
        return true;
    emit showRowRequested(firstRow);
    return false;
}

bool KeyFileSession::saveTo(const QString& path)
{
    if (!confirmUnwritableRows())
        return false;
    // Another program's changes are not overwritten without a question.
    if (path == m_path && m_disk->state() == DiskWatch::State::Changed) {
        const PromptAnswer answer
            = m_prompts.message(m_dialogParent, QStringLiteral(" Overwrite ") + fileName() + QStringLiteral("?"),
                fileName()
                    + QStringLiteral(" has been changed on disk by another program since it was opened or saved here. "
                                     "Save over those changes?"),
                PromptButtons::YesNo, PromptIcon::Question);
        if (answer != PromptAnswer::Yes)
            return false;
    }
    emit progress(QStringLiteral("Saving ..."), {});
    io::FileError error;
    // The file is written whole to a temporary file and renamed over the target: a failure leaves the file on
    // disk as it was, and the document keeps the user's edits. It is written in pieces, the bytes read and the
    // edited lines, without a copy of the whole; no input reaches the document while a big file is written.
    std::deque<std::string> made;
    const std::vector<std::string_view> bytes = m_document.bytePieces(made);
    std::size_t size = 0;
    for (const std::string_view piece : bytes)
        size += piece.size();
    bool written = false;
    if (size >= m_backgroundSaveBytes) {
        // Our own write is no change by another program.
        m_saving = true;
        m_disk->setPaused(true);
        const auto resume = qScopeGuard([this] {
            m_disk->setPaused(false);
            m_saving = false;
        });
        runWhileDrawing([&] { written = io::writeFileAtomically(path, bytes, &error); });
    } else {
        written = io::writeFileAtomically(path, bytes, &error);
    }
    if (!written) {
        emit progress(QStringLiteral("Ready"), {});
        m_prompts.message(m_dialogParent, QStringLiteral("File possibly not saved"),
            QStringLiteral("Looks like there was a problem saving your file. The error raised was %1: %2.")
                    .arg(error.code)
                    .arg(error.reason)
                + QStringLiteral("\r\nYour file on disk has not been changed, and your edits are still here."),
            PromptButtons::Ok, PromptIcon::Exclamation);
        return false;
    }
    // What was written is what the document holds: it is saved, with its views and its history as they are.
    const bool wasOpen = m_open;
    m_open = true;
    const bool pathChangedNow = m_path != path;
    m_path = path;
    m_disk->track(path, bytes);
    m_undo->setClean();
    if (pathChangedNow || !wasOpen)
        emit pathChanged();
    emit savedStateChanged();
    emit progress(QStringLiteral("Ready"), {});
    return true;
}

bool KeyFileSession::offerToSaveBeforeExit()
{
    if (m_saving)
        return false;
    if (savedState() != SavedState::Modified)
        return true;
    const QString name = fileName();
    const PromptAnswer answer
        = m_prompts.message(m_dialogParent, QStringLiteral(" Save ") + name + QStringLiteral(" now?"),
            name + QStringLiteral(" has changed and isn't saved. Do you want to save it before exiting?"),
            PromptButtons::YesNoCancel, PromptIcon::Question);
    if (answer == PromptAnswer::Cancel)
        return false;
    if (answer == PromptAnswer::Yes) {
        saveFileAs();
        if (savedState() == SavedState::Modified) {
            m_prompts.message(m_dialogParent, QStringLiteral("Ooops!"),
                name + QStringLiteral(" wasn't saved. Exit program aborted."), PromptButtons::Ok,
                PromptIcon::Exclamation);
            return false;
        }
    }
    return true;
}

} // namespace gui
