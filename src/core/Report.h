#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/** A text colour as red, green and blue. */
struct Rgb
{
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

namespace colours {
inline constexpr Rgb Black{0, 0, 0};
inline constexpr Rgb Blue{0, 0, 255}; // key file 1
inline constexpr Rgb Green{0, 128, 0}; // key file 2
} // namespace colours

/** A piece of report text in one style. Line ends are CRLF inside the text. */
struct ReportRun
{
    std::string text;
    Rgb colour;
    bool boldUnderline = false;

    friend bool operator==(const ReportRun&, const ReportRun&) = default;
};

/**
 * A styled text: runs of text, each with a colour and with bold underlined type or none. Text appended in the
 * style of the last run joins that run, so two reports with the same text and styles have the same runs.
 */
class Report
{
public:
    /** A run begun by this text has room for `runBytes` (the bytes it will hold, when they are known). */
    void append(std::string_view text, Rgb colour, bool boldUnderline = false, std::size_t runBytes = 0)
    {
        if (text.empty())
            return;
        if (!m_runs.empty() && m_runs.back().colour == colour && m_runs.back().boldUnderline == boldUnderline) {
            m_runs.back().text.append(text);
            return;
        }
        m_runs.push_back(ReportRun{{}, colour, boldUnderline});
        m_runs.back().text.reserve(std::max(runBytes, text.size()));
        m_runs.back().text.append(text);
    }

    void reserveRuns(std::size_t count) { m_runs.reserve(count); }

    const std::vector<ReportRun>& runs() const { return m_runs; }
    /** Hands the runs over, leaving the report empty. */
    std::vector<ReportRun> takeRuns() { return std::move(m_runs); }
    bool empty() const { return m_runs.empty(); }

    friend bool operator==(const Report&, const Report&) = default;

private:
    std::vector<ReportRun> m_runs;
};

} // namespace core
