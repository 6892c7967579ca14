#include "Comparison.h"

#include "GenericOrder.h"
#include "KeyDocument.h"
#include "Parallel.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <stdexcept>

namespace core {

namespace {

constexpr std::string_view kCrLf = "\r\n";

constexpr std::array<std::string_view, 12> kMonths{"January", "February", "March", "April", "May", "June", "July",
    "August", "September", "October", "November", "December"};

// At least `width` digits, with leading zeros.
std::string zeroPadded(long long value, std::size_t width)
{
    const std::string digits = std::to_string(value);
    if (value < 0 || digits.size() >= width)
        return digits;
    return std::string(width - digits.size(), '0') + digits;
}

// The lines of one file, as places in its bytes: 8 bytes each where a view takes 16, for the million
// lines of a big file. A document's lines lie in its file's bytes or, for edited rows, in a second text of their own:
// places there have the top bit set.
class TextList
{
public:
    explicit TextList(std::string_view bytes, std::string_view extra = {})
        : m_bytes(bytes.data())
        , m_extra(extra)
    {
        if (bytes.size() > kExtraBit || extra.size() > kExtraBit)
            throw std::length_error("A key file of more than 2 GiB");
    }

    void reserve(std::size_t count) { m_places.reserve(count); }
    std::size_t capacity() const { return m_places.capacity(); }
    std::size_t size() const { return m_places.size(); }
    /** `text` lies in the bytes or the second text given at the start (or is empty). */
    void push_back(std::string_view text)
    {
        if (text.empty()) {
            m_places.push_back(Place{});
            return;
        }
        const bool inExtra
            = !m_extra.empty() && text.data() >= m_extra.data() && text.data() < m_extra.data() + m_extra.size();
        const auto start = inExtra ? static_cast<std::uint32_t>(text.data() - m_extra.data()) | kExtraBit
                                   : static_cast<std::uint32_t>(text.data() - m_bytes);
        m_places.push_back(Place{start, static_cast<std::uint32_t>(text.size())});
    }
    std::string_view operator[](std::size_t i) const
    {
        const Place& place = m_places[i];
        if (place.length == 0)
            return {};
        if ((place.start & kExtraBit) != 0)
            return std::string_view(m_extra.data() + (place.start & ~kExtraBit), place.length);
        return std::string_view(m_bytes + place.start, place.length);
    }

private:
    static constexpr std::uint32_t kExtraBit = 0x80000000U;
    struct Place
    {
        std::uint32_t start = 0;
        std::uint32_t length = 0;
    };
    const char* m_bytes;
    std::string_view m_extra;
    std::vector<Place> m_places;
};

// Eight bytes at a time, each mixed in by a multiplication; any byte order gives a good spread.
std::uint64_t hashOf(std::string_view text)
{
    std::uint64_t hash = 0x9E3779B97F4A7C15ULL ^ text.size();
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        hash = (hash ^ word) * 0xBF58476D1CE4E5B9ULL;
        hash ^= hash >> 29;
    }
    std::uint64_t tail = 0;
    if (i < text.size())
        std::memcpy(&tail, text.data() + i, text.size() - i);
    hash = (hash ^ tail) * 0x94D049BB133111EBULL;
    return hash ^ (hash >> 32);
}

// The high half of a hash, kept beside a place in a table so that texts are compared only when it agrees.
std::uint32_t tagOf(std::uint64_t hash)
{
    return static_cast<std::uint32_t>(hash >> 32);
}

// Asks for the memory at `place` to be brought into the caches, where the compiler can say so.
inline void prefetch(const void* place)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(place);
#else
    (void)place;
#endif
}

// A line as compareLines lists it, from its text without leading and trailing spaces (not empty).
CompareLine compareLineOf(std::string_view text)
{
    const std::size_t space = text.find(' ');
    return CompareLine{text, space == std::string_view::npos ? std::string_view() : trimSpaces(text.substr(0, space))};
}

// Calls `use` with each line of the file, as compareLines lists them.
template <typename Use> void forEachCompareLine(std::string_view bytes, Use use)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    std::size_t pos = 0;
    LineEnds ends(bytes);
    while (pos < bytes.size()) {
        const std::size_t end = ends.from(pos);
        if (const std::string_view text = trimSpaces(bytes.substr(pos, end - pos)); !text.empty())
            use(compareLineOf(text));
        if (end == bytes.size())
            break;
        pos = end + ((bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1);
    }
}

// The same lines read from a document's rows: an unedited row's from its line in the file's bytes, an edited row's
// from the line that saving writes for it, those standing one after another in `edited`, each ending at `ends`.
template <typename Use>
void forEachDocumentLine(
    const KeyDocument& document, const std::string& edited, const std::vector<std::size_t>& ends, Use use)
{
    std::size_t next = 0;
    for (int r = 0; r < document.rowCount(); ++r) {
        if (!document.isEdited(r)) {
            // Rows are the lines that are not blank.
            use(compareLineOf(trimSpaces(document.sourceLine(r))));
            continue;
        }
        const std::size_t start = next == 0 ? 0 : ends[next - 1];
        forEachCompareLine(std::string_view(edited).substr(start, ends[next] - start), use);
        ++next;
    }
}

// A line's sim name, as compareLines gives it: the text before its first space, empty without one.
std::string_view simNameOf(std::string_view line)
{
    const std::size_t space = line.find(' ');
    return space == std::string_view::npos ? std::string_view() : line.substr(0, space);
}

// The lines of one file, the length of each one's sim name (which starts the line) and how many are sim functions
// (not comments): 2 bytes a line where a list of the names took 8.
struct FileLists
{
    static constexpr std::uint16_t Comment = 0xFFFF; // a comment line: no sim function
    static constexpr std::uint16_t Long = 0xFFFE; // a name this long or longer is found again when it is needed

    TextList lines;
    std::vector<std::uint16_t> nameLengths;
    std::size_t functions = 0;
    std::size_t skipped = 0; // lines of the file left out of the lists (that the other file has too)
    std::shared_ptr<const std::string> edited; // the lines of a document's edited rows, where the lists point

    void add(const CompareLine& line)
    {
        lines.push_back(line.text);
        // A comment is a line of the file but no sim function.
        if (isCommentLine(line.text)) {
            nameLengths.push_back(Comment);
            return;
        }
        nameLengths.push_back(static_cast<std::uint16_t>(std::min<std::size_t>(line.simName.size(), Long)));
        ++functions;
    }
    bool isComment(std::size_t i) const { return nameLengths[i] == Comment; }
    std::size_t lineCount() const { return lines.size() + skipped; }
    std::string_view simName(std::size_t i) const
    {
        const std::string_view line = lines[i];
        return nameLengths[i] == Long ? simNameOf(line) : line.substr(0, nameLengths[i]);
    }
};

// The texts a comparison looks for, by line: the lines themselves, or the sim names of the lines that are no
// comments (a comment is a line but no sim function, and is skipped).
struct LineTexts
{
    const TextList& lines;
    std::size_t size() const { return lines.size(); }
    std::string_view operator[](std::size_t i) const { return lines[i]; }
    bool skips(std::size_t) const { return false; }
};
struct NameTexts
{
    const FileLists& file;
    std::size_t size() const { return file.lines.size(); }
    std::string_view operator[](std::size_t i) const { return file.simName(i); }
    bool skips(std::size_t i) const { return file.isComment(i); }
};

FileLists fileLists(const CompareInput& input)
{
    const auto collect = [](FileLists& lists, std::size_t lines) {
        lists.lines.reserve(lines);
        lists.nameLengths.reserve(lists.lines.capacity());
        return [&lists](const CompareLine& line) { lists.add(line); };
    };
    if (input.document) {
        const KeyDocument& document = *input.document;
        auto edited = std::make_shared<std::string>();
        std::vector<std::size_t> ends;
        for (int r = 0; r < document.rowCount(); ++r) {
            if (document.isEdited(r)) {
                *edited += document.lineText(r);
                ends.push_back(edited->size());
            }
        }
        FileLists lists{TextList(document.sourceBytes(), *edited), {}, 0, 0, {}};
        // A row is a line (an edited row's line as saving writes it).
        forEachDocumentLine(document, *edited, ends, collect(lists, static_cast<std::size_t>(document.rowCount())));
        lists.edited = std::move(edited);
        return lists;
    }
    if (!input.bytes)
        return FileLists{TextList({}), {}, 0, 0, {}};
    const std::string_view bytes = input.bytes->view();
    FileLists lists{TextList(bytes), {}, 0, 0, {}};
    // Room for lines of 40 bytes: pages the lists do not fill are never touched.
    forEachCompareLine(bytes, collect(lists, bytes.size() / 40 + 16));
    return lists;
}

// Two files of this many lines together have their lists made, and their lines and names looked for, two things
// side by side: below it the threads cost more than they save.
constexpr std::size_t SideBySideLines = 65536;

// Runs `first` and `second`, side by side when `sideBySide` and the processor runs two threads at once. Each touches
// only what is its own.
void runPair(bool sideBySide, const std::function<void()>& first, const std::function<void()>& second)
{
    if (sideBySide && workerThreads() > 1) {
        runSideBySide(2, [&](unsigned i) { i == 0 ? first() : second(); });
    } else {
        first();
        second();
    }
}

// Whether each of `texts` is among `items`, each looked for by scanning the items from their start: quadratic, the
// reference the comparison in step must equal.
template <typename Texts> std::vector<bool> foundByScanning(const Texts& texts, const Texts& items)
{
    std::vector<bool> found(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts.skips(i))
            continue;
        for (std::size_t j = 0; j < items.size() && !found[i]; ++j)
            found[i] = !items.skips(j) && items[j] == texts[i];
    }
    return found;
}

// The different texts among some of a list's, each with a mark, in a table of 8 bytes a slot that grows to stay at
// most half full. A slot holds the index of the first text with its bytes (+ 1; 0 for an empty slot) and the high
// half of its hash, whose lowest bit is the mark: texts are compared only when the rest agrees.
template <typename Texts> class TextTable
{
public:
    struct Slot
    {
        std::uint32_t text = 0;
        std::uint32_t tag = 0;

        bool marked() const { return (tag & 1U) != 0; }
    };

    /** Room for `expected` different texts before the table grows. */
    TextTable(const Texts& texts, std::size_t expected)
        : m_texts(texts)
    {
        std::size_t size = 16;
        while (size < expected * 2)
            size *= 2;
        m_slots.resize(size);
    }

    /** Puts in the text of each index indexAt(k), k < count, that its list does not skip; the first of equal texts
     *  stands for them all. */
    template <typename IndexAt> void add(std::size_t count, const IndexAt& indexAt)
    {
        const auto textAt = [&](std::size_t k) {
            const std::size_t i = indexAt(k);
            return m_texts.skips(i) ? std::string_view() : m_texts[i];
        };
        forEachHashed(count, textAt, [&](std::size_t k, std::uint64_t hash) {
            const std::size_t i = indexAt(k);
            if (m_texts.skips(i))
                return true;
            Slot& slot = m_slots[slotFor(m_texts[i], hash)];
            if (slot.text != 0)
                return true;
            slot = Slot{static_cast<std::uint32_t>(i + 1), tagOf(hash) & ~1U};
            ++m_unmarked;
            if (++m_entries * 2 > m_slots.size())
                grow();
            return true;
        });
    }

    /** Looks up each text of `items` that it does not skip, in order, and gives its slot (nullptr when the table does
     *  not have it) to use(i, slot); stops early once `untilAllMarked` and every text is marked. */
    template <typename Items, typename Use> void lookUp(const Items& items, bool untilAllMarked, const Use& use)
    {
        const auto textAt = [&](std::size_t i) { return items.skips(i) ? std::string_view() : items[i]; };
        forEachHashed(items.size(), textAt, [&](std::size_t i, std::uint64_t hash) {
            if (!items.skips(i)) {
                Slot& slot = m_slots[slotFor(items[i], hash)];
                use(i, slot.text == 0 ? nullptr : &slot);
            }
            return !(untilAllMarked && m_unmarked == 0);
        });
    }

    void mark(Slot& slot)
    {
        if (!slot.marked()) {
            slot.tag |= 1U;
            --m_unmarked;
        }
    }

private:
    // The slot that holds `text`, or the empty one where it would go.
    std::size_t slotFor(std::string_view text, std::uint64_t hash) const
    {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t at = hash & mask;
        while (m_slots[at].text != 0
            && !((m_slots[at].tag | 1U) == (tagOf(hash) | 1U) && m_texts[m_slots[at].text - 1] == text))
            at = (at + 1) & mask;
        return at;
    }

    void grow()
    {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        const std::size_t mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.text == 0)
                continue;
            std::size_t at = hashOf(m_texts[slot.text - 1]) & mask;
            while (m_slots[at].text != 0)
                at = (at + 1) & mask;
            m_slots[at] = slot;
        }
    }

    // Calls visit(k, hash of textAt(k)) for each k < count in order, until it returns false. A table of a million texts
    // is far bigger than the caches: each text's slot is asked for a few texts ahead, so that the memory is on its way
    // while the texts before it are placed.
    template <typename TextAt, typename Visit>
    void forEachHashed(std::size_t count, const TextAt& textAt, const Visit& visit)
    {
        constexpr std::size_t Ahead = 8;
        std::array<std::uint64_t, Ahead> hashes{};
        for (std::size_t j = 0; j < std::min(count, Ahead); ++j) {
            hashes[j] = hashOf(textAt(j));
            prefetch(&m_slots[hashes[j] & (m_slots.size() - 1)]);
        }
        for (std::size_t k = 0; k < count; ++k) {
            const std::uint64_t hash = hashes[k % Ahead];
            if (k + Ahead < count) {
                hashes[k % Ahead] = hashOf(textAt(k + Ahead));
                prefetch(&m_slots[hashes[k % Ahead] & (m_slots.size() - 1)]);
            }
            if (!visit(k, hash))
                return;
        }
    }

    Texts m_texts; // a view of the list, not a copy
    std::vector<Slot> m_slots;
    std::size_t m_entries = 0;
    std::size_t m_unmarked = 0;
};

// Marks found[a] for each a of `asked` whose text is among `items`. The texts asked for go into a table of their own,
// and each item is hashed once and looked up there until every one is found: for a few thousand texts asked of a
// million items, far less than a table of every item (its build is the cost of a big file's comparison).
template <typename Texts>
void markFound(
    const Texts& texts, const std::vector<std::uint32_t>& asked, const Texts& items, std::vector<bool>& found)
{
    if (asked.empty())
        return;
    TextTable<Texts> table(texts, asked.size());
    table.add(asked.size(), [&asked](std::size_t k) { return asked[k]; });
    table.lookUp(items, true, [&table](std::size_t, typename TextTable<Texts>::Slot* slot) {
        if (slot != nullptr)
            table.mark(*slot);
    });
    struct Asked
    {
        const Texts& texts;
        const std::vector<std::uint32_t>& asked;
        std::size_t size() const { return asked.size(); }
        std::string_view operator[](std::size_t k) const { return texts[asked[k]]; }
        bool skips(std::size_t k) const { return texts.skips(asked[k]); }
    };
    table.lookUp(Asked{texts, asked}, false,
        [&](std::size_t k, typename TextTable<Texts>::Slot* slot) { found[asked[k]] = slot->marked(); });
}

// Whether the sim name of each line of `lists` that is no comment is among the sim names of `other`'s lines, knowing
// which of its lines the other file has: a line the other file has gives its sim name there too. Only the names of
// the other lines are looked for. By line; a comment's is false.
std::vector<bool> namesFoundIn(const FileLists& lists, const std::vector<bool>& linesFound, const FileLists& other)
{
    std::vector<bool> found(lists.lines.size());
    std::vector<std::uint32_t> asked;
    for (std::size_t i = 0; i < lists.lines.size(); ++i) {
        if (lists.isComment(i))
            continue;
        if (linesFound[i])
            found[i] = true;
        else
            asked.push_back(static_cast<std::uint32_t>(i));
    }
    markFound(NameTexts{lists}, asked, NameTexts{other}, found);
    return found;
}

// Whether each of `texts` is among `items`, for two versions of a key file, which mostly keep their lines in the same
// order. Each text is looked for in step: in a window of the items after the last one found, so that a line one file
// lacks, or a block of lines it has more of, leaves the two in step. The few texts not found there are looked for in
// one pass over the items (markFound), instead of a table of every item with each one's place, whose build was most
// of a big file's comparison.
std::vector<bool> foundInStep(const TextList& texts, const TextList& items)
{
    // The window halves at each text not found in it and is whole again at the next one found: two files out of
    // step (a block one has more of, or files that share little) cost a comparison or two a line, not the window's.
    // A text not found in the window is looked for in every item below, so the window's size changes only the time.
    constexpr std::size_t Window = 64;
    std::vector<bool> found(texts.size());
    std::vector<std::uint32_t> asked;
    std::size_t next = 0;
    std::size_t window = Window;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::size_t end = std::min(items.size(), next + window);
        std::size_t at = next;
        while (at < end && items[at] != texts[i])
            ++at;
        if (at < end) {
            found[i] = true;
            next = at + 1;
            window = Window;
        } else {
            asked.push_back(static_cast<std::uint32_t>(i));
            window = std::max<std::size_t>(window / 2, 1);
        }
    }
    markFound(LineTexts{texts}, asked, LineTexts{items}, found);
    return found;
}

// Writes the report the way a rich text box takes it: a colour and a style are set and stay in force for the text
// inserted after them.
class ReportPen
{
public:
    explicit ReportPen(PlacedReport& report)
        : m_report(report)
    { }
    void setColour(Rgb colour) { m_style.colour = colour; }
    void setBoldUnderline(bool on) { m_style.boldUnderline = on; }
    void insert(std::string_view text) { m_report.append(text, m_style); }

private:
    PlacedReport& m_report;
    PlacedReport::Style m_style{colours::Black, false};
};

std::string unreadableNote(int number, const CompareInput& input)
{
    std::string reason = input.readError;
    std::replace_if(
        reason.begin(), reason.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    std::string note = "Key file " + std::to_string(number) + " could not be read";
    if (!reason.empty())
        note += " (" + reason + ")";
    note += "; it is compared as an empty file.";
    note += kCrLf;
    return note;
}

// What the report says of two files: their lists, and which items of each the other has.
struct Findings
{
    const FileLists& one;
    const FileLists& two;
    std::vector<bool> oneInTwo; // of the sim names, by line
    std::vector<bool> twoInOne;
    bool firstLeads; // the file with more lines leads, file 1 when both have as many
    std::vector<bool> leadInOther; // of the lines
    std::vector<bool> otherInLead;
};

// What each file has of the other, found before the report is written.
template <bool Scanning> Findings findingsOf(const FileLists& one, const FileLists& two)
{
    Findings found{one, two, {}, {}, one.lineCount() >= two.lineCount(), {}, {}};
    const FileLists& lead = found.firstLeads ? one : two;
    const FileLists& other = found.firstLeads ? two : one;
    if constexpr (Scanning) {
        found.leadInOther = foundByScanning(LineTexts{lead.lines}, LineTexts{other.lines});
        found.otherInLead = foundByScanning(LineTexts{other.lines}, LineTexts{lead.lines});
        found.oneInTwo = foundByScanning(NameTexts{one}, NameTexts{two});
        found.twoInOne = foundByScanning(NameTexts{two}, NameTexts{one});
    } else {
        const bool big = one.lines.size() + two.lines.size() >= SideBySideLines;
        runPair(
            big, [&] { found.leadInOther = foundInStep(lead.lines, other.lines); },
            [&] { found.otherInLead = foundInStep(other.lines, lead.lines); });
        runPair(
            big,
            [&] { found.oneInTwo = namesFoundIn(one, found.firstLeads ? found.leadInOther : found.otherInLead, two); },
            [&] { found.twoInOne = namesFoundIn(two, found.firstLeads ? found.otherInLead : found.leadInOther, one); });
    }
    return found;
}

void writeReport(
    ReportPen& pen, const CompareInput& file1, const CompareInput& file2, const std::tm& now, const Findings& found)
{
    const FileLists& one = found.one;
    const FileLists& two = found.two;
    pen.setColour(colours::Blue);
    pen.insert("Text in blue relates to: " + file1.path + std::string(kCrLf));
    pen.setColour(colours::Green);
    pen.insert("Text in green relates to: " + file2.path + std::string(kCrLf));
    // No colour is set for the date: it takes the green of the line before.
    pen.insert("Comparison made: " + comparisonDate(now) + std::string(kCrLf) + std::string(kCrLf));

    if (!file1.readable() || !file2.readable()) {
        if (!file1.readable()) {
            pen.setColour(colours::Blue);
            pen.insert(unreadableNote(1, file1));
        }
        if (!file2.readable()) {
            pen.setColour(colours::Green);
            pen.insert(unreadableNote(2, file2));
        }
        pen.insert(kCrLf);
    }

    pen.setColour(colours::Black);
    pen.setBoldUnderline(true);
    pen.insert("Summary\r\n\r\n");
    pen.setBoldUnderline(false);
    pen.insert("Number of lines: ");
    pen.setColour(colours::Blue);
    pen.insert(std::to_string(one.lineCount()) + "   ");
    pen.setColour(colours::Green);
    pen.insert(std::to_string(two.lineCount()) + std::string(kCrLf));
    pen.setColour(colours::Black);
    pen.insert("Number of sim functions: ");
    pen.setColour(colours::Blue);
    pen.insert(std::to_string(one.functions) + "   ");
    pen.setColour(colours::Green);
    pen.insert(std::to_string(two.functions) + std::string(kCrLf));
    pen.setColour(colours::Black);
    pen.insert("(Note that the number of lines should be the number of sim functions. If they're not it's worth "
               "examining the files to find out why not.)\r\n\r\n");

    pen.setBoldUnderline(true);
    pen.insert("Sim functions that are only found in one of the files\r\n\r\n");
    pen.setBoldUnderline(false);
    bool anyMissing = false;
    for (std::size_t i = 0; i < one.lines.size(); ++i) {
        if (!found.oneInTwo[i] && !one.isComment(i)) {
            pen.setColour(colours::Blue);
            pen.insert(one.simName(i));
            pen.insert(kCrLf);
            anyMissing = true;
        }
    }
    for (std::size_t i = 0; i < two.lines.size(); ++i) {
        if (!found.twoInOne[i] && !two.isComment(i)) {
            pen.setColour(colours::Green);
            pen.insert(two.simName(i));
            pen.insert(kCrLf);
            anyMissing = true;
        }
    }
    pen.setColour(colours::Black);
    if (!anyMissing)
        pen.insert("None, they both have the same sim functions present\r\n");
    pen.insert(kCrLf);

    pen.setBoldUnderline(true);
    pen.insert("Comparison of lines showing which are common to both files, and which are different or unique\r\n\r\n");
    pen.setBoldUnderline(false);
    // The lead file gives all its lines; the other file adds only its own.
    const FileLists& lead = found.firstLeads ? one : two;
    const FileLists& other = found.firstLeads ? two : one;
    const Rgb leadColour = found.firstLeads ? colours::Blue : colours::Green;
    const Rgb otherColour = found.firstLeads ? colours::Green : colours::Blue;
    for (std::size_t i = 0; i < lead.lines.size(); ++i) {
        pen.setColour(found.leadInOther[i] ? colours::Black : leadColour);
        pen.insert(lead.lines[i]);
        pen.insert(kCrLf);
    }
    for (std::size_t i = 0; i < other.lines.size(); ++i) {
        if (!found.otherInLead[i]) {
            pen.setColour(otherColour);
            pen.insert(other.lines[i]);
            pen.insert(kCrLf);
        }
    }
    pen.setColour(colours::Black);
}

// The lines of the report lie in the compared files' bytes, which it keeps: a document's file bytes (not the
// document) and the text of its edited rows.
void addSources(PlacedReport& report, const CompareInput& input, const FileLists& lists)
{
    if (input.document)
        report.addSource(input.document->sourceBytes(), std::make_shared<SharedBytes>(input.document->sharedSource()));
    else if (input.bytes)
        report.addSource(input.bytes->view(), std::make_shared<SharedBytes>(*input.bytes));
    if (lists.edited)
        report.addSource(*lists.edited, lists.edited);
}

PlacedReport reportOf(const CompareInput& file1, const CompareInput& file2, const Findings& found, const std::tm& now)
{
    PlacedReport report;
    addSources(report, file1, found.one);
    addSources(report, file2, found.two);
    // Written twice: first only to measure, then into room of the size measured.
    const auto write = [&] {
        ReportPen pen(report);
        writeReport(pen, file1, file2, now, found);
    };
    report.startMeasuring();
    write();
    report.startWriting();
    write();
    return report;
}

template <bool Scanning>
PlacedReport buildReport(const CompareInput& file1, const CompareInput& file2, const std::tm& now)
{
    const auto bytesOf = [](const CompareInput& input) {
        return input.document ? input.document->sourceBytes().size() : input.bytes ? input.bytes->size() : 0;
    };
    // The lines are not counted yet: key file lines are about 40 bytes long.
    std::optional<FileLists> lists[2];
    runPair(
        bytesOf(file1) + bytesOf(file2) >= SideBySideLines * 40, [&] { lists[0] = fileLists(file1); },
        [&] { lists[1] = fileLists(file2); });
    return reportOf(file1, file2, findingsOf<Scanning>(*lists[0], *lists[1]), now);
}

// The lines of a file read in pieces, as compareLines lists them, given to `use` a piece's lines at a time: a line
// begun in one piece and ended in another is put together and given by itself.
class PieceLines
{
public:
    using Lines = std::vector<std::string_view>;

    template <typename Use> void add(std::string_view piece, const Use& use)
    {
        if (m_started) {
            split(piece, use);
            return;
        }
        // A byte order mark is told by the first three bytes, which may come in pieces of their own.
        if (m_head.empty() && piece.size() >= 3) {
            m_started = true;
            split(withoutMark(piece), use);
            return;
        }
        m_head.append(piece);
        if (m_head.size() >= 3) {
            m_started = true;
            const std::string head = std::exchange(m_head, {});
            split(withoutMark(head), use);
        }
    }

    /** The file has ended: its last line, when it has no line end. */
    template <typename Use> void finish(const Use& use)
    {
        if (!m_started) {
            m_started = true;
            const std::string head = std::exchange(m_head, {});
            split(head, use);
        }
        giveCarried(use);
    }

private:
    static std::string_view withoutMark(std::string_view bytes)
    {
        return bytes.substr(0, 3) == "\xEF\xBB\xBF" ? bytes.substr(3) : bytes;
    }

    template <typename Use> void giveCarried(const Use& use)
    {
        if (const std::string_view text = trimSpaces(m_carried); !text.empty()) {
            m_lines.assign(1, text);
            use(m_lines);
        }
        m_carried.clear();
    }

    // Lines end at CR or LF: the empty line between the two of a CRLF is left out as every empty line is.
    template <typename Use> void split(std::string_view bytes, const Use& use)
    {
        std::size_t pos = 0;
        m_lines.clear();
        LineEnds ends(bytes);
        while (pos < bytes.size()) {
            const std::size_t end = ends.from(pos);
            if (end == bytes.size()) {
                m_carried.append(bytes.substr(pos));
                break;
            }
            if (!m_carried.empty()) { // the piece's first line, begun before it
                m_carried.append(bytes.substr(pos, end - pos));
                giveCarried(use);
                m_lines.clear();
            } else if (const std::string_view text = trimSpaces(bytes.substr(pos, end - pos)); !text.empty()) {
                m_lines.push_back(text);
            }
            pos = end + 1;
        }
        if (!m_lines.empty())
            use(m_lines);
    }

    std::string m_head; // the first bytes, while there are fewer than three
    std::string m_carried; // a line not ended in the pieces so far
    Lines m_lines;
    bool m_started = false;
};

// A piece's lines, for a table to look up.
struct PieceTexts
{
    const PieceLines::Lines& lines;
    std::size_t size() const { return lines.size(); }
    std::string_view operator[](std::size_t i) const { return lines[i]; }
    bool skips(std::size_t) const { return false; }
};

} // namespace

std::vector<CompareLine> compareLines(std::string_view bytes)
{
    std::vector<CompareLine> lines;
    forEachCompareLine(bytes, [&lines](const CompareLine& line) { lines.push_back(line); });
    return lines;
}

std::string comparisonDate(const std::tm& time)
{
    const bool knownMonth = time.tm_mon >= 0 && time.tm_mon < static_cast<int>(kMonths.size());
    const std::string_view month = knownMonth ? kMonths[static_cast<std::size_t>(time.tm_mon)] : "?";
    const int hour = ((time.tm_hour % 12) + 12) % 12;
    std::string text = zeroPadded(time.tm_mday, 2);
    text += ' ';
    text += month;
    text += ' ';
    // The year can lie beyond what an int holds.
    text += zeroPadded(static_cast<long long>(time.tm_year) + 1900, 4);
    text += ", ";
    text += std::to_string(hour == 0 ? 12 : hour);
    text += ':';
    text += zeroPadded(time.tm_min, 2);
    text += (time.tm_hour % 24 + 24) % 24 < 12 ? " am" : " pm";
    return text;
}

PlacedReport placedComparison(const CompareInput& file1, const CompareInput& file2, const std::tm& now)
{
    return buildReport<false>(file1, file2, now);
}

PlacedReport placedComparison(
    const CompareInput& file1, const std::string& path2, const ReadInPieces& read2, const std::tm& now)
{
    const FileLists one = fileLists(file1);
    // File 2's lines are looked up in a table of file 1's as they come; only those file 1 lacks are kept, one after
    // another in `kept`, each after an LF (so that none is taken for a byte order mark).
    std::vector<bool> lineFound(one.lines.size());
    std::string kept;
    std::size_t lines2 = 0;
    std::size_t functions2 = 0;
    std::string error;
    const auto unreadable = [&] { return placedComparison(file1, CompareInput{path2, std::nullopt, error}, now); };
    {
        TextTable<LineTexts> table(LineTexts{one.lines}, one.lines.size());
        table.add(one.lines.size(), [](std::size_t i) { return i; });
        PieceLines pieces;
        const auto take = [&](const PieceLines::Lines& lines) {
            table.lookUp(PieceTexts{lines}, false, [&](std::size_t i, TextTable<LineTexts>::Slot* slot) {
                ++lines2;
                if (!isCommentLine(lines[i]))
                    ++functions2;
                if (slot != nullptr) {
                    table.mark(*slot);
                } else {
                    kept += '\n';
                    kept += lines[i];
                }
            });
        };
        if (!read2([&](std::string_view piece) { pieces.add(piece, take); }, &error))
            return unreadable();
        pieces.finish(take);
        table.lookUp(LineTexts{one.lines}, false,
            [&](std::size_t i, TextTable<LineTexts>::Slot* slot) { lineFound[i] = slot->marked(); });
    }
    if (lines2 > one.lineCount()) {
        // File 2 leads the lines of the report, which shows every one of them: it is read whole.
        std::string bytes;
        if (!read2([&bytes](std::string_view piece) { bytes += piece; }, &error))
            return unreadable();
        return placedComparison(file1, CompareInput{path2, SharedBytes(std::move(bytes)), {}}, now);
    }

    const CompareInput file2{path2, SharedBytes(std::move(kept)), {}};
    FileLists two = fileLists(file2);
    two.skipped = lines2 - two.lines.size();
    two.functions = functions2;
    Findings found{one, two, {}, std::vector<bool>(two.lines.size()), true, std::move(lineFound),
        std::vector<bool>(two.lines.size(), false)};
    // File 2's sim names are those of the lines file 1 has too, and of the lines kept.
    TextTable<NameTexts> names(NameTexts{one}, 0);
    names.add(one.lines.size(), [](std::size_t i) { return i; });
    names.lookUp(NameTexts{one}, false, [&](std::size_t i, TextTable<NameTexts>::Slot* slot) {
        if (found.leadInOther[i])
            names.mark(*slot);
    });
    names.lookUp(NameTexts{two}, false, [&](std::size_t i, TextTable<NameTexts>::Slot* slot) {
        if (slot != nullptr) {
            names.mark(*slot);
            found.twoInOne[i] = true;
        }
    });
    found.oneInTwo.resize(one.lines.size());
    names.lookUp(NameTexts{one}, false,
        [&](std::size_t i, TextTable<NameTexts>::Slot* slot) { found.oneInTwo[i] = slot->marked(); });
    return reportOf(file1, file2, found, now);
}

Report compareKeyFiles(const CompareInput& file1, const CompareInput& file2, const std::tm& now)
{
    return buildReport<false>(file1, file2, now).toReport();
}

Report compareKeyFilesLinear(const CompareInput& file1, const CompareInput& file2, const std::tm& now)
{
    return buildReport<true>(file1, file2, now).toReport();
}

} // namespace core
