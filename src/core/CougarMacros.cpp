#include "CougarMacros.h"

#include <algorithm>
#include <array>
#include <utility>

namespace core {

namespace {

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The Windows keys have no Cougar name; alone they are written as USB codes.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kUsbKeys{{
    {"WinL", "USB (DE3 UE3)"},
    {"WinR", "USB (DE7 UE7)"},
    {"Apps", "USB (D65 U65)"},
}};

// The length of ", Device 01" and the space that follows the keys text.
constexpr std::size_t kDeviceSuffixLength = 12;
// Buttons of the first device from this one on give no macro line.
constexpr long long kFirstDroppedButton = 29;
constexpr long long kButtonsPerDevice = 32;
constexpr long long kNumberLimit = 1LL << 60;

// Where a DirectX line's button stands: on the first device (as the Cougar numbers its buttons), on another device,
// or nowhere that the line can say.
enum class Device { First, Other, Unknown };

Device deviceOf(const Binding& b)
{
    if (!b.numberValid || b.number >= kNumberLimit || b.number <= -kNumberLimit)
        return Device::Unknown;
    return b.number + 1 <= kButtonsPerDevice ? Device::First : Device::Other;
}

} // namespace

std::optional<std::string> cougarMacroLine(const SimplifiedEntry& entry, const Binding& binding, bool removeSim)
{
    return cougarMacroLine(MacroSource{entry.simName, entry.keys, entry.description}, binding, removeSim);
}

std::optional<std::string> cougarMacroLine(const MacroSource& entry, const Binding& binding, bool removeSim)
{
    std::string line;
    if (!appendCougarMacroLine(line, entry, binding, removeSim))
        return std::nullopt;
    return line;
}

bool appendCougarMacroLine(std::string& out, const MacroSource& entry, const Binding& binding, bool removeSim)
{
    // The Cougar has no macro for a POV hat, nor for a button of a device other than the first.
    if (binding.kind == RecordKind::Pov)
        return false;
    const bool directX = binding.kind == RecordKind::DirectX && deviceOf(binding) != Device::Unknown;
    if (directX && deviceOf(binding) == Device::Other)
        return false;
    // The Cougar's macros reach button 28.
    if (directX && binding.number + 1 >= kFirstDroppedButton)
        return false;

    std::string_view name = entry.simName;
    if (removeSim && name.size() >= 3 && asciiLower(name[0]) == 's' && asciiLower(name[1]) == 'i'
        && asciiLower(name[2]) == 'm')
        name.remove_prefix(3);

    // Each reason to comment the line out puts one "Rem " in front of it.
    int remarks = 0;
    std::string_view keys = entry.keys;
    // Every word looked for in the keys has one of these letters; most keys have none and skip the searches.
    const bool plainKeys = std::none_of(keys.begin(), keys.end(),
        [](char c) { return c == 'W' || c == 'p' || c == 'U' || c == 'N' || c == '?' || c == '^'; });
    if (!plainKeys) {
        for (const auto& [keyName, usb] : kUsbKeys) {
            if (keys == keyName)
                keys = usb;
            if (contains(keys, keyName))
                ++remarks;
        }
        if (keys == "Unassigned")
            keys = "^";
        // Keys that name no key the Cougar knows (a code the table lacks, the Pause key, a modifier out of range)
        // are commented out like an unassigned key among others.
        if (contains(keys, "Unassigned") || contains(keys, "Not found") || contains(keys, "???"))
            ++remarks;
    }
    // A "^" in the name is tested twice, before and after the keys are added, and so gets "Rem " twice.
    const bool caretInName = contains(name, "^");
    remarks += (caretInName ? 1 : 0) + (caretInName || (!plainKeys && contains(keys, "^")) ? 1 : 0);
    if (remarks == 0 && !name.empty() && name.front() == '\\')
        return false;

    const std::size_t start = out.size();
    for (int i = 0; i < remarks; ++i)
        out += "Rem ";
    out += name;
    out += " = ";
    out += keys;
    out += ' ';
    const auto addRemark = [&out, start, &entry] {
        if (out.size() - start < CougarRemarkColumn)
            out.append(CougarRemarkColumn - (out.size() - start), ' ');
        out += " Rem ";
        out += entry.description;
        out += ' ';
    };
    if (!directX) {
        addRemark();
        return true;
    }
    // "SimA = DX5, Device 01 " loses ", Device 01 " and ends with its button.
    if (out.size() - start >= kDeviceSuffixLength)
        out.resize(out.size() - kDeviceSuffixLength);
    if (!entry.description.empty())
        addRemark();
    return true;
}

CougarMacroWriter::CougarMacroWriter(const KeyDocument& document, bool removeSim)
    : m_document(document)
    , m_removeSim(removeSim)
{ }

bool CougarMacroWriter::append(std::string& out, int row)
{
    if (row < 0 || row >= m_document.rowCount() || m_document.isComment(row))
        return false;
    const bool plain = m_document.rowViews(row, m_views);
    if (!plain) {
        m_cells = m_document.cells(row);
        for (std::size_t c = 0; c < m_views.size(); ++c)
            m_views[c] = m_cells[c];
    }
    const Binding binding = Binding::of(m_views);
    m_keys.clear();
    appendKeysText(m_keys, binding);
    const std::string_view name = m_removeSim ? simPrefixStripped(m_views[SimNameColumn]) : m_views[SimNameColumn];
    // The list's description is the cell, which ends with the space the reader adds.
    m_description.assign(m_views[DescriptionColumn]);
    if (plain && !m_description.empty() && m_description.front() == '"')
        m_description += ' ';
    return appendCougarMacroLine(out, MacroSource{name, m_keys, m_description}, binding, m_removeSim);
}

void appendCougarMacros(std::string& out, const KeyDocument& document, bool removeSim, int fromRow, int toRow)
{
    // One pass over the lines, as the list would give them in file order.
    CougarMacroWriter writer(document, removeSim);
    for (int r = std::max(fromRow, 0); r < std::min(toRow, document.rowCount()); ++r) {
        if (writer.append(out, r))
            out += "\r\n";
    }
}

std::string fillCougarMacros(const KeyDocument& document, bool removeSim)
{
    std::string text;
    text.reserve(document.sourceBytes().size() + document.sourceBytes().size() / 4);
    appendCougarMacros(text, document, removeSim, 0, document.rowCount());
    return text;
}

std::string fillCougarMacros(const KeyDocument& document, const std::vector<int>& rows, bool removeSim)
{
    std::string text;
    text.reserve(rows.size() * 72);
    CougarMacroWriter writer(document, removeSim);
    for (const int row : rows) {
        if (writer.append(text, row))
            text += "\r\n";
    }
    return text;
}

std::string fillCougarMacros(const KeyDocument& document, const std::vector<SimplifiedEntry>& entries, bool removeSim)
{
    std::string text;
    text.reserve(entries.size() * 80);
    for (const auto& entry : entries) {
        const MacroSource source{entry.simName, entry.keys, entry.description};
        if (appendCougarMacroLine(text, source, document.binding(entry.row), removeSim))
            text += "\r\n";
    }
    return text;
}

} // namespace core
