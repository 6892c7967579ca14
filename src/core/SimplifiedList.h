#pragma once

#include "GenericOrder.h"
#include "KeyDocument.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/** The keys text of one record: "CTL ALT c", "ALT c  SHF F1", "DX5, Device 01", "POV1 Left". */
std::string keysText(const RecordCells& cells);

/** The name without a leading "sim" (any letter case) when it is longer than three characters. */
std::string withoutSimPrefix(std::string_view name);

/** One row of the readable list. */
struct SimplifiedEntry
{
    int line = 0; // 1-based position of the record in the document when the list was built
    std::string simName;
    std::string keys;
    std::string description;
    bool pov = false; // a POV hat line ("-3" in the key column); the Cougar macros leave these out
};

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

    /** Strips "sim" from the names in place, keeping the present order. */
    void removeSimFromNames();

    /** Sorts by columns first..last (either order) in generic order; column 0 restores line order. */
    void sortRows(int firstColumn, int lastColumn, SortOrder order);

    /** The list as text: per entry " " + name + " " + keys + " " + description, trimmed, ended by CRLF. */
    std::string toText() const;

private:
    std::vector<SimplifiedEntry> m_entries;
};

} // namespace core
