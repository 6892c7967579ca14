#include "Binding.h"

#include "GenericOrder.h"
#include "KeyCodeTable.h"

namespace core {

namespace {

constexpr std::string_view kReferenceName = "SimDoNothing";
constexpr std::uint32_t kReleaseMarker = 0x42;
constexpr long long kNumberLimit = 1LL << 60; // beyond this a button or hat number is not shown

const char* const kPovDirections[] = {"Up", "Up-Right", "Right", "Down-Right", "Down", "Down-Left", "Left", "Up-Left"};

bool hasHexPrefix(std::string_view text)
{
    return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

Visibility visibilityOf(std::string_view cell)
{
    if (cell == "1")
        return Visibility::Shown;
    if (cell == "0" || cell == "-0")
        return Visibility::Locked;
    if (cell == "-1")
        return Visibility::Headline;
    if (cell == "-2")
        return Visibility::Hidden;
    return Visibility::Other;
}

// "DX5, Device 01": 32 buttons make one device, counted from the button number as it stands in the file.
std::string directXText(const Binding& b)
{
    if (!b.numberValid || b.number >= kNumberLimit || b.number <= -kNumberLimit)
        return "DX?";
    const long long button = b.number + 1;
    if (button < 33)
        return "DX" + std::to_string(button) + ", Device 01";
    const long long device = (button - 1) / 32 + 1;
    const long long k = button - (device - 1) * 32;
    return "DX" + std::to_string(k) + ", Device " + (device < 10 ? "0" : "") + std::to_string(device);
}

std::string povText(const Binding& b)
{
    std::string text = "POV";
    text += (b.numberValid && b.number < kNumberLimit) ? std::to_string(b.number + 1) : std::string("?");
    text += ' ';
    text += b.direction >= 0 ? kPovDirections[b.direction] : "?";
    return text;
}

// The modifier words, then the key's name after one space when both are there.
void appendKeyWithModifiers(std::string& out, const ModifierRef& modifier, const KeyRef& key)
{
    const std::size_t start = out.size();
    if (modifier.value != ModifierRef::Empty)
        out += modifierWords(modifier.value);
    if (key.kind != KeyRef::Kind::Empty) {
        if (out.size() > start)
            out += ' ';
        out += key.nameView();
    }
}

} // namespace

KeyRef KeyRef::of(std::string_view cell)
{
    KeyRef ref;
    if (cell.empty())
        return ref;
    if (cell == "0") {
        ref.kind = Kind::Zero;
        return ref;
    }
    if (!hasHexPrefix(cell)) {
        ref.kind = Kind::NotACode;
        return ref;
    }
    const std::int64_t read = scanCodeOrMinusOne(cell);
    if (read < 0) {
        ref.kind = Kind::Malformed;
        return ref;
    }
    const auto code = static_cast<std::uint32_t>(read);
    ref.code = code;
    if (code == 0) {
        ref.kind = Kind::Zero;
    } else if (code == KeyCodeTable::NoKeyCode) {
        ref.kind = Kind::Unassigned;
    } else if (const int row = KeyCodeTable::rowOfScanCodeOrMinusOne(code); row >= 0) {
        ref.kind = Kind::Table;
        ref.tableRow = static_cast<std::int16_t>(row);
    } else {
        ref.kind = Kind::Unknown;
    }
    return ref;
}

std::string KeyRef::name() const
{
    return std::string(nameView());
}

std::string_view KeyRef::nameView() const
{
    switch (kind) {
    case Kind::Unassigned:
        return "Unassigned";
    case Kind::Table:
        return KeyCodeTable::row(tableRow).keyName;
    case Kind::Unknown:
    case Kind::Malformed:
        return "Not found";
    case Kind::Empty:
    case Kind::Zero:
    case Kind::NotACode:
        break;
    }
    return {};
}

ModifierRef ModifierRef::of(std::string_view cell)
{
    ModifierRef ref;
    if (cell.empty())
        return ref;
    if (cell.size() == 1) { // nearly every modifier: one digit
        const int digit = cell[0] - '0';
        ref.value = digit >= 0 && digit <= 7 ? static_cast<std::int8_t>(digit) : Invalid;
        return ref;
    }
    const auto value = readWholeNumber(cell);
    ref.value = (value && *value >= 0 && *value <= 7) ? static_cast<std::int8_t>(*value) : Invalid;
    return ref;
}

std::string ModifierRef::words() const
{
    if (value == Empty)
        return {};
    return std::string(modifierWords(value));
}

Binding Binding::of(const RecordCells& cells)
{
    RecordViews views;
    for (std::size_t c = 0; c < views.size(); ++c)
        views[c] = cells[c];
    return of(views);
}

Binding Binding::of(const RecordViews& cells)
{
    Binding b;
    for (int c = ColumnCount - 1; c >= SimNameColumn; --c) {
        if (!cells[static_cast<std::size_t>(c)].empty()) {
            b.fieldCount = static_cast<std::uint8_t>(c);
            break;
        }
    }
    b.reference = cells[SimNameColumn] == kReferenceName;
    b.visibility = visibilityOf(cells[AssignableColumn]);
    const std::string_view keyCell = cells[KeyColumn];
    if (keyCell == "-2" || keyCell == "-3") {
        b.kind = keyCell == "-2" ? RecordKind::DirectX : RecordKind::Pov;
        if (const auto number = readWholeNumber(cells[CockpitIdColumn])) {
            b.numberValid = true;
            b.number = *number;
        }
        if (const auto invocation = readWholeNumber(cells[IgnoredColumn])) {
            b.invocationValid = true;
            b.invocation = *invocation;
        }
        if (b.kind == RecordKind::DirectX) {
            b.release = scanCodeOrMinusOne(cells[ModifierColumn]) == kReleaseMarker;
        } else if (const auto direction = readWholeNumber(cells[ModifierColumn]);
                   direction && *direction >= 0 && *direction < 8) {
            b.direction = static_cast<std::int8_t>(*direction);
        }
        // Seven fields end a DirectX or POV line; anything after them is text the reader took as fields.
        b.trailingText = b.fieldCount > 7;
        return b;
    }
    b.kind = RecordKind::Key;
    b.key = KeyRef::of(keyCell);
    b.modifier = ModifierRef::of(cells[ModifierColumn]);
    b.combo = KeyRef::of(cells[ComboKeyColumn]);
    b.comboModifier = ModifierRef::of(cells[ComboModifierColumn]);
    b.trailingText = !textAfterDescription(cells[DescriptionColumn]).empty();
    return b;
}

static_assert(sizeof(PackedBinding) == 8);
// The common bits (12), then a key line's two keys and modifiers, or a button line's bits and numbers.
static_assert(12 + 2 * (3 + PackedBinding::KeyValueBits) + 2 * 4 <= 64);
static_assert(12 + 7 + 2 * PackedBinding::NumberBits <= 64);
static_assert(KeyCodeTable::KeyCount < (1 << PackedBinding::KeyValueBits));

namespace {

// Fields of PackedBinding's word, written and read in order from bit 0.
class BitWriter
{
public:
    void put(std::uint64_t value, int bits)
    {
        m_word |= (value & ((std::uint64_t{1} << bits) - 1)) << m_at;
        m_at += bits;
    }
    void putSigned(std::int64_t value, int bits) { put(static_cast<std::uint64_t>(value), bits); }
    std::uint64_t word() const { return m_word; }

private:
    std::uint64_t m_word = 0;
    int m_at = 0;
};

class BitReader
{
public:
    explicit BitReader(std::uint64_t word)
        : m_word(word)
    { }
    std::uint64_t take(int bits)
    {
        const std::uint64_t value = (m_word >> m_at) & ((std::uint64_t{1} << bits) - 1);
        m_at += bits;
        return value;
    }
    std::int64_t takeSigned(int bits)
    {
        const std::uint64_t value = take(bits);
        const std::uint64_t sign = std::uint64_t{1} << (bits - 1);
        return static_cast<std::int64_t>(value ^ sign) - static_cast<std::int64_t>(sign);
    }

private:
    std::uint64_t m_word;
    int m_at = 0;
};

// A key's value: its table row, or the code the table lacks; the other kinds' codes follow from the kind.
std::uint64_t keyValue(const KeyRef& ref)
{
    if (ref.kind == KeyRef::Kind::Table)
        return static_cast<std::uint64_t>(ref.tableRow);
    return ref.kind == KeyRef::Kind::Unknown ? ref.code : 0;
}

KeyRef keyRefOf(std::uint64_t kind, std::uint64_t value)
{
    KeyRef ref;
    ref.kind = static_cast<KeyRef::Kind>(kind);
    switch (ref.kind) {
    case KeyRef::Kind::Table:
        if (value < KeyCodeTable::KeyCount) {
            ref.tableRow = static_cast<std::int16_t>(value);
            ref.code = KeyCodeTable::row(ref.tableRow).scanCode;
        }
        break;
    case KeyRef::Kind::Unknown:
        ref.code = static_cast<std::uint32_t>(value);
        break;
    case KeyRef::Kind::Unassigned:
        ref.code = KeyCodeTable::NoKeyCode;
        break;
    default:
        break;
    }
    return ref;
}

} // namespace

std::optional<PackedBinding> PackedBinding::of(const Binding& b)
{
    BitWriter w;
    w.put(0, 1);
    w.put(static_cast<std::uint8_t>(b.kind), 2);
    w.put(static_cast<std::uint8_t>(b.visibility), 3);
    w.put(b.fieldCount, 4);
    w.put(b.reference, 1);
    w.put(b.trailingText, 1);
    if (b.kind == RecordKind::Key) {
        w.put(static_cast<std::uint8_t>(b.key.kind), 3);
        w.put(keyValue(b.key), KeyValueBits);
        w.put(static_cast<std::uint8_t>(b.combo.kind), 3);
        w.put(keyValue(b.combo), KeyValueBits);
        w.putSigned(b.modifier.value + 2, 4);
        w.putSigned(b.comboModifier.value + 2, 4);
    } else {
        w.put(b.numberValid, 1);
        w.put(b.invocationValid, 1);
        w.put(b.release, 1);
        w.putSigned(b.direction + 1, 4);
        w.putSigned(b.number, NumberBits);
        w.putSigned(b.invocation, NumberBits);
    }
    PackedBinding p;
    p.m_bits = w.word();
    // Whatever the bits cannot hold does not come back as it went in.
    if (!(p.unpack() == b))
        return std::nullopt;
    return p;
}

PackedBinding PackedBinding::whole()
{
    PackedBinding p;
    p.m_bits = 1;
    return p;
}

Binding PackedBinding::unpack() const
{
    Binding b;
    BitReader r(m_bits);
    r.take(1);
    b.kind = static_cast<RecordKind>(r.take(2));
    b.visibility = static_cast<Visibility>(r.take(3));
    b.fieldCount = static_cast<std::uint8_t>(r.take(4));
    b.reference = r.take(1) != 0;
    b.trailingText = r.take(1) != 0;
    if (b.kind == RecordKind::Key) {
        const std::uint64_t keyKind = r.take(3);
        b.key = keyRefOf(keyKind, r.take(KeyValueBits));
        const std::uint64_t comboKind = r.take(3);
        b.combo = keyRefOf(comboKind, r.take(KeyValueBits));
        b.modifier.value = static_cast<std::int8_t>(static_cast<int>(r.take(4)) - 2);
        b.comboModifier.value = static_cast<std::int8_t>(static_cast<int>(r.take(4)) - 2);
    } else {
        b.numberValid = r.take(1) != 0;
        b.invocationValid = r.take(1) != 0;
        b.release = r.take(1) != 0;
        b.direction = static_cast<std::int8_t>(static_cast<int>(r.take(4)) - 1);
        b.number = r.takeSigned(NumberBits);
        b.invocation = r.takeSigned(NumberBits);
    }
    return b;
}

std::string keysText(const Binding& binding)
{
    std::string text;
    appendKeysText(text, binding);
    return text;
}

void appendKeysText(std::string& out, const Binding& binding)
{
    switch (binding.kind) {
    case RecordKind::Comment:
        return;
    case RecordKind::DirectX:
        out += directXText(binding);
        return;
    case RecordKind::Pov:
        out += povText(binding);
        return;
    case RecordKind::Key:
        break;
    }
    // A combination key that names no key gives no combination text, whatever its modifiers say; a combination's
    // text is two spaces before the primary key's.
    const std::size_t start = out.size();
    if (!binding.combo.namesNoKey()) {
        appendKeyWithModifiers(out, binding.comboModifier, binding.combo);
        if (out.size() > start)
            out += "  ";
    }
    appendKeyWithModifiers(out, binding.modifier, binding.key);
}

std::string_view textAfterDescription(std::string_view description)
{
    if (description.empty() || description[0] != '"')
        return {};
    const std::size_t closing = description.rfind('"');
    if (closing == 0)
        return {};
    return trimSpaces(description.substr(closing + 1));
}

void appendUnquotedDescription(std::string& out, std::string_view description)
{
    description = trimSpaces(description);
    if (description.empty() || description[0] != '"') {
        out += description;
        return;
    }
    const std::size_t closing = description.rfind('"');
    if (closing == 0) {
        out += trimSpaces(description.substr(1));
        return;
    }
    const std::string_view inside = trimSpaces(description.substr(1, closing - 1));
    const std::string_view after = trimSpaces(description.substr(closing + 1));
    out += inside;
    if (!inside.empty() && !after.empty())
        out += ' ';
    out += after;
}

std::string unquotedDescription(std::string_view description)
{
    std::string text;
    appendUnquotedDescription(text, description);
    return text;
}

std::optional<UnwritableCell> unwritableCell(const RecordCells& cells)
{
    int lastFilled = 0;
    for (int c = SimNameColumn; c < ColumnCount; ++c) {
        if (!cells[static_cast<std::size_t>(c)].empty())
            lastFilled = c;
    }
    for (int c = SimNameColumn; c < DescriptionColumn; ++c) {
        const std::string& cell = cells[static_cast<std::size_t>(c)];
        if (cell.empty()) {
            if (c < lastFilled)
                return UnwritableCell{c, UnwritableCell::Reason::Empty};
            continue;
        }
        // Reading takes a field after the first that begins with a quote as the description, to the end of the
        // line: the last filled cell of a short line may be one, an earlier cell may not.
        if (c > SimNameColumn && cell[0] == '"') {
            if (c < lastFilled)
                return UnwritableCell{c, UnwritableCell::Reason::Quote};
            continue;
        }
        if (cell.find_first_of(" \t\r\n") != std::string::npos)
            return UnwritableCell{c, UnwritableCell::Reason::Space};
    }
    return std::nullopt;
}

std::string cellRefusal(const RecordCells& after, int column)
{
    if (column <= LineColumn || column >= ColumnCount)
        return "This cell cannot be changed.";
    const std::string& text = after[static_cast<std::size_t>(column)];
    const std::string header(columnHeaders()[static_cast<std::size_t>(column)]);
    if (column == SimNameColumn) {
        if (text.empty())
            return "A sim name cannot be empty.";
        if (isCommentLine(text))
            return "A sim name cannot begin with #: the line would become a comment.";
    }
    if (column == DescriptionColumn && !text.empty() && text[0] != '"')
        return "A description begins with a double quote (\").";
    // Whole numbers: the cockpit ID and the ignored cell, the visibility of a key line, a joystick line's sound.
    const std::string& keys = after[KeyColumn];
    const bool joystick = keys == "-2" || keys == "-3";
    const bool number = column == CockpitIdColumn || column == IgnoredColumn
        || (joystick ? column == ComboModifierColumn : column == AssignableColumn);
    if (number && !text.empty() && !readWholeNumber(text))
        return "The " + header + " cell holds a whole number.";
    if (const auto bad = unwritableCell(after); bad && bad->column == column) {
        switch (bad->reason) {
        case UnwritableCell::Reason::Space:
            return "The " + header + " cell cannot hold a space: the file separates its fields with spaces.";
        case UnwritableCell::Reason::Quote:
            return "Only the description may begin with a double quote.";
        case UnwritableCell::Reason::Empty:
            return "The " + header
                + " cell cannot be empty while later cells hold something: reading the file would move them one "
                  "column left.";
        }
    }
    return {};
}

} // namespace core
