#pragma once

#include <cstddef>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

namespace dealcast::app {
class RunLog;
}

namespace dealcast::conversion {

// No lookup, link or token answer comes anywhere near this size; a bigger one is a broken or hostile peer and
// is treated as no answer rather than searched or parsed.
inline constexpr std::size_t kMaxAnswerBytes = std::size_t{4} << 20;

// True when `answer` may be read; otherwise writes one line naming `what` to the log and returns false.
bool usableAnswer(std::string_view answer, std::string_view what, app::RunLog& log);

// A decimal text as a number; text that is not a number (empty, letters, trailing junk) counts as 0.
double numberOf(std::string_view text);

// The number rounded to `places` decimals in its shortest form: 29.5, 15, 9.8, -0.5; never "-0" or binary
// noise such as 9.800000000000001.
std::string decimalText(double value, int places = 6);

// Rates and prices compare with this tolerance.
inline constexpr double kTolerance = 0.0000001;

// Reports a call skipped for want of a host once per call site, so a long sending run does not repeat the
// same line for every product. Safe from any thread.
class UnsetNotice {
public:
    explicit UnsetNotice(app::RunLog& log)
        : m_log(log)
    {
    }
    // Logs Hosts::unsetMessage(role, skipped) the first time `site` asks.
    void report(std::string_view site, std::string_view role, std::string_view skipped);

private:
    app::RunLog& m_log;
    std::mutex m_mutex;
    std::set<std::string, std::less<>> m_reported;
};

}  // namespace dealcast::conversion
