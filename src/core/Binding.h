#pragma once

#include "KeyDocument.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace core {

/** What a key cell names. */
struct KeyRef
{
    enum class Kind : std::uint8_t {
        Empty, // the cell is empty
        Zero, // "0" or any spelling of 0x0: no key, and no name
        NotACode, // a text without the 0x prefix: no name, but not "no key" either
        Unassigned, // any spelling of 0xFFFFFFFF: the marker of no key
        Table, // a key of the table, matched by value
        Unknown, // a well-formed code that no key of the table has
        Malformed, // "0x" followed by something other than 1 to 8 hexadecimal digits
    };

    Kind kind = Kind::Empty;
    std::int16_t tableRow = -1; // Table only
    std::uint32_t code = 0; // Table and Unknown

    static KeyRef of(std::string_view cell);

    /** Names no key: empty, 0, 0x0 or the marker. */
    bool namesNoKey() const { return kind == Kind::Empty || kind == Kind::Zero || kind == Kind::Unassigned; }
    bool isTableKey() const { return kind == Kind::Table; }
    /** The key's name as the list writes it: the Cougar name, "Unassigned", "Not found" or nothing. */
    std::string name() const;
    std::string_view nameView() const;

    friend bool operator==(const KeyRef&, const KeyRef&) = default;
};

/** A modifier cell: empty, a whole number 0 to 7 (1 Shift, 2 Control, 4 Alt), or anything else. */
struct ModifierRef
{
    static constexpr std::int8_t Empty = -2;
    static constexpr std::int8_t Invalid = -1;

    std::int8_t value = Empty;

    static ModifierRef of(std::string_view cell);
    bool isValid() const { return value >= 0; }
    /** "SHF CTL ALT" words, "???" for an invalid cell, nothing for an empty one. */
    std::string words() const;

    friend bool operator==(const ModifierRef&, const ModifierRef&) = default;
};

/** What kind of record a line is. */
enum class RecordKind : std::uint8_t {
    Comment, // first visible character '#'
    Key, // a keyboard key ("Keys" cell other than -2 and -3)
    DirectX, // a joystick button: "-2" in the "Keys" cell
    Pov, // a POV hat direction: "-3" in the "Keys" cell
};

/** The visibility cell (the "Assignable" column) of a key line. */
enum class Visibility : std::uint8_t {
    Shown, // 1: listed in the simulator's set-up screen and changeable there
    Locked, // 0 or -0: listed, not changeable
    Headline, // -1: a section title
    Hidden, // -2: not listed (the comm-menu context keys)
    Other, // empty or anything else
};

/**
 * The meaning of one record, derived from its cells once per change and read by every view.
 *
 * A key line binds `key` with `modifier`, and, when `combo` names a key, the two-stroke combination `combo` with
 * `comboModifier` first. A DirectX line binds button `number` (counted from 0; column 2), pressed as `invocation`
 * says (column 3), a release line when column 5 holds 0x42. A POV line binds hat `number` in `direction` (column 5,
 * 0 Up to 7 Up-Left). Numbers that are not whole numbers are not valid.
 */
struct Binding
{
    // The widest members first and the bytes after them, so that nothing is padded: a document keeps one binding
    // a row, a million of them for the largest file.
    std::int64_t number = 0;
    std::int64_t invocation = 0;
    KeyRef key;
    KeyRef combo;

    RecordKind kind = RecordKind::Comment;
    Visibility visibility = Visibility::Other;
    std::uint8_t fieldCount = 0; // the last filled cell of columns 1 to 9
    bool reference = false; // sim name SimDoNothing: a line that documents a key, bound to nothing
    bool trailingText = false; // text after the description's closing quote, or after a DirectX line's fields

    ModifierRef modifier;
    ModifierRef comboModifier;

    bool numberValid = false;
    bool invocationValid = false;
    bool release = false;
    std::int8_t direction = -1; // POV: 0 to 7, -1 when not a direction

    static Binding comment() { return {}; }
    static Binding of(const RecordCells& cells);
    static Binding of(const RecordViews& cells);

    bool isComment() const { return kind == RecordKind::Comment; }
    bool isKey() const { return kind == RecordKind::Key; }
    bool isHeadline() const { return isKey() && visibility == Visibility::Headline; }
    bool hasCombination() const { return isKey() && !combo.namesNoKey(); }

    /** The fields a well-formed line of this kind has: nine for a key line, seven for DirectX and POV. */
    int expectedFields() const { return kind == RecordKind::Key ? 9 : 7; }

    friend bool operator==(const Binding&, const Binding&) = default;
};

/**
 * A binding in 8 bytes, a sixth of its own size, as a document keeps one a row. A key line keeps each key's table
 * row (the code is the table's) or, for a code the table lacks, the code itself; a button's or hat's line keeps its
 * number and invocation. The rest are bits. A binding whose numbers do not fit (a button number or invocation beyond
 * 22 bits with its sign, a code the table lacks of 19 bits or more) does not pack.
 */
class PackedBinding
{
public:
    static constexpr int NumberBits = 22; // a button's number and invocation, with the sign
    static constexpr int KeyValueBits = 19; // a key's table row, or a code the table lacks

    /** The binding packed, when unpack() gives it back exactly. */
    static std::optional<PackedBinding> of(const Binding& binding);
    /** A stand-in for a binding that does not pack, kept whole elsewhere. */
    static PackedBinding whole();

    Binding unpack() const;
    bool isWhole() const { return (m_bits & 1U) != 0; }

private:
    PackedBinding() = default;

    // From bit 0: whole 1, kind 2, visibility 3, field count 4, reference 1, trailing text 1; then for a key line
    // the key's kind 3 and value 19, the second key's kind 3 and value 19, the modifiers 4 and 4 (each value + 2);
    // for a button or hat line: number valid 1, invocation valid 1, release 1, direction + 1 4, the number 22 and
    // the invocation 22.
    std::uint64_t m_bits = 0;
};

/** The keys text of a binding: "CTL ALT c", "ALT c  SHF F1", "DX5, Device 01", "POV1 Left". */
std::string keysText(const Binding& binding);
/** keysText, appended to `out`. */
void appendKeysText(std::string& out, const Binding& binding);

/** The description cell's text after its closing quote, trimmed; empty when there is none. */
std::string_view textAfterDescription(std::string_view description);

/** The description cell as words: without its opening and closing quotes, any text after the closing quote kept
 *  behind one space, trimmed. */
std::string unquotedDescription(std::string_view description);
/** Appends unquotedDescription(description) to `out`. */
void appendUnquotedDescription(std::string& out, std::string_view description);

/** A cell of a row that reading the written line would not give back, and why. */
struct UnwritableCell
{
    int column = 0;
    enum class Reason { Empty, Space, Quote } reason = Reason::Empty;
};

/** The first cell of `cells` (columns 1 to 8) that cannot be written so that reading gives it back: an empty cell
 *  before a filled one, a space or tab inside a cell, or a quote that would begin a description early. */
std::optional<UnwritableCell> unwritableCell(const RecordCells& cells);

/** Why a cell edited to hold `after[column]` cannot be taken, in a sentence for the user; empty when it can. The
 *  sim name is one word that does not begin with "#"; numbers go where the line's kind has numbers; the description
 *  begins with a quote; no cell may be written so that reading would not give it back (see unwritableCell). */
std::string cellRefusal(const RecordCells& after, int column);

} // namespace core
