#include "BenchData.h"

#include "core/KeyCodeTable.h"
#include "core/KeyDocument.h"

#include <random>

namespace bench {

std::string generateKeyFile(int lines, unsigned seed)
{
    std::mt19937 rng(seed);
    const auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::string out;
    out.reserve(static_cast<std::size_t>(lines) * 80);
    for (int i = 0; i < lines; ++i) {
        const int kind = pick(100);
        std::string line;
        if (kind < 6) {
            line = "#======== Section " + std::to_string(i) + " ========";
        } else if (kind < 10) {
            line = "SimDoNothing -1 0 0XFFFFFFFF 0 0 0 -1 \"======== Headline " + std::to_string(i) + " ========\"";
        } else if (kind < 14) {
            line = "SimButton" + std::to_string(pick(400)) + " " + std::to_string(pick(200)) + " -1 -2 0 0x0 -1";
        } else if (kind < 16) {
            line = "OTWViewHat" + std::to_string(i) + " " + std::to_string(pick(4)) + " -1 -3 "
                + std::to_string(pick(8)) + " 0x0 -1";
        } else {
            const auto& key = core::KeyCodeTable::row(pick(core::KeyCodeTable::KeyCount));
            std::string code(key.scanCodeText);
            if (pick(2) == 0) {
                code[1] = 'x';
                for (std::size_t c = 2; c < code.size(); ++c)
                    if (code[c] >= 'A' && code[c] <= 'F')
                        code[c] = static_cast<char>(code[c] - 'A' + 'a');
            }
            std::string combo = "0XFFFFFFFF";
            int comboModifier = 0;
            if (kind < 20) {
                combo = "0x2E";
                comboModifier = 4;
            }
            line = "SimFunction" + std::to_string(pick(3000)) + " -1 0 " + code + " " + std::to_string(pick(8)) + " "
                + combo + " " + std::to_string(comboModifier) + " 1 \"Function number " + std::to_string(i) + "\"";
        }
        out += line;
        out += "\r\n";
    }
    return out;
}

std::vector<std::string_view> splitLines(std::string_view bytes)
{
    // The floor of a reader: the line ends found as fast as the reader finds them, the views kept in a vector made
    // large enough at once.
    std::vector<std::string_view> lines;
    lines.reserve(bytes.size() / 32 + 1);
    std::size_t pos = 0;
    core::LineEnds ends(bytes);
    while (pos < bytes.size()) {
        const std::size_t end = ends.from(pos);
        lines.push_back(bytes.substr(pos, end - pos));
        if (end == bytes.size())
            break;
        pos = end + ((bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

} // namespace bench
