#pragma once

#include "settings/date_time_text.h"

#include <filesystem>
#include <optional>
#include <string>

namespace dealcast::settings {

struct ScheduleSettings {
    std::optional<TimeOfDay> startTime;  // nullopt: not set, or not readable as a time
    std::optional<TimeOfDay> endTime;
    bool greetings = false;      // "尾巴": send the opening and closing messages
    std::string openingMessage;  // "开始语"; empty when never stored
    std::string closingMessage;  // "结束语"
};

// The timed-sending settings, "<run folder>/data/config.ini": five sections, each holding one key of its own
// name. The times are stored as the time part of the date-time text ("8时30分"); messages of several lines are
// stored on one line with kLineBreakMarker and come back with "\r\n".
class ScheduleFile {
public:
    explicit ScheduleFile(std::filesystem::path path)
        : m_path(std::move(path))
    {
    }
    static std::filesystem::path pathIn(const std::filesystem::path& runFolder);

    const std::filesystem::path& path() const { return m_path; }

    ScheduleSettings load() const;
    // Writes both times and "尾巴"; the messages only when `greetings` is on, so turning them off keeps the
    // stored texts. Other content of the file is kept.
    bool save(const ScheduleSettings& settings) const;

private:
    std::filesystem::path m_path;
};

}  // namespace dealcast::settings
