#include "Problems.h"

#include "Binding.h"
#include "FreeSlots.h"
#include "GenericOrder.h"
#include "KeyCombination.h"
#include "Parallel.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace core {

namespace {

constexpr std::size_t kQuotedTextLimit = 60; // longer trailing text is cut in the message
constexpr std::size_t kNamedFunctions = 4; // a conflict names this many functions, then counts the rest

bool hasCode(const KeyRef& key)
{
    return key.kind == KeyRef::Kind::Table || key.kind == KeyRef::Kind::Unknown;
}

std::string quoted(std::string_view text)
{
    const bool cut = text.size() > kQuotedTextLimit;
    std::string result(1, '"');
    result.append(text.substr(0, kQuotedTextLimit));
    result.append(cut ? "...\"" : "\"");
    return result;
}

std::string plural(std::size_t n, std::string_view word)
{
    return std::to_string(n) + " " + std::string(word) + (n == 1 ? "" : "s");
}

/** The cells of one row, each read once and only when a message quotes it. */
class LazyCells
{
public:
    LazyCells(const KeyDocument& document, int row)
        : m_document(document)
        , m_row(row)
    { }
    const std::string& operator[](int column)
    {
        const auto c = static_cast<std::size_t>(column);
        if (!m_cells)
            m_cells.emplace(); // most lines quote no cell: their check makes no strings
        if (!(m_read & (1U << c))) {
            (*m_cells)[c] = m_document.cell(m_row, column);
            m_read |= 1U << c;
        }
        return (*m_cells)[c];
    }

private:
    const KeyDocument& m_document;
    int m_row;
    unsigned m_read = 0;
    std::optional<RecordCells> m_cells;
};

// What lines that may conflict share: the kind, then the key, modifier and combination; the DirectX button,
// invocation and release flag; or the POV hat and direction.
struct GroupKey
{
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    std::uint64_t c = 0;

    friend bool operator==(const GroupKey&, const GroupKey&) = default;
};

struct GroupKeyHash
{
    std::size_t operator()(const GroupKey& k) const
    {
        std::uint64_t h = k.a * 0x9E3779B97F4A7C15ULL;
        h = (h ^ (h >> 29)) + k.b * 0xBF58476D1CE4E5B9ULL;
        h = (h ^ (h >> 31)) + k.c * 0x94D049BB133111EBULL;
        return static_cast<std::size_t>(h ^ (h >> 32));
    }
};

// Group ids by key, in one table of slots (linear probing, at most half full, a power of two of them): a whole
// file's check looks up one key a line, and a table of nodes spends most of that on the remainder of a division
// and on following pointers.
class GroupIndex
{
public:
    /** Empty, with room for about `expected` keys. */
    void clear(std::size_t expected)
    {
        std::size_t capacity = 16;
        while (capacity < 2 * expected)
            capacity *= 2;
        m_slots.assign(capacity, Slot{});
        m_size = 0;
    }
    /** The id stored for `key`, and whether the key was new (its id then -1, for the caller to set). */
    std::pair<std::int32_t*, bool> tryEmplace(const GroupKey& key)
    {
        if (2 * (m_size + 1) > m_slots.size())
            grow();
        std::size_t at = slotOf(key);
        for (;; at = (at + 1) & mask()) {
            Slot& slot = m_slots[at];
            if (slot.id < 0) {
                slot.key = key;
                ++m_size;
                return {&slot.id, true};
            }
            if (slot.key == key)
                return {&slot.id, false};
        }
    }
    /** Takes the key out; false when it was not there. */
    bool erase(const GroupKey& key)
    {
        if (m_slots.empty())
            return false;
        std::size_t at = slotOf(key);
        for (;; at = (at + 1) & mask()) {
            if (m_slots[at].id < 0)
                return false;
            if (m_slots[at].key == key)
                break;
        }
        // Moves back each later key of the run that would no longer be found past the gap.
        std::size_t gap = at;
        for (std::size_t next = (gap + 1) & mask(); m_slots[next].id >= 0; next = (next + 1) & mask()) {
            const std::size_t home = slotOf(m_slots[next].key);
            // The key stays where its home lies cyclically in (gap, next].
            const bool stays = gap < next ? (home > gap && home <= next) : (home > gap || home <= next);
            if (!stays) {
                m_slots[gap] = m_slots[next];
                gap = next;
            }
        }
        m_slots[gap] = Slot{};
        --m_size;
        return true;
    }

private:
    struct Slot
    {
        GroupKey key;
        std::int32_t id = -1; // -1: empty
    };
    std::size_t mask() const { return m_slots.size() - 1; }
    std::size_t slotOf(const GroupKey& key) const { return GroupKeyHash{}(key)&mask(); }
    void grow()
    {
        std::vector<Slot> old = std::move(m_slots);
        m_slots.assign(std::max<std::size_t>(16, 2 * old.size()), Slot{});
        for (const Slot& slot : old) {
            if (slot.id < 0)
                continue;
            std::size_t at = slotOf(slot.key);
            while (m_slots[at].id >= 0)
                at = (at + 1) & mask();
            m_slots[at] = slot;
        }
    }

    std::vector<Slot> m_slots;
    std::size_t m_size = 0;
};

enum GroupKind : std::uint64_t { KeyGroup = 1, ButtonGroup = 2, PovGroup = 3 };

std::optional<GroupKey> groupKeyOf(const Binding& b)
{
    if (b.reference)
        return std::nullopt;
    GroupKey key;
    switch (b.kind) {
    case RecordKind::Comment:
        return std::nullopt;
    case RecordKind::Key:
        // Lines the simulator does not act on share keys with any other.
        if (isPassiveLine(b) || !hasCode(b.key) || !b.modifier.isValid())
            return std::nullopt;
        key.a = (KeyGroup << 56) | static_cast<std::uint64_t>(b.modifier.value);
        key.b = b.key.code;
        if (!b.combo.namesNoKey()) {
            if (!hasCode(b.combo) || !b.comboModifier.isValid())
                return std::nullopt;
            key.c = (1ULL << 40) | (static_cast<std::uint64_t>(b.combo.code) << 8)
                | static_cast<std::uint64_t>(b.comboModifier.value);
        }
        return key;
    case RecordKind::DirectX:
        if (!b.numberValid || !b.invocationValid)
            return std::nullopt;
        key.a = (ButtonGroup << 56) | (b.release ? 1U : 0U);
        key.b = static_cast<std::uint64_t>(b.number);
        key.c = static_cast<std::uint64_t>(b.invocation);
        return key;
    case RecordKind::Pov:
        if (!b.numberValid || b.direction < 0)
            return std::nullopt;
        key.a = (PovGroup << 56) | static_cast<std::uint64_t>(b.direction);
        key.b = static_cast<std::uint64_t>(b.number);
        return key;
    }
    return std::nullopt;
}

std::uint64_t nameHash(const KeyDocument& document, int row)
{
    std::string spare;
    return std::hash<std::string_view>{}(document.simName(row, spare));
}

// A key as the conflict message names it: its name in the table, or the code as the file writes it.
std::string keyWords(const ModifierRef& modifier, const KeyRef& key, const std::string& cell)
{
    std::string text = modifier.words();
    if (!text.empty())
        text += ' ';
    text += key.kind == KeyRef::Kind::Table ? key.name() : cell;
    return text;
}

std::string bindingWords(const Binding& b, LazyCells& cells)
{
    switch (b.kind) {
    case RecordKind::Key: {
        std::string text = keyWords(b.modifier, b.key, cells[KeyColumn]);
        if (!b.combo.namesNoKey())
            text = keyWords(b.comboModifier, b.combo, cells[ComboKeyColumn]) + "  " + text;
        return text;
    }
    case RecordKind::DirectX: {
        std::string text = keysText(b) + (b.release ? " on release" : "");
        if (b.invocation != (b.release ? -2 : -1))
            text += " (invocation " + std::to_string(b.invocation) + ")";
        return text;
    }
    case RecordKind::Pov:
        return keysText(b);
    case RecordKind::Comment:
        break;
    }
    return {};
}

ProblemCode conflictCode(RecordKind kind)
{
    return kind == RecordKind::Key    ? ProblemCode::KeyConflict
        : kind == RecordKind::DirectX ? ProblemCode::ButtonConflict
                                      : ProblemCode::PovConflict;
}

} // namespace

struct ProblemCheck::Groups
{
    struct Group
    {
        GroupKey key;
        std::vector<int> rows; // ascending
        std::size_t functions = 0; // distinct names
        // The functions' name hashes and how many rows each has, by hash: made when an edit first touches the group
        // (a whole file's check only counts the names).
        std::vector<std::pair<std::uint64_t, int>> names;
        bool namesKept = false;
        // While a whole file is read: the line number of each row, gathered with the rows so that listing the lines
        // need not visit every row again (a group's rows lie far apart in a big file).
        std::vector<int> readLines;
        bool hasProblem = false;
        Problem problem;
    };
    // 12 bytes a row rather than 16: the name's hash in two halves, so that nothing is padded.
    struct Member
    {
        std::int32_t group = -1;
        std::uint32_t nameLow = 0;
        std::uint32_t nameHigh = 0;

        Member() = default;
        Member(std::int32_t id, std::uint64_t name)
            : group(id)
            , nameLow(static_cast<std::uint32_t>(name))
            , nameHigh(static_cast<std::uint32_t>(name >> 32))
        { }
        std::uint64_t name() const { return (std::uint64_t{nameHigh} << 32) | nameLow; }
    };
    static_assert(sizeof(Member) == 12);

    std::vector<Member> members; // per row
    std::vector<Group> groups;
    std::vector<int> free;
    GroupIndex index;
    std::vector<int> dirty;
    int problems = 0;

    void clear(std::size_t rows)
    {
        members.assign(rows, Member{});
        groups.clear();
        free.clear();
        index.clear(std::min<std::size_t>(rows, 4096)); // lines share few keys; the table grows as it needs
        dirty.clear();
        problems = 0;
    }

    // An edit's row goes to its place in its group and counts its name at once.
    void join(int row, const GroupKey& key, std::uint64_t name)
    {
        auto [id, inserted] = index.tryEmplace(key);
        if (inserted) {
            *id = newGroup(key);
            groups[static_cast<std::size_t>(*id)].namesKept = true;
        }
        Group& group = groups[static_cast<std::size_t>(*id)];
        keepNames(group);
        members[static_cast<std::size_t>(row)] = {*id, name};
        group.rows.insert(std::lower_bound(group.rows.begin(), group.rows.end(), row), row);
        const auto at = std::lower_bound(group.names.begin(), group.names.end(), std::make_pair(name, 0));
        if (at != group.names.end() && at->first == name)
            ++at->second;
        else
            group.names.insert(at, {name, 1});
        group.functions = group.names.size();
        dirty.push_back(*id);
    }

    // The names of a group read with the whole file, counted by hash from its rows' members.
    void keepNames(Group& group) const
    {
        if (group.namesKept)
            return;
        std::vector<std::uint64_t> hashes;
        hashes.reserve(group.rows.size());
        for (const int row : group.rows)
            hashes.push_back(members[static_cast<std::size_t>(row)].name());
        std::sort(hashes.begin(), hashes.end());
        group.names.clear();
        for (const std::uint64_t h : hashes) {
            if (group.names.empty() || group.names.back().first != h)
                group.names.emplace_back(h, 0);
            ++group.names.back().second;
        }
        group.namesKept = true;
    }

    std::int32_t newGroup(const GroupKey& key)
    {
        const std::int32_t id = takeFreeSlot(groups, free);
        groups[static_cast<std::size_t>(id)].key = key;
        return id;
    }

    // How many distinct hashes: the functions of a group read in one go. `table` is room to count in.
    static std::size_t countDistinct(std::span<const std::uint64_t> hashes, std::vector<std::uint64_t>& table)
    {
        if (hashes.size() == 2)
            return hashes[0] == hashes[1] ? 1 : 2;
        if (hashes.size() < 2)
            return hashes.size();
        std::size_t size = 8;
        while (size < 2 * hashes.size())
            size *= 2;
        // Open addressing on the hash itself; 0 marks an empty slot, so a hash of 0 is counted on its own.
        table.assign(size, 0);
        const std::size_t mask = size - 1;
        std::size_t distinct = 0;
        bool zero = false;
        for (const std::uint64_t h : hashes) {
            if (h == 0) {
                zero = true;
                continue;
            }
            std::size_t at = static_cast<std::size_t>(h ^ (h >> 32)) & mask;
            while (table[at] != 0 && table[at] != h)
                at = (at + 1) & mask;
            if (table[at] == 0) {
                table[at] = h;
                ++distinct;
            }
        }
        return distinct + (zero ? 1 : 0);
    }

    void leave(int row)
    {
        Member& member = members[static_cast<std::size_t>(row)];
        if (member.group < 0)
            return;
        Group& group = groups[static_cast<std::size_t>(member.group)];
        keepNames(group);
        const auto at = std::lower_bound(group.rows.begin(), group.rows.end(), row);
        if (at != group.rows.end() && *at == row)
            group.rows.erase(at);
        const auto name = std::lower_bound(group.names.begin(), group.names.end(), std::make_pair(member.name(), 0));
        if (name != group.names.end() && name->first == member.name() && --name->second == 0)
            group.names.erase(name);
        group.functions = group.names.size();
        dirty.push_back(member.group);
        member = Member{};
    }

    // Decides the group's problem again; an emptied group is given back.
    void settle(const KeyDocument& document, int id)
    {
        Group& group = groups[static_cast<std::size_t>(id)];
        if (group.hasProblem) {
            group.hasProblem = false;
            group.problem = Problem{};
            --problems;
        }
        if (group.rows.empty()) {
            if (index.erase(group.key))
                free.push_back(id);
            return;
        }
        const std::size_t functionCount = group.functions;
        if (functionCount < 2)
            return;
        // The first functions in the order of their first lines: their name hashes and first rows.
        std::array<std::pair<std::uint64_t, int>, kNamedFunctions> functions;
        std::size_t named = 0;
        const std::size_t wanted = std::min(kNamedFunctions, functionCount);
        for (std::size_t i = 0; i < group.rows.size() && named < wanted; ++i) {
            const int row = group.rows[i];
            const std::uint64_t name = members[static_cast<std::size_t>(row)].name();
            if (std::none_of(functions.begin(), functions.begin() + static_cast<std::ptrdiff_t>(named),
                    [name](const auto& f) { return f.first == name; }))
                functions[named++] = {name, row};
        }

        const int first = group.rows.front();
        const Binding binding = document.bindingOnce(first);
        LazyCells cells(document, first);
        std::string text;
        text.reserve(160);
        text += bindingWords(binding, cells);
        text += " is bound to ";
        text += plural(functionCount, "function");
        text += ": ";
        for (std::size_t i = 0; i < named; ++i) {
            if (i > 0)
                text += ", ";
            const int row = functions[i].second;
            text += document.cell(row, SimNameColumn);
            text += " (line ";
            text += std::to_string(document.lineNumber(row));
            text += ')';
        }
        if (functionCount > named)
            text += " and " + std::to_string(functionCount - named) + " more";

        group.problem.row = first;
        group.problem.line = document.lineNumber(first);
        group.problem.severity = Severity::Warning;
        group.problem.code = conflictCode(binding.kind);
        group.problem.text = std::move(text);
        if (group.readLines.size() == group.rows.size()) {
            group.problem.lines = std::move(group.readLines);
        } else {
            group.problem.lines.clear();
            group.problem.lines.reserve(group.rows.size());
            for (const int row : group.rows)
                group.problem.lines.push_back(document.lineNumber(row));
        }
        group.hasProblem = true;
        ++problems;
    }

    void settleDirty(const KeyDocument& document)
    {
        std::sort(dirty.begin(), dirty.end());
        dirty.erase(std::unique(dirty.begin(), dirty.end()), dirty.end());
        for (const int id : dirty)
            settle(document, id);
        dirty.clear();
    }

    // The group problem reported on `row`, if any.
    const Problem* problemOn(int row) const
    {
        const int id = members[static_cast<std::size_t>(row)].group;
        if (id < 0)
            return nullptr;
        const Group& group = groups[static_cast<std::size_t>(id)];
        return group.hasProblem && group.rows.front() == row ? &group.problem : nullptr;
    }
};

const char* problemCodeName(ProblemCode code)
{
    switch (code) {
    case ProblemCode::UnknownKey:
        return "unknown-key";
    case ProblemCode::MalformedKey:
        return "malformed-key";
    case ProblemCode::PauseKey:
        return "pause-key";
    case ProblemCode::BadModifier:
        return "bad-modifier";
    case ProblemCode::BadNumber:
        return "bad-number";
    case ProblemCode::UnwritableCell:
        return "unwritable-cell";
    case ProblemCode::ShortLine:
        return "short-line";
    case ProblemCode::TrailingText:
        return "trailing-text";
    case ProblemCode::KeyConflict:
        return "key-conflict";
    case ProblemCode::ButtonConflict:
        return "button-conflict";
    case ProblemCode::PovConflict:
        return "pov-conflict";
    }
    return "unknown";
}

const char* severityName(Severity severity)
{
    return severity == Severity::Error ? "error" : "warning";
}

std::string_view cellName(int column)
{
    switch (column) {
    case ComboKeyColumn:
        return "second Keys";
    case ComboModifierColumn:
        return "second Modifiers";
    default:
        break;
    }
    if (column < SimNameColumn || column >= ColumnCount)
        return {};
    return columnHeaders()[static_cast<std::size_t>(column)];
}

std::string unwritableCellText(const UnwritableCell& cell)
{
    const std::string name(cellName(cell.column));
    switch (cell.reason) {
    case UnwritableCell::Reason::Empty:
        return "The " + name + " cell is empty; saving would move its later fields one column left";
    case UnwritableCell::Reason::Space:
        return "The " + name + " cell holds a space; saving would split it into two fields";
    case UnwritableCell::Reason::Quote:
        return "The " + name + " cell starts with a quote; saving would make the rest of the line its description";
    }
    return {};
}

std::optional<std::string> unwritableRowMessage(int lineNumber, const RecordCells& cells)
{
    const auto cell = unwritableCell(cells);
    if (!cell)
        return std::nullopt;
    const std::string line = "Line " + std::to_string(lineNumber);
    const std::string name(cellName(cell->column));
    switch (cell->reason) {
    case UnwritableCell::Reason::Empty:
        return line + " has an empty " + name + " cell; saving would move its later fields one column left.";
    case UnwritableCell::Reason::Space:
        return line + " has a space in its " + name + " cell; saving would split it into two fields.";
    case UnwritableCell::Reason::Quote:
        return line + " has a quote at the start of its " + name
            + " cell; saving would make the rest of the line its description.";
    }
    return std::nullopt;
}

ProblemCheck::ProblemCheck()
    : m_groups(std::make_unique<Groups>())
{ }

ProblemCheck::~ProblemCheck() = default;
ProblemCheck::ProblemCheck(ProblemCheck&&) noexcept = default;
ProblemCheck& ProblemCheck::operator=(ProblemCheck&&) noexcept = default;

namespace {

// The first entry of `local` for row `row` or a later one.
template <typename Local> auto localAt(Local& local, std::size_t row)
{
    return std::lower_bound(local.begin(), local.end(), row,
        [](const auto& entry, std::size_t r) { return static_cast<std::size_t>(entry.first) < r; });
}

} // namespace

const std::vector<Problem>* ProblemCheck::localProblems(std::size_t row) const
{
    const auto at = localAt(m_local, row);
    return at != m_local.end() && static_cast<std::size_t>(at->first) == row ? &at->second : nullptr;
}

void ProblemCheck::setLocalProblems(std::size_t row, std::vector<Problem> problems)
{
    // A whole file's check comes in row order: its rows go at the end.
    const auto at = !m_local.empty() && static_cast<std::size_t>(m_local.back().first) < row ? m_local.end()
                                                                                             : localAt(m_local, row);
    const bool there = at != m_local.end() && static_cast<std::size_t>(at->first) == row;
    if (problems.empty()) {
        if (there)
            m_local.erase(at);
        return;
    }
    if (there)
        at->second = std::move(problems);
    else
        m_local.emplace(at, static_cast<int>(row), std::move(problems));
}

void ProblemCheck::countLocal(int row, int sign)
{
    if (const std::vector<Problem>* problems = localProblems(static_cast<std::size_t>(row))) {
        for (const Problem& p : *problems)
            (p.severity == Severity::Error ? m_errors : m_warnings) += sign;
    }
}

void ProblemCheck::checkRow(const KeyDocument& document, int row, const Binding& binding)
{
    std::vector<Problem> out;
    checkLine(document, row, binding, out);
    setLocalProblems(static_cast<std::size_t>(row), std::move(out));
}

void ProblemCheck::checkLine(const KeyDocument& document, int row, const Binding& b, std::vector<Problem>& out)
{
    if (b.isComment())
        return;
    const int line = document.lineNumber(row);
    const auto add = [&out, row, line](Severity severity, ProblemCode code, std::string text) {
        out.push_back(Problem{row, line, severity, code, std::move(text), {line}});
    };
    LazyCells cells(document, row);

    if (b.isKey()) {
        const auto checkKey = [&](const KeyRef& key, int column, std::string_view what) {
            if (key.kind == KeyRef::Kind::Malformed || key.kind == KeyRef::Kind::NotACode) {
                add(Severity::Error, ProblemCode::MalformedKey,
                    cells[column] + std::string(what) + " is not a key code");
            } else if (hasCode(key) && key.code == PauseScanCode) {
                if (!b.reference)
                    add(Severity::Error, ProblemCode::PauseKey,
                        cells[column] + std::string(what)
                            + " is the Pause key, which stops the simulator when pressed");
            } else if (key.kind == KeyRef::Kind::Unknown) {
                add(Severity::Error, ProblemCode::UnknownKey,
                    cells[column] + std::string(what) + ": no key has this code");
            }
        };
        checkKey(b.key, KeyColumn, "");
        checkKey(b.combo, ComboKeyColumn, " (second key)");
        if (b.modifier.value == ModifierRef::Invalid)
            add(Severity::Error, ProblemCode::BadModifier,
                "Modifier " + cells[ModifierColumn] + " is not a whole number from 0 to 7");
        if (b.comboModifier.value == ModifierRef::Invalid)
            add(Severity::Error, ProblemCode::BadModifier,
                "Second modifier " + cells[ComboModifierColumn] + " is not a whole number from 0 to 7");
    } else {
        const bool button = b.kind == RecordKind::DirectX;
        if (!b.numberValid && !cells[CockpitIdColumn].empty())
            add(Severity::Error, ProblemCode::BadNumber,
                (button ? "Button number " : "Hat number ") + cells[CockpitIdColumn] + " is not a whole number");
        if (button && !b.invocationValid && !cells[IgnoredColumn].empty())
            add(Severity::Error, ProblemCode::BadNumber,
                "Invocation " + cells[IgnoredColumn] + " is not a whole number");
        if (!button && b.direction < 0 && !cells[ModifierColumn].empty())
            add(Severity::Error, ProblemCode::BadNumber,
                "POV direction " + cells[ModifierColumn] + " is not a whole number from 0 to 7");
    }
    // Only an edited row is written from its cells; every other row is written as it was read.
    if (document.isEdited(row)) {
        if (const auto cell = unwritableCell(document.cells(row)))
            add(Severity::Error, ProblemCode::UnwritableCell, unwritableCellText(*cell));
    }

    if (b.fieldCount < b.expectedFields()) {
        const char* kind = b.isKey() ? "a key line" : b.kind == RecordKind::DirectX ? "a DirectX line" : "a POV line";
        add(Severity::Warning, ProblemCode::ShortLine,
            "The line has " + plural(b.fieldCount, "field") + "; " + kind + " has "
                + std::to_string(b.expectedFields()));
    }
    if (b.trailingText) {
        if (b.isKey()) {
            add(Severity::Warning, ProblemCode::TrailingText,
                "Text after the description (" + quoted(textAfterDescription(cells[DescriptionColumn]))
                    + ") is kept, but the simulator may misread it");
        } else {
            std::string extra = cells[AssignableColumn];
            if (!cells[DescriptionColumn].empty())
                extra += " " + cells[DescriptionColumn];
            add(Severity::Warning, ProblemCode::TrailingText,
                "Text after the seventh field (" + quoted(trimSpaces(extra))
                    + ") is kept, but the simulator may read it as more fields");
        }
    }
}

// The rows a thread reads while a whole file is checked: their own problems, and the keys they share with their
// group ids, numbered in the order the chunk first meets them.
struct ProblemCheck::Chunk
{
    int begin = 0;
    int end = 0;
    std::vector<std::pair<int, std::vector<Problem>>> local; // rows with problems of their own, ascending
    GroupIndex index;
    std::vector<GroupKey> keys; // by the chunk's id
    std::vector<int> counts; // rows by the chunk's id
    int errors = 0;
    int warnings = 0;
};

void ProblemCheck::readChunk(const KeyDocument& document, Chunk& chunk, Groups& groups)
{
    chunk.index.clear(4096);
    for (int row = chunk.begin; row < chunk.end; ++row) {
        // Bindings known to the document are used, others are worked out without keeping them: a check of a whole
        // big file would write each once more.
        const Binding binding = document.bindingOnce(row);
        std::vector<Problem> out;
        checkLine(document, row, binding, out);
        if (!out.empty()) {
            for (const Problem& p : out)
                ++(p.severity == Severity::Error ? chunk.errors : chunk.warnings);
            chunk.local.emplace_back(row, std::move(out));
        }
        if (const auto key = groupKeyOf(binding)) {
            auto [id, inserted] = chunk.index.tryEmplace(*key);
            if (inserted) {
                *id = static_cast<std::int32_t>(chunk.keys.size());
                chunk.keys.push_back(*key);
                chunk.counts.push_back(0);
            }
            ++chunk.counts[static_cast<std::size_t>(*id)];
            groups.members[static_cast<std::size_t>(row)] = {*id, nameHash(document, row)};
        }
    }
}

unsigned ProblemCheck::threadsFor(int rows)
{
    return rows < kParallelRows ? 1 : workerThreads();
}

void ProblemCheck::check(const KeyDocument& document)
{
    check(document, threadsFor(document.rowCount()));
}

void ProblemCheck::check(const KeyDocument& document, unsigned threads)
{
    const int rows = document.rowCount();
    m_local.clear();
    m_rows = static_cast<std::size_t>(rows);
    Groups& groups = *m_groups;
    groups.clear(static_cast<std::size_t>(rows));
    m_errors = 0;
    m_warnings = 0;

    // Each line's own problems and its group's key depend on that line alone: chunks of rows are read side by side.
    threads = std::clamp(threads, 1U, static_cast<unsigned>(std::max(rows, 1)));
    std::vector<Chunk> chunks(threads);
    for (unsigned i = 0; i < threads; ++i) {
        chunks[i].begin = partStart(rows, i, threads);
        chunks[i].end = partStart(rows, i + 1, threads);
    }
    runSideBySide(threads, [&](unsigned i) { readChunk(document, chunks[i], groups); });

    // The chunks in row order: their lists, and their groups under ids of the whole file.
    std::vector<int> counts; // rows by group id
    for (Chunk& chunk : chunks) {
        for (auto& [row, problems] : chunk.local)
            setLocalProblems(static_cast<std::size_t>(row), std::move(problems));
        m_errors += chunk.errors;
        m_warnings += chunk.warnings;
        std::vector<std::int32_t> ids(chunk.keys.size());
        bool renumbered = false;
        for (std::size_t local = 0; local < chunk.keys.size(); ++local) {
            auto [id, inserted] = groups.index.tryEmplace(chunk.keys[local]);
            if (inserted) {
                *id = groups.newGroup(chunk.keys[local]);
                counts.push_back(0);
            }
            ids[local] = *id;
            counts[static_cast<std::size_t>(*id)] += chunk.counts[local];
            renumbered = renumbered || *id != static_cast<std::int32_t>(local);
        }
        if (renumbered) {
            for (int row = chunk.begin; row < chunk.end; ++row) {
                Groups::Member& member = groups.members[static_cast<std::size_t>(row)];
                if (member.group >= 0)
                    member.group = ids[static_cast<std::size_t>(member.group)];
            }
        }
    }

    // Each group's rows, names and lines side by side in one array, in row order: one pass over the members
    // instead of a growing list per group.
    struct Entry
    {
        int row;
        int line;
        std::uint64_t name;
    };
    std::vector<std::size_t> next(counts.size() + 1, 0);
    for (std::size_t id = 0; id < counts.size(); ++id)
        next[id + 1] = next[id] + static_cast<std::size_t>(counts[id]);
    const std::vector<std::size_t> starts = next;
    std::vector<Entry> entries(next.back());
    for (int row = 0; row < rows; ++row) {
        const Groups::Member& member = groups.members[static_cast<std::size_t>(row)];
        if (member.group >= 0)
            entries[next[static_cast<std::size_t>(member.group)]++] = {row, document.lineNumber(row), member.name()};
    }
    // Every group is new: each counts its functions and is settled once.
    std::vector<std::uint64_t> hashes;
    std::vector<std::uint64_t> table;
    for (std::size_t id = 0; id < counts.size(); ++id) {
        const std::span<const Entry> members(entries.data() + starts[id], entries.data() + starts[id + 1]);
        auto& group = groups.groups[id];
        group.rows.resize(members.size());
        hashes.resize(members.size());
        for (std::size_t i = 0; i < members.size(); ++i) {
            group.rows[i] = members[i].row;
            hashes[i] = members[i].name;
        }
        group.functions = Groups::countDistinct(hashes, table);
        if (group.functions >= 2) {
            group.readLines.resize(members.size());
            for (std::size_t i = 0; i < members.size(); ++i)
                group.readLines[i] = members[i].line;
        }
        groups.settle(document, static_cast<int>(id));
        group.readLines = {};
    }
    m_warnings += groups.problems;
}

void ProblemCheck::update(const KeyDocument& document, const std::vector<int>& rows)
{
    if (static_cast<std::size_t>(document.rowCount()) != m_rows) {
        check(document);
        return;
    }
    m_warnings -= m_groups->problems;
    for (const int row : rows) {
        if (row < 0 || row >= document.rowCount())
            continue;
        countLocal(row, -1);
        const Binding& binding = document.binding(row);
        checkRow(document, row, binding);
        countLocal(row, 1);
        m_groups->leave(row);
        if (const auto key = groupKeyOf(binding))
            m_groups->join(row, *key, nameHash(document, row));
    }
    m_groups->settleDirty(document);
    m_warnings += m_groups->problems;
}

std::vector<const Problem*> ProblemCheck::list(std::size_t limit) const
{
    std::vector<const Problem*> result;
    result.reserve(std::min(limit, static_cast<std::size_t>(count())));
    auto local = m_local.begin();
    for (std::size_t row = 0; row < m_rows && result.size() < limit; ++row) {
        if (local != m_local.end() && static_cast<std::size_t>(local->first) == row) {
            for (const Problem& p : local->second) {
                if (result.size() < limit)
                    result.push_back(&p);
            }
            ++local;
        }
        if (const Problem* p = m_groups->problemOn(static_cast<int>(row)); p && result.size() < limit)
            result.push_back(p);
    }
    return result;
}

std::vector<Problem> ProblemCheck::problems() const
{
    std::vector<Problem> result;
    for (const Problem* p : list())
        result.push_back(*p);
    return result;
}

std::vector<Problem> checkDocument(const KeyDocument& document)
{
    ProblemCheck check;
    check.check(document);
    return check.problems();
}

} // namespace core
