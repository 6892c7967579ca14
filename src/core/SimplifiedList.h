#pragma once

#include "Binding.h"
#include "KeyDocument.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/** The keys text of one record's cells (see keysText of a Binding). */
std::string keysText(const RecordCells& cells);

/** The name without a leading "sim" (any letter case) when it is longer than three characters. */
std::string withoutSimPrefix(std::string_view name);
std::string_view simPrefixStripped(std::string_view name);

/** One row of the readable list. */
struct SimplifiedEntry
{
    int row = 0; // the record's row in the document
    int line = 0; // the line's number in the file
    std::string simName;
    std::string keys;
    std::string description;
    bool pov = false; // a POV hat line ("-3" in the key column); the Cougar macros leave these out
};

/** Entries as text: per entry " " + name + " " + keys + " " + description, trimmed, ended by CRLF. */
std::string listText(const std::vector<SimplifiedEntry>& entries);

/** The readable list of a whole document as text (listText of its entries), written straight from the lines
 *  without building the entries. */
std::string listText(const KeyDocument& document, bool removeSim);

/** Appends the list lines of rows [fromRow, toRow) to `out`: listText in pieces, for writing a big file's list
 *  without holding all of it. */
void appendListText(std::string& out, const KeyDocument& document, bool removeSim, int fromRow, int toRow);

/** The readable digest of a document: one entry per record that is not a comment, in document order. Derived
 *  from the document and never written back. Its four columns are 0 line, 1 sim name, 2 keys, 3 description. */
class SimplifiedList
{
public:
    static constexpr int ColumnCount = 4;

    SimplifiedList() = default;
    static SimplifiedList build(const KeyDocument& document, bool removeSim);

    const std::vector<SimplifiedEntry>& entries() const { return m_entries; }
    int rowCount() const { return static_cast<int>(m_entries.size()); }
    std::string cell(int row, int column) const;

    /** The list as text (listText). */
    std::string toText() const { return listText(m_entries); }

private:
    std::vector<SimplifiedEntry> m_entries;
};

} // namespace core
