#pragma once

#include <string>
#include <string_view>

namespace dealcast::platform {
class Clock;
class EditBox;
struct LocalTime;
}  // namespace dealcast::platform

namespace dealcast::app {

// The run log: one line per event in the main window's log box, from the UI thread and workers alike.
// Each line is built whole and goes into the box in one append, so lines of different threads never mix;
// the box never copies its whole text per line, so writing stays cheap however long the run.
class RunLog {
public:
    // The main window's log box and the clock that stamps the lines; both outlive the log.
    RunLog(platform::EditBox& box, const platform::Clock& clock);

    // Appends "[HH:MM:SS] >>>> " + message + "\r\n" with the local time of the moment. The message goes in
    // unchanged and may hold line breaks of its own.
    void write(std::string_view message);

    // The line write() appends at local time `time`.
    static std::string formatLine(const platform::LocalTime& time, std::string_view message);

private:
    platform::EditBox& m_box;
    const platform::Clock& m_clock;
};

}  // namespace dealcast::app
