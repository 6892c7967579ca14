#pragma once

#include "KeyDocument.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace core {

struct UnwritableCell;

enum class Severity : std::uint8_t { Error, Warning };

/** What a problem is about. Each has a stable name for scripts (problemCodeName). */
enum class ProblemCode : std::uint8_t {
    UnknownKey, // "unknown-key": a well-formed code that no key has
    MalformedKey, // "malformed-key": a key cell that is not a code at all
    PauseKey, // "pause-key": the Pause key bound to a function
    BadModifier, // "bad-modifier": a modifier that is not a whole number from 0 to 7
    BadNumber, // "bad-number": a DirectX or POV number that is not a whole number, a POV direction outside 0 to 7
    UnwritableCell, // "unwritable-cell": an edited cell that saving could not give back
    ShortLine, // "short-line": fewer fields than the line's kind has
    TrailingText, // "trailing-text": text after the description or after a DirectX or POV line's seventh field
    KeyConflict, // "key-conflict": one key, modifier and combination bound to two or more functions
    ButtonConflict, // "button-conflict": one DirectX button, invocation and press or release bound to two functions
    PovConflict, // "pov-conflict": one POV hat direction bound to two functions
};

/** One thing wrong in a key file. */
struct Problem
{
    int row = 0; // the document row of the line it is reported on
    int line = 0; // that line's number in the file
    Severity severity = Severity::Error;
    ProblemCode code = ProblemCode::UnknownKey;
    std::string text; // the key file's own bytes where it quotes them
    std::vector<int> lines; // every line involved, ascending; `line` is the first

    friend bool operator==(const Problem&, const Problem&) = default;
};

/** "unknown-key", "key-conflict", ... */
const char* problemCodeName(ProblemCode code);
/** "error" or "warning". */
const char* severityName(Severity severity);

/**
 * The problems of a key document, kept up to date row by row.
 *
 * Rules of one line (errors first, then warnings):
 * - error: a key or second key cell that is not a code ("0x3G is not a key code") or a code no key has
 *   ("0x54: no key has this code"); the Pause key 0xC5 as key or second key of a line other than a reference
 *   line; a modifier or second modifier that is not a whole number from 0 to 7; a DirectX or POV line whose number
 *   or invocation is not a whole number, or whose POV direction is not 0 to 7; an edited line with a cell that
 *   saving would not give back (unwritableCell).
 * - warning: fewer fields than the line's kind has (nine for a key line, seven for DirectX and POV); text after the
 *   description's closing quote, or after a DirectX or POV line's seventh field.
 * Rules of several lines (warnings, reported on the first line of the group, naming every line):
 * - a key with its modifier and its combination (second key and modifier, when the second key names a key) bound
 *   to two or more functions (sim names). Reference lines (SimDoNothing), hidden lines (visibility -2), headlines
 *   and comments do not count; lines of one function on one key are not a conflict.
 * - a DirectX button (number, invocation, press or release) or a POV hat direction (number, direction) bound to two
 *   or more functions; reference lines do not count.
 *
 * check() reads the whole document; update() reads only the rows given and the groups they leave or join, so one
 * edit costs about as much as its rows, whatever the file's size.
 */
class ProblemCheck
{
public:
    ProblemCheck();
    ~ProblemCheck();
    ProblemCheck(ProblemCheck&&) noexcept;
    ProblemCheck& operator=(ProblemCheck&&) noexcept;

    /** Checks the whole document; a big one on several threads. */
    void check(const KeyDocument& document);
    /** Checks the whole document on `threads` threads (at least one): the same problems for any number. */
    void check(const KeyDocument& document, unsigned threads);
    /** The threads check() takes for a document of `rows` rows: one below kParallelRows. */
    static unsigned threadsFor(int rows);
    static constexpr int kParallelRows = 1 << 16;
    /** Checks `rows` again after they changed; the other rows are as they were. */
    void update(const KeyDocument& document, const std::vector<int>& rows);

    int errorCount() const { return m_errors; }
    int warningCount() const { return m_warnings; }
    int count() const { return m_errors + m_warnings; }

    /** The problems in line order (on one line: errors, then warnings), at most `limit` of them. Valid until the
     *  next check or update. */
    std::vector<const Problem*> list(std::size_t limit = std::numeric_limits<std::size_t>::max()) const;
    /** Copies of every problem, in line order. */
    std::vector<Problem> problems() const;

private:
    struct Groups;
    struct Chunk;

    void checkRow(const KeyDocument& document, int row, const Binding& binding);
    static void checkLine(const KeyDocument& document, int row, const Binding& b, std::vector<Problem>& out);
    void countLocal(int row, int sign);
    static void readChunk(const KeyDocument& document, Chunk& chunk, Groups& groups);

    const std::vector<Problem>* localProblems(std::size_t row) const;
    void setLocalProblems(std::size_t row, std::vector<Problem> problems);

    // The problems of each line alone, for the rows that have any (most have none), by row ascending.
    std::vector<std::pair<int, std::vector<Problem>>> m_local;
    std::size_t m_rows = 0; // the rows of the document last checked
    std::unique_ptr<Groups> m_groups; // lines that share a key, button or hat direction
    int m_errors = 0;
    int m_warnings = 0;
};

/** The problems of a document, in line order. */
std::vector<Problem> checkDocument(const KeyDocument& document);

/** The name of a cell of columns 1 to 9 in messages: "Sim name", "Ignored", "second Keys". */
std::string_view cellName(int column);

/** The problem text of a cell that saving would not give back: "The Ignored cell is empty; saving would move its
 *  later fields one column left". */
std::string unwritableCellText(const UnwritableCell& cell);

/** What saving a row with these cells would do wrong, as a sentence naming the line ("Line 7 has an empty Ignored
 *  cell; saving would move its later fields one column left."); nothing when the row can be written as it is. */
std::optional<std::string> unwritableRowMessage(int lineNumber, const RecordCells& cells);

} // namespace core
