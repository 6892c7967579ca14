#include "Changes.h"

#include "Comparison.h"
#include "GenericOrder.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>

namespace core {

namespace {

// A function line of one file: what pairing and classifying look at.
struct FunctionLine
{
    int row = 0;
    RecordKind kind = RecordKind::Key;
    KeyIdentity keys;
    std::size_t descriptionHash = 0;
    std::size_t lineHash = 0; // of keys and description
    std::string simName;
    std::string description; // without leading and trailing spaces
};

void mix(std::size_t& seed, std::size_t value)
{
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

struct IdentityHash
{
    std::size_t operator()(const KeyIdentity& k) const
    {
        std::size_t seed = static_cast<std::size_t>(k.kind);
        for (const KeyRef* ref : {&k.key, &k.combo}) {
            mix(seed, static_cast<std::size_t>(ref->kind));
            mix(seed, static_cast<std::size_t>(ref->tableRow));
            mix(seed, ref->code);
        }
        mix(seed, static_cast<std::size_t>(k.modifier.value + 2));
        mix(seed, static_cast<std::size_t>(k.comboModifier.value + 2));
        mix(seed, (k.numberValid ? 1U : 0U) | (k.invocationValid ? 2U : 0U) | (k.release ? 4U : 0U));
        mix(seed, static_cast<std::size_t>(k.direction + 1));
        mix(seed, static_cast<std::size_t>(k.number));
        mix(seed, static_cast<std::size_t>(k.invocation));
        return seed;
    }
};

// Lines pair only within their group: the same sim name and the same kind of record.
struct GroupKey
{
    std::string_view simName;
    RecordKind kind;
    friend bool operator==(const GroupKey&, const GroupKey&) = default;
};

struct GroupKeyHash
{
    std::size_t operator()(const GroupKey& key) const
    {
        std::size_t seed = std::hash<std::string_view>()(key.simName);
        mix(seed, static_cast<std::size_t>(key.kind));
        return seed;
    }
};

// The function lines of a document; with `headlines`, also the row of the headline above each row (-1 for none).
std::vector<FunctionLine> functionLines(const KeyDocument& document, std::vector<int>* headlines = nullptr)
{
    std::vector<FunctionLine> lines;
    lines.reserve(static_cast<std::size_t>(document.rowCount()));
    if (headlines)
        headlines->assign(static_cast<std::size_t>(document.rowCount()), -1);
    int headline = -1;
    for (int r = 0; r < document.rowCount(); ++r) {
        if (headlines)
            (*headlines)[static_cast<std::size_t>(r)] = headline;
        if (document.isComment(r))
            continue;
        RecordCells cells = document.cells(r);
        const Binding binding = Binding::of(cells);
        if (binding.isHeadline()) {
            headline = r;
            if (headlines)
                (*headlines)[static_cast<std::size_t>(r)] = r;
            continue;
        }
        FunctionLine line;
        line.row = r;
        line.kind = binding.kind;
        line.keys = KeyIdentity::of(binding);
        line.simName = std::move(cells[SimNameColumn]);
        line.description = std::string(trimSpaces(cells[DescriptionColumn]));
        line.descriptionHash = std::hash<std::string>()(line.description);
        line.lineHash = IdentityHash()(line.keys);
        mix(line.lineHash, line.descriptionHash);
        lines.push_back(std::move(line));
    }
    return lines;
}

// The lines of one group in each file, as indexes into the files' function lines.
struct Group
{
    std::vector<int> first;
    std::vector<int> second;
};

// Pairs the lines of a group left unpaired that are `equal`, each line of file 1 in order with the first unpaired
// line of file 2 equal to it; `hash` agrees with `equal`.
template <typename Hash, typename Equal>
void pairBy(const Group& group, std::vector<int>& partner1, std::vector<int>& partner2, Hash hash, Equal equal)
{
    const auto unpaired1 = [&partner1](int a) { return partner1[static_cast<std::size_t>(a)] < 0; };
    const auto unpaired2 = [&partner2](int b) { return partner2[static_cast<std::size_t>(b)] < 0; };
    const auto pair = [&partner1, &partner2](int a, int b) {
        partner1[static_cast<std::size_t>(a)] = b;
        partner2[static_cast<std::size_t>(b)] = a;
    };
    if (group.first.size() * group.second.size() <= 256) {
        for (const int a : group.first) {
            if (!unpaired1(a))
                continue;
            for (const int b : group.second) {
                if (unpaired2(b) && equal(a, b)) {
                    pair(a, b);
                    break;
                }
            }
        }
        return;
    }
    struct Bucket
    {
        std::vector<int> lines;
        std::size_t next = 0; // lines before it are paired
    };
    std::unordered_map<std::size_t, Bucket> buckets;
    for (const int b : group.second) {
        if (unpaired2(b))
            buckets[hash(1, b)].lines.push_back(b);
    }
    for (const int a : group.first) {
        if (!unpaired1(a))
            continue;
        const auto found = buckets.find(hash(0, a));
        if (found == buckets.end())
            continue;
        Bucket& bucket = found->second;
        while (bucket.next < bucket.lines.size() && !unpaired2(bucket.lines[bucket.next]))
            ++bucket.next;
        for (std::size_t i = bucket.next; i < bucket.lines.size(); ++i) {
            const int b = bucket.lines[i];
            if (unpaired2(b) && equal(a, b)) {
                pair(a, b);
                break;
            }
        }
    }
}

// The positions (in `values`) of a longest strictly increasing subsequence.
std::vector<bool> longestIncreasing(const std::vector<int>& values)
{
    std::vector<int> tails; // positions of the smallest tail of each length
    std::vector<int> previous(values.size(), -1);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto at = std::lower_bound(tails.begin(), tails.end(), values[i],
            [&values](int position, int value) { return values[static_cast<std::size_t>(position)] < value; });
        if (at != tails.begin())
            previous[i] = *(at - 1);
        if (at == tails.end())
            tails.push_back(static_cast<int>(i));
        else
            *at = static_cast<int>(i);
    }
    std::vector<bool> inSequence(values.size(), false);
    for (int i = tails.empty() ? -1 : tails.back(); i >= 0; i = previous[static_cast<std::size_t>(i)])
        inSequence[static_cast<std::size_t>(i)] = true;
    return inSequence;
}

// The columns that hold a record's keys.
std::vector<int> keyColumns(RecordKind kind)
{
    if (kind == RecordKind::Key)
        return {KeyColumn, ModifierColumn, ComboKeyColumn, ComboModifierColumn};
    return {CockpitIdColumn, IgnoredColumn, ModifierColumn, ComboKeyColumn};
}

// A description cell's text without its quotes.
std::string descriptionText(std::string_view cell)
{
    cell = trimSpaces(cell);
    if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"')
        cell = cell.substr(1, cell.size() - 2);
    return std::string(cell);
}

std::string keyCellsText(const RecordCells& cells, RecordKind kind)
{
    std::string text;
    for (const int c : keyColumns(kind)) {
        if (!text.empty())
            text += ' ';
        text += cells[static_cast<std::size_t>(c)];
    }
    return text;
}

} // namespace

const char* changeKindWord(ChangeKind kind)
{
    switch (kind) {
    case ChangeKind::Removed:
        return "removed";
    case ChangeKind::Added:
        return "added";
    case ChangeKind::Rebound:
        return "rebound";
    case ChangeKind::DescriptionChanged:
        return "description";
    case ChangeKind::Moved:
        return "moved";
    case ChangeKind::Unchanged:
        break;
    }
    return "unchanged";
}

const char* changeKindTitle(ChangeKind kind)
{
    switch (kind) {
    case ChangeKind::Removed:
        return "Removed";
    case ChangeKind::Added:
        return "Added";
    case ChangeKind::Rebound:
        return "Rebound";
    case ChangeKind::DescriptionChanged:
        return "Description changed";
    case ChangeKind::Moved:
        return "Moved";
    case ChangeKind::Unchanged:
        break;
    }
    return "Unchanged";
}

KeyIdentity KeyIdentity::of(const Binding& b)
{
    KeyIdentity k;
    k.kind = b.kind;
    switch (b.kind) {
    case RecordKind::Comment:
        break;
    case RecordKind::Key:
        if (b.key.namesNoKey()) {
            k.key.kind = KeyRef::Kind::Unassigned;
        } else {
            k.key = b.key;
            k.modifier = b.modifier;
        }
        if (!b.combo.namesNoKey()) {
            k.combo = b.combo;
            k.comboModifier = b.comboModifier;
        }
        break;
    case RecordKind::DirectX:
        k.numberValid = b.numberValid;
        k.number = b.number;
        k.invocationValid = b.invocationValid;
        k.invocation = b.invocation;
        k.release = b.release;
        break;
    case RecordKind::Pov:
        k.numberValid = b.numberValid;
        k.number = b.number;
        k.direction = b.direction;
        break;
    }
    return k;
}

bool KeyIdentity::bindsSomething() const
{
    switch (kind) {
    case RecordKind::Key:
        return !key.namesNoKey();
    case RecordKind::DirectX:
        return numberValid;
    case RecordKind::Pov:
        return numberValid && direction >= 0;
    case RecordKind::Comment:
        break;
    }
    return false;
}

namespace {

std::vector<FunctionChange> pairLines(const std::vector<FunctionLine>& one, const std::vector<FunctionLine>& two)
{
    std::unordered_map<GroupKey, int, GroupKeyHash> groupOf;
    groupOf.reserve(one.size());
    std::vector<Group> groups;
    for (std::size_t i = 0; i < one.size(); ++i) {
        const GroupKey key{one[i].simName, one[i].kind};
        const auto [at, added] = groupOf.try_emplace(key, static_cast<int>(groups.size()));
        if (added)
            groups.emplace_back();
        groups[static_cast<std::size_t>(at->second)].first.push_back(static_cast<int>(i));
    }
    for (std::size_t i = 0; i < two.size(); ++i) {
        const auto found = groupOf.find(GroupKey{two[i].simName, two[i].kind});
        if (found != groupOf.end())
            groups[static_cast<std::size_t>(found->second)].second.push_back(static_cast<int>(i));
    }

    std::vector<int> partner1(one.size(), -1);
    std::vector<int> partner2(two.size(), -1);
    const auto line = [&one, &two](int file, int i) -> const FunctionLine& {
        return file == 0 ? one[static_cast<std::size_t>(i)] : two[static_cast<std::size_t>(i)];
    };
    // Hashes first: most lines of a group differ.
    const auto sameLine = [&one, &two](int a, int b) {
        const FunctionLine& l1 = one[static_cast<std::size_t>(a)];
        const FunctionLine& l2 = two[static_cast<std::size_t>(b)];
        return l1.lineHash == l2.lineHash && l1.keys == l2.keys && l1.description == l2.description;
    };
    const auto lineHash = [&line](int file, int i) { return line(file, i).lineHash; };
    const auto sameDescription = [&one, &two](int a, int b) {
        const FunctionLine& l1 = one[static_cast<std::size_t>(a)];
        const FunctionLine& l2 = two[static_cast<std::size_t>(b)];
        return l1.descriptionHash == l2.descriptionHash && l1.description == l2.description;
    };
    const auto descriptionHash = [&line](int file, int i) { return line(file, i).descriptionHash; };
    for (const Group& group : groups) {
        if (group.second.empty())
            continue;
        if (group.first.size() == 1 && group.second.size() == 1) {
            partner1[static_cast<std::size_t>(group.first[0])] = group.second[0];
            partner2[static_cast<std::size_t>(group.second[0])] = group.first[0];
            continue;
        }
        pairBy(group, partner1, partner2, lineHash, sameLine);
        pairBy(group, partner1, partner2, descriptionHash, sameDescription);
        pairBy(
            group, partner1, partner2, [](int, int) { return std::size_t(0); }, [](int, int) { return true; });
    }

    // Pairs in file 1's order; those whose file 2 places do not keep that order have moved.
    std::vector<int> pairedOne;
    std::vector<int> placesInTwo;
    for (std::size_t i = 0; i < one.size(); ++i) {
        if (partner1[i] >= 0) {
            pairedOne.push_back(static_cast<int>(i));
            placesInTwo.push_back(partner1[i]);
        }
    }
    const std::vector<bool> inOrder = longestIncreasing(placesInTwo);
    std::vector<bool> stable(one.size(), false);
    for (std::size_t p = 0; p < pairedOne.size(); ++p)
        stable[static_cast<std::size_t>(pairedOne[p])] = inOrder[p];

    // File 2's order; a function only in file 1 goes after the file 2 place of the last pair before it in file 1
    // that kept its order.
    struct Placed
    {
        int anchor;
        int tier;
        int index;
        FunctionChange change;
    };
    std::vector<Placed> placed;
    placed.reserve(one.size() + two.size());
    for (std::size_t j = 0; j < two.size(); ++j) {
        FunctionChange change;
        change.row2 = two[j].row;
        const int a = partner2[j];
        if (a < 0) {
            change.kind = ChangeKind::Added;
        } else {
            const FunctionLine& l1 = one[static_cast<std::size_t>(a)];
            change.row1 = l1.row;
            change.moved = !stable[static_cast<std::size_t>(a)];
            if (!(l1.keys == two[j].keys))
                change.kind = ChangeKind::Rebound;
            else if (l1.description != two[j].description)
                change.kind = ChangeKind::DescriptionChanged;
            else
                change.kind = change.moved ? ChangeKind::Moved : ChangeKind::Unchanged;
        }
        placed.push_back({static_cast<int>(j), 0, 0, change});
    }
    int anchor = -1;
    for (std::size_t i = 0; i < one.size(); ++i) {
        if (partner1[i] >= 0) {
            if (stable[i])
                anchor = partner1[i];
            continue;
        }
        FunctionChange change;
        change.kind = ChangeKind::Removed;
        change.row1 = one[i].row;
        placed.push_back({anchor, 1, static_cast<int>(i), change});
    }
    std::sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return std::tie(a.anchor, a.tier, a.index) < std::tie(b.anchor, b.tier, b.index);
    });
    std::vector<FunctionChange> functions;
    functions.reserve(placed.size());
    for (const Placed& p : placed)
        functions.push_back(p.change);
    return functions;
}

} // namespace

std::vector<FunctionChange> pairFunctions(const KeyDocument& first, const KeyDocument& second)
{
    return pairLines(functionLines(first), functionLines(second));
}

Changes Changes::between(KeyDocument first, KeyDocument second)
{
    Changes changes;
    changes.m_first = std::move(first);
    changes.m_second = std::move(second);
    changes.m_functions = pairLines(
        functionLines(changes.m_first, &changes.m_headline1), functionLines(changes.m_second, &changes.m_headline2));
    for (const FunctionChange& f : changes.m_functions)
        ++changes.m_counts[static_cast<std::size_t>(f.kind)];
    return changes;
}

std::string Changes::section(int n, int row) const
{
    const std::vector<int>& above = n == 0 ? m_headline1 : m_headline2;
    if (row < 0 || static_cast<std::size_t>(row) >= above.size() || above[static_cast<std::size_t>(row)] < 0)
        return {};
    return sectionTitle(document(n).cell(above[static_cast<std::size_t>(row)], DescriptionColumn));
}

std::string sectionTitle(std::string_view headlineDescription)
{
    std::string_view inner = trimSpaces(headlineDescription);
    if (inner.size() >= 2 && inner.front() == '"' && inner.back() == '"')
        inner = inner.substr(1, inner.size() - 2);
    const std::size_t start = inner.find_first_not_of("= ");
    const std::size_t end = inner.find_last_not_of("= ");
    if (start == std::string_view::npos)
        return {};
    std::string text;
    for (const char c : inner.substr(start, end - start + 1)) {
        if (c == ' ' && !text.empty() && text.back() == ' ')
            continue;
        text += c;
    }
    return text;
}

ChangeTexts Changes::texts(const FunctionChange& change) const
{
    ChangeTexts t;
    RecordCells cells[2];
    RecordKind kinds[2] = {RecordKind::Comment, RecordKind::Comment};
    for (int n = 0; n < 2; ++n) {
        const int row = n == 0 ? change.row1 : change.row2;
        if (row < 0)
            continue;
        cells[n] = document(n).cells(row);
        const Binding binding = Binding::of(cells[n]);
        kinds[n] = binding.kind;
        t.simName = cells[n][SimNameColumn];
        (n == 0 ? t.line1 : t.line2) = document(n).lineNumber(row);
        (n == 0 ? t.keys1 : t.keys2) = keysText(binding);
        (n == 0 ? t.description1 : t.description2) = descriptionText(cells[n][DescriptionColumn]);
    }
    t.section = change.row2 >= 0 ? section(1, change.row2) : section(0, change.row1);
    // Keys that differ in ways the words do not tell ("Not found" for two unknown codes, a DirectX line's
    // invocation) show their cells as well.
    if (change.kind == ChangeKind::Rebound && t.keys1 == t.keys2) {
        t.keys1 += " [" + keyCellsText(cells[0], kinds[0]) + "]";
        t.keys2 += " [" + keyCellsText(cells[1], kinds[1]) + "]";
    }
    return t;
}

std::string changeCountsText(const std::array<int, ChangeKindCount>& counts)
{
    const auto count = [&counts](ChangeKind kind) { return std::to_string(counts[static_cast<std::size_t>(kind)]); };
    const int descriptions = counts[static_cast<std::size_t>(ChangeKind::DescriptionChanged)];
    return count(ChangeKind::Added) + " added, " + count(ChangeKind::Removed) + " removed, "
        + count(ChangeKind::Rebound) + " rebound, " + std::to_string(descriptions)
        + (descriptions == 1 ? " description, " : " descriptions, ") + count(ChangeKind::Moved) + " moved";
}

Report changesReport(const Changes& changes, const std::string& path1, const std::string& path2,
    const std::array<bool, ChangeKindCount>& shown, const std::string& date)
{
    constexpr std::string_view kCrLf = "\r\n";
    Report report;
    report.append("Changes from key file 1 to key file 2\r\n\r\n", colours::Black, true);
    report.append("Key file 1: " + path1 + std::string(kCrLf), colours::Blue);
    report.append("Key file 2: " + path2 + std::string(kCrLf), colours::Green);
    report.append("Comparison made: " + date + std::string(kCrLf), colours::Black);
    report.append(changeCountsText(changes.counts()) + std::string(kCrLf), colours::Black);
    bool first = true;
    std::string section;
    for (const FunctionChange& change : changes.functions()) {
        if (!shown[static_cast<std::size_t>(change.kind)])
            continue;
        const ChangeTexts t = changes.texts(change);
        if (first || t.section != section) {
            report.append(kCrLf, colours::Black);
            report.append(
                (t.section.empty() ? std::string("(before the first headline)") : t.section) + std::string(kCrLf),
                colours::Black, true);
            section = t.section;
            first = false;
        }
        std::string text = changeKindTitle(change.kind);
        text += "  ";
        text += t.simName;
        text += "  ";
        switch (change.kind) {
        case ChangeKind::Removed:
            text += t.keys1 + "  (line " + std::to_string(t.line1) + " of key file 1)";
            break;
        case ChangeKind::Added:
            text += t.keys2 + "  (line " + std::to_string(t.line2) + " of key file 2)";
            break;
        case ChangeKind::Rebound:
            text += t.keys1 + " -> " + t.keys2;
            break;
        case ChangeKind::DescriptionChanged:
            text += t.keys2 + "  \"" + t.description1 + "\" -> \"" + t.description2 + "\"";
            break;
        case ChangeKind::Moved:
        case ChangeKind::Unchanged:
            text += t.keys2;
            break;
        }
        if (change.row1 >= 0 && change.row2 >= 0)
            text += "  (lines " + std::to_string(t.line1) + " / " + std::to_string(t.line2) + ")";
        const Rgb colour = change.kind == ChangeKind::Removed ? colours::Blue
            : change.kind == ChangeKind::Added                ? colours::Green
                                                              : colours::Black;
        report.append(text + std::string(kCrLf), colour);
    }
    if (first)
        report.append("\r\nNo changes of the kinds shown.\r\n", colours::Black);
    return report;
}

TakePlan planTakeBindings(const KeyDocument& into, const KeyDocument& from)
{
    TakePlan plan;
    // Who binds what in the open file now.
    std::unordered_multimap<KeyIdentity, int, IdentityHash> holders;
    for (int r = 0; r < into.rowCount(); ++r) {
        const Binding& b = into.binding(r);
        if (b.isComment() || b.isHeadline())
            continue;
        const KeyIdentity k = KeyIdentity::of(b);
        if (k.bindsSomething())
            holders.emplace(k, r);
    }
    std::vector<FunctionChange> functions = pairFunctions(into, from);
    std::vector<TakeProposal> proposals;
    for (const FunctionChange& f : functions) {
        if (f.kind == ChangeKind::Added) {
            plan.missing.push_back(f.row2);
            continue;
        }
        if (f.kind != ChangeKind::Rebound)
            continue;
        TakeProposal proposal;
        proposal.row = f.row1;
        proposal.fromRow = f.row2;
        RecordCells cells = into.cells(f.row1);
        const RecordCells theirs = from.cells(f.row2);
        for (const int c : keyColumns(into.binding(f.row1).kind)) {
            const auto column = static_cast<std::size_t>(c);
            if (cells[column] == theirs[column])
                continue;
            cells[column] = theirs[column];
            proposal.cells.emplace_back(c, theirs[column]);
        }
        if (proposal.cells.empty() || unwritableCell(cells))
            continue;
        const KeyIdentity taken = KeyIdentity::of(from.binding(f.row2));
        if (taken.bindsSomething()) {
            const auto [begin, end] = holders.equal_range(taken);
            for (auto it = begin; it != end; ++it) {
                if (it->second != f.row1)
                    proposal.clashes.push_back(it->second);
            }
            std::sort(proposal.clashes.begin(), proposal.clashes.end());
        }
        proposals.push_back(std::move(proposal));
    }
    std::sort(
        proposals.begin(), proposals.end(), [](const TakeProposal& a, const TakeProposal& b) { return a.row < b.row; });
    std::unordered_map<int, int> proposalOfRow;
    for (std::size_t i = 0; i < proposals.size(); ++i)
        proposalOfRow.emplace(proposals[i].row, static_cast<int>(i));
    for (TakeProposal& proposal : proposals) {
        for (const int row : proposal.clashes) {
            const auto found = proposalOfRow.find(row);
            proposal.clashProposals.push_back(found == proposalOfRow.end() ? -1 : found->second);
        }
    }
    std::sort(plan.missing.begin(), plan.missing.end());
    plan.proposals = std::move(proposals);
    return plan;
}

bool clashesWhenTaken(const std::vector<int>& clashProposals, const std::vector<bool>& taken)
{
    return std::any_of(clashProposals.begin(), clashProposals.end(), [&taken](int p) {
        return p < 0 || p >= static_cast<int>(taken.size()) || !taken[static_cast<std::size_t>(p)];
    });
}

std::vector<bool> takenWithoutClashes(const std::vector<std::vector<int>>& clashProposals)
{
    std::vector<bool> taken(clashProposals.size(), true);
    for (bool changed = true; changed;) {
        changed = false;
        for (std::size_t i = 0; i < taken.size(); ++i) {
            if (taken[i] && clashesWhenTaken(clashProposals[i], taken)) {
                taken[i] = false;
                changed = true;
            }
        }
    }
    return taken;
}

std::vector<bool> takenWithoutClashes(const TakePlan& plan)
{
    std::vector<std::vector<int>> clashProposals;
    clashProposals.reserve(plan.proposals.size());
    for (const TakeProposal& proposal : plan.proposals)
        clashProposals.push_back(proposal.clashProposals);
    return takenWithoutClashes(clashProposals);
}

} // namespace core
