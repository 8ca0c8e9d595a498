#include "app/run_log.h"

#include "platform/clock.h"
#include "platform/edit_box.h"

namespace dealcast::app {
namespace {

// The number's text after "00", of which the last two characters: 9 -> "09", 59 -> "59".
void appendTwoDigits(std::string& out, int value)
{
    const std::string padded = "00" + std::to_string(value);
    out.append(padded, padded.size() - 2, 2);
}

}  // namespace

RunLog::RunLog(platform::EditBox& box, const platform::Clock& clock)
    : m_box(box)
    , m_clock(clock)
{
}

void RunLog::write(std::string_view message)
{
    m_box.append(formatLine(m_clock.localTime(), message));
}

std::string RunLog::formatLine(const platform::LocalTime& time, std::string_view message)
{
    std::string line;
    line.reserve(message.size() + 18);
    line += '[';
    appendTwoDigits(line, time.hour);
    line += ':';
    appendTwoDigits(line, time.minute);
    line += ':';
    appendTwoDigits(line, time.second);
    line += "] >>>> ";
    line += message;
    line += "\r\n";
    return line;
}

}  // namespace dealcast::app
