#pragma once

#include "GenericOrder.h"
#include "SharedBytes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace core {

/** Grid columns of a key file record. Column 0 is the line's number in the file, made by the reader. */
enum Column {
    LineColumn = 0,
    SimNameColumn = 1,
    CockpitIdColumn = 2,
    IgnoredColumn = 3,
    KeyColumn = 4,
    ModifierColumn = 5,
    ComboKeyColumn = 6,
    ComboModifierColumn = 7,
    AssignableColumn = 8,
    DescriptionColumn = 9,
    ColumnCount = 10
};

using RecordCells = std::array<std::string, ColumnCount>;
/** A record's cells as views into its line (cell 0 empty), for reading without copying. */
using RecordViews = std::array<std::string_view, ColumnCount>;

/** The header texts of the ten columns. */
const std::array<std::string_view, ColumnCount>& columnHeaders();

struct Binding;

/**
 * The open key file: its records (non-blank lines) as rows of ten cells, in file order.
 *
 * The document keeps the file's bytes, and each row refers to its own line in them, so that an unedited row is
 * written back exactly as it was read (spacing, line end, the blank lines before it). Cells are split from the
 * line when asked for; a row whose cells were edited keeps its own cells and is written in the normalised form,
 * until its cells are the ones its line gives again. Comment rows (first visible character '#') hold their whole
 * line in the "Sim name" cell and cannot be edited. Each row's meaning (its Binding) is derived once and kept up
 * to date with every change of the row.
 *
 * Rows are indexed from 0; the grid's header row is not part of the document.
 */
class KeyDocument
{
public:
    /** What a row holds, as much as undoing a change to it needs: its line as read, or edited cells. */
    struct RowState
    {
        bool edited = false;
        RecordCells cells; // when edited

        friend bool operator==(const RowState&, const RowState&) = default;
    };

    KeyDocument();
    ~KeyDocument();
    KeyDocument(KeyDocument&&) noexcept;
    KeyDocument& operator=(KeyDocument&&) noexcept;
    KeyDocument(const KeyDocument&);
    KeyDocument& operator=(const KeyDocument&);

    /** The most bytes a document holds: its row table keeps 32-bit offsets, 16 bytes a line. */
    static constexpr std::size_t MaxBytes = 0xFFFFFFFFU;

    /** Reads a key file from its bytes. Lines end at CRLF, CR or LF; a UTF-8 byte order mark is kept aside. Throws
     *  std::length_error for more than MaxBytes (files are read with a far smaller limit). */
    static KeyDocument fromBytes(std::string bytes);
    /** The same from bytes held elsewhere (a mapped file), which the document then shares. */
    static KeyDocument fromBytes(SharedBytes bytes);

    /** The key file as bytes: unedited rows byte for byte, edited rows normalised. A file without a byte order
     *  mark whose first line would begin with its bytes gets a line end in front. */
    std::string toBytes() const;
    /** toBytes in pieces, in order, without making the whole: views into the bytes read, and into `made` for the
     *  edited lines and any line end put in front. Valid while the document and `made` live unchanged. */
    std::vector<std::string_view> bytePieces(std::deque<std::string>& made) const;

    int rowCount() const { return static_cast<int>(rows().size()); }
    bool isComment(int row) const { return rowAt(row).comment; }
    bool isEdited(int row) const { return editedSlot(row) >= 0; }

    /** The line's number in the file, as a text editor counts lines (blank and comment lines counted). */
    int lineNumber(int row) const { return static_cast<int>(numberOf(row)); }
    /** The row of the record on line `line`, or of the first record after it; rowCount() past the last. */
    int rowAtLine(int line) const;

    std::string cell(int row, int column) const;
    /** cell(row, column) as a view into the line or the edited cells where it stands there, else in `spare`; valid
     *  until the row or `spare` changes. */
    std::string_view cellView(int row, int column, std::string& spare) const;
    /** The row's cells; with `lastColumn`, only cells up to that one are filled (the line is split no further). */
    RecordCells cells(int row, int lastColumn = ColumnCount - 1) const;

    /** cell(row, SimNameColumn) as a view into the line or the edited cells, valid until the row changes; `spare`
     *  holds the cell where the line has a tab, which only the full splitter splits. */
    std::string_view simName(int row, std::string& spare) const;

    /** The line exactly as it stands in the file (without its line end); the normalised form for an edited row. */
    std::string lineText(int row) const;
    /** The row's line as read (without its line end), also for an edited row; valid as long as the document. */
    std::string_view sourceLine(int row) const { return rawLine(rowAt(row)); }

    /** What the row means, worked out at the first call for the row. */
    Binding binding(int row) const;
    /** The same, worked out without keeping it where it is not known yet: for one pass over a big file, which
     *  would otherwise write every row's binding once more. */
    Binding bindingOnce(int row) const;
    /** binding(row).isHeadline(), read from the line's own cells where the row's binding is not worked out yet:
     *  finding a file's sections does not wait for the meaning of every line. */
    bool isHeadline(int row) const;
    /** The cells of an unedited row as views into the file's bytes, when splitRecordViews can split its line. */
    bool rowViews(int row, RecordViews& views) const;

    /** True for a cell of columns 1 to 9 of a row that is not a comment: the cells setCell accepts. */
    bool isEditable(int row, int column) const;

    /** Changes one cell of columns 1 to 9. Comment rows and column 0 are refused. A row whose cells become those
     *  of its line as read is unedited again and written as it was read. */
    bool setCell(int row, int column, std::string text);

    /** Takes the bindings worked out by `copy`, a copy of this document (one checked on another thread), instead of
     *  working them out again. `changedRows` are the rows changed here since the copy was made: theirs are worked
     *  out again. Nothing is taken from a document read from other bytes. */
    void takeBindings(KeyDocument&& copy, const std::vector<int>& changedRows);

    RowState rowState(int row) const;
    /** Puts a row back to a state taken by rowState. */
    void restoreRow(int row, const RowState& state);

    bool hasByteOrderMark() const { return m_bodyStart == 3; }

    /** The bytes of the whole document as read; what encoding detection looks at. */
    std::string_view sourceBytes() const { return m_source.view(); }
    /** The bytes read, shared: they never change once read. */
    const SharedBytes& sharedSource() const { return m_source; }

private:
    // The blank lines before a row start where the row before it ends (the first's at m_bodyStart). Eight bytes a
    // row: a million rows for the largest file.
    struct Row
    {
        static constexpr std::uint32_t LongLine = 0x7FFFFFFF; // a length this long or longer is found again

        std::uint32_t start = 0; // start of the line text
        std::uint32_t length : 31 = 0; // length of the line text, without line end
        std::uint32_t comment : 1 = 0;
    };
    // The rows and their line numbers. Most rows are on the line after the row before them: only the first row and
    // a row after blank lines keep their number, by row, and the rest count on from the last of those.
    struct RowTable
    {
        std::vector<Row> rows;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> jumps; // (row, line number), ascending in both

        std::uint32_t number(std::size_t row) const;
        /** The first row on line `line` or after it; rows.size() past the last. */
        std::size_t rowAtLine(long long line) const;
    };

    static std::size_t idx(int row) { return static_cast<std::size_t>(row); }
    const std::vector<Row>& rows() const
    {
        static const std::vector<Row> none; // a default or moved-from document's
        return m_rows ? m_rows->rows : none;
    }
    const Row& rowAt(int row) const { return rows()[idx(row)]; }
    std::int32_t editedSlot(int row) const { return m_edited ? m_edited->slotOf(idx(row)) : -1; }
    std::string_view rawLine(const Row& row) const;
    std::uint32_t numberOf(int row) const { return m_rows->number(idx(row)); }
    RecordCells readCells(int row, int lastColumn = ColumnCount - 1) const;
    void setEditedCells(int row, RecordCells cells);
    void rowChanged(int row);
    Binding deriveBinding(int row) const;

    // Never changed once read (edited rows keep their cells apart), so that copies of a document share it with the
    // row table below: a copy for a check on another thread costs its edits, not the file once more.
    SharedBytes m_source;
    std::size_t m_bodyStart = 0; // 3 after a byte order mark
    std::size_t m_after = 0; // start of the blank lines after the last record
    // Never changed once read either (an edited row's cells stand in m_editedCells), and shared by copies too.
    std::shared_ptr<const RowTable> m_rows;
    // The edited rows, once a row has been edited: a bit a row, and each edited row's index into m_editedCells by
    // row (most rows of a big file are never edited). Shared by copies until one of them changes a row (a copy for a
    // worker then costs no table of its own).
    struct EditedRows
    {
        using Slots = std::vector<std::pair<std::int32_t, std::int32_t>>;
        std::vector<std::uint64_t> bits;
        Slots byRow; // (row, index), ascending by row

        explicit EditedRows(std::size_t rows)
            : bits((rows + 63) / 64, 0)
        { }
        std::int32_t slotOf(std::size_t row) const
        {
            if (((bits[row / 64] >> (row % 64)) & 1U) == 0)
                return -1;
            return std::lower_bound(byRow.begin(), byRow.end(), std::make_pair(static_cast<std::int32_t>(row), -1))
                ->second;
        }
        /** Row `row`'s index, -1 for none. */
        void setSlot(std::size_t row, std::int32_t slot);
    };
    std::shared_ptr<EditedRows> m_edited;
    std::vector<RecordCells> m_editedCells;
    std::vector<std::int32_t> m_freeEdited; // slots of m_editedCells that no row uses
    /** Bindings worked out row by row as they are asked for, in blocks of rows made at their first use. A copy
     *  starts empty and works out its own: a document copied for a check on another thread costs no copy of them. */
    class BindingCache
    {
    public:
        BindingCache();
        ~BindingCache();
        BindingCache(const BindingCache& other);
        BindingCache& operator=(const BindingCache& other);
        BindingCache(BindingCache&&) noexcept;
        BindingCache& operator=(BindingCache&&) noexcept;

        /** Empty, for a document of `rows` rows. */
        void reset(std::size_t rows);
        std::size_t rows() const { return m_rows; }
        std::optional<Binding> find(std::size_t row) const;
        void store(std::size_t row, const Binding& binding);
        void forget(std::size_t row);

    private:
        struct Block;
        std::vector<std::unique_ptr<Block>> m_blocks;
        std::size_t m_rows = 0;
    };
    mutable BindingCache m_bindings;
};

/** Splits one non-blank record line into cells 1 to 9 (cell 0 is left empty). Fields are separated by runs of
 *  spaces; a field after the first that begins with a double quote is the description and runs to the end of the
 *  line, followed by one space; tabs split cells; fields beyond the ninth are joined into the ninth by spaces.
 *  Splitting stops once cell `lastColumn` is filled; the cells before it are as a full split gives them. */
RecordCells splitRecordLine(std::string_view line, int lastColumn = ColumnCount - 1);

/** The line ends of a text found in order: from(pos) is the position of the first CR or LF at or after `pos`, or
 *  the text's size, for positions that do not go back; read off a bit per byte of the 64 bytes around `pos` rather
 *  than searched for line by line (two searches a line cost more than the line's bytes when lines are short). */
class LineEnds
{
public:
    explicit LineEnds(std::string_view text)
        : m_text(text)
    { }
    std::size_t from(std::size_t pos)
    {
        while (pos < m_text.size()) {
            const std::size_t block = pos & ~std::size_t{63};
            if (block != m_block)
                load(block);
            if (const std::uint64_t rest = m_ends >> (pos - block))
                return pos + static_cast<std::size_t>(std::countr_zero(rest));
            pos = block + 64;
        }
        return m_text.size();
    }

private:
    void load(std::size_t block);

    std::string_view m_text;
    std::size_t m_block = static_cast<std::size_t>(-1);
    std::uint64_t m_ends = 0; // bit i: byte m_block + i is CR or LF
};

/** True when the first character other than spaces and tabs is '#'. */
bool isCommentLine(std::string_view line);

/** The cells of a plain record line as views into it, as splitRecordLine gives them but for the description's
 *  added space: false, with `views` unusable, for a line with a tab or with more than nine fields, which only
 *  splitRecordLine splits. */
bool splitRecordViews(std::string_view line, RecordViews& views);

/** Cells 1 to 9 joined by single spaces and trimmed: how an edited record is written. */
std::string normalisedLine(const RecordCells& cells);

} // namespace core
