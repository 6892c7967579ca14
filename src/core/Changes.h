#pragma once

#include "Binding.h"
#include "KeyDocument.h"
#include "Report.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace core {

/** What became of one sim function between key file 1 and key file 2. */
enum class ChangeKind : std::uint8_t {
    Removed, // only in file 1
    Added, // only in file 2
    Rebound, // its keys differ
    DescriptionChanged, // same keys, another description
    Moved, // same keys and description, at another place among the functions both files have
    Unchanged,
};
inline constexpr int ChangeKindCount = 6;

/** "removed", "added", "rebound", "description", "moved", "unchanged": the command line's words. */
const char* changeKindWord(ChangeKind kind);
/** "Removed", "Added", "Rebound", "Description changed", "Moved", "Unchanged": the words of the window. */
const char* changeKindTitle(ChangeKind kind);

/**
 * The keys of a record as the comparison sees them: what it binds, whatever the spelling ("0x1e" is "0X1E"). A key
 * line that names no key ("0XFFFFFFFF", "0", empty) binds nothing, whatever its modifier says; a combination key
 * that names no key is no combination. A DirectX line is its button number, invocation and release marker, a POV
 * line its hat and direction.
 */
struct KeyIdentity
{
    RecordKind kind = RecordKind::Comment;
    KeyRef key;
    ModifierRef modifier;
    KeyRef combo;
    ModifierRef comboModifier;
    bool numberValid = false;
    bool invocationValid = false;
    bool release = false;
    std::int8_t direction = -1;
    std::int64_t number = 0;
    std::int64_t invocation = 0;

    static KeyIdentity of(const Binding& binding);
    /** True when it binds something: a key, a DirectX button or a POV direction. */
    bool bindsSomething() const;

    friend bool operator==(const KeyIdentity&, const KeyIdentity&) = default;
};

/** One sim function: a line of each file paired, or a line that only one file has. */
struct FunctionChange
{
    ChangeKind kind = ChangeKind::Unchanged;
    bool moved = false; // paired lines out of their order among the pairs (also when keys or description changed)
    int row1 = -1; // document row in file 1, -1 when file 1 lacks the function
    int row2 = -1; // document row in file 2, -1 when file 2 lacks it
};

/** One function in words, the texts as bytes of their own file, descriptions without their quotes. Line numbers are 0
 *  where a file lacks it. */
struct ChangeTexts
{
    std::string simName;
    int line1 = 0;
    int line2 = 0;
    std::string keys1;
    std::string keys2;
    std::string description1;
    std::string description2;
    std::string section; // the headline above the function: file 2's, file 1's for a removed function
};

/**
 * What changed between two key files, function by function.
 *
 * The records of each file that are neither comments nor headlines (visibility -1; a headline names the section of
 * the functions below it) are paired by sim name, key lines with key lines, DirectX lines with DirectX lines and POV
 * lines with POV lines. A name that occurs once in each file pairs those two lines. Lines of a name that occurs
 * several times are paired first where keys and description are both the same, then where the description is the
 * same, then in the order of the files; each step takes the lines in file order. What is left over is only in its
 * own file.
 *
 * A pair is rebound when its keys differ (KeyIdentity), otherwise its description changed when the descriptions
 * differ (leading and trailing spaces aside), otherwise moved when it is not among the largest set of pairs that
 * keep their order in both files, otherwise unchanged.
 *
 * Functions are listed in file 2's order; one only in file 1 stands after the function it followed in file 1.
 */
class Changes
{
public:
    Changes() = default;
    static Changes between(KeyDocument first, KeyDocument second);

    const std::vector<FunctionChange>& functions() const { return m_functions; }
    /** File 1 (n = 0) or file 2 (n = 1). */
    const KeyDocument& document(int n) const { return n == 0 ? m_first : m_second; }
    const std::array<int, ChangeKindCount>& counts() const { return m_counts; }
    int count(ChangeKind kind) const { return m_counts[static_cast<std::size_t>(kind)]; }

    ChangeTexts texts(const FunctionChange& change) const;
    /** The section title of a document row of file n: its headline's description without quotes, "=" and runs of
     *  spaces; empty above the first headline. */
    std::string section(int n, int row) const;

private:
    KeyDocument m_first;
    KeyDocument m_second;
    std::vector<FunctionChange> m_functions;
    std::array<int, ChangeKindCount> m_counts{};
    std::vector<int> m_headline1; // per row, the row of the headline above it or -1
    std::vector<int> m_headline2;
};

/** Pairs and classifies the functions of two documents as Changes::between does, without keeping the documents. */
std::vector<FunctionChange> pairFunctions(const KeyDocument& first, const KeyDocument& second);

/** A headline's description as a section title: without its quotes, the "=" around it and runs of spaces
 *  ("\"======== 1.01     UI FUNCTIONS ========\"" reads "1.01 UI FUNCTIONS"). */
std::string sectionTitle(std::string_view headlineDescription);

/** "12 added, 3 removed, 41 rebound, 8 descriptions, 2 moved". */
std::string changeCountsText(const std::array<int, ChangeKindCount>& counts);

/**
 * The changes of the kinds in `shown` as a report: a bold underlined title, key file 1 in blue and key file 2 in
 * green, the date and the counts, then one line per change under the title of its section (bold underlined):
 * "Rebound  SimName  ALT i -> SHF i  (lines 17 / 18)". Removed functions are blue, added ones green. Texts are the
 * files' bytes.
 */
Report changesReport(const Changes& changes, const std::string& path1, const std::string& path2,
    const std::array<bool, ChangeKindCount>& shown, const std::string& date);

/** One binding that taking bindings from another file would change in the open one. */
struct TakeProposal
{
    int row = -1; // the function's row in the open document
    int fromRow = -1; // its row in the other document
    std::vector<std::pair<int, std::string>> cells; // the columns to write and their new texts
    std::vector<int> clashes; // rows of the open document that already hold the keys it would take
    std::vector<int> clashProposals; // per clash row, the proposal that would bind that row otherwise, or -1
};

/** Taking the bindings of another file: what would change, and the functions the open file lacks. */
struct TakePlan
{
    std::vector<TakeProposal> proposals; // in the open document's order
    std::vector<int> missing; // rows of the other document whose function the open one lacks, in its order
};

/**
 * For each function of `into` (paired with `from` as Changes pairs them) whose keys differ in `from`, the key cells
 * it takes from `from`: Keys, Modifiers and the combination's Keys and Modifiers of a key line; the button or hat
 * number, invocation and the two cells after "-2" or "-3" of a DirectX or POV line. Only cells whose text differs are
 * written. A proposal clashes with every other row of `into` that binds the same thing now. A row that its new cells
 * would leave unreadable (an empty cell before a filled one) is not proposed.
 */
TakePlan planTakeBindings(const KeyDocument& into, const KeyDocument& from);

/** True when a proposal with these clash proposals (TakeProposal::clashProposals) clashes while the proposals
 *  `taken` are taken: some row holding its keys keeps them, having no proposal or one that is not taken. */
bool clashesWhenTaken(const std::vector<int>& clashProposals, const std::vector<bool>& taken);

/** Every proposal taken except those that clash, repeated until none does: a swap of two keys is taken whole, a
 *  key held by a function that keeps it is not. */
std::vector<bool> takenWithoutClashes(const std::vector<std::vector<int>>& clashProposals);
std::vector<bool> takenWithoutClashes(const TakePlan& plan);

} // namespace core
