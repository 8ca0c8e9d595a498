#include "settings/schedule_file.h"

#include "settings/ini_file.h"

#include <string_view>

namespace dealcast::settings {
namespace {

constexpr std::string_view kStartTime = "开始时间";
constexpr std::string_view kEndTime = "结束时间";
constexpr std::string_view kGreetings = "尾巴";
constexpr std::string_view kOpening = "开始语";
constexpr std::string_view kClosing = "结束语";
constexpr std::string_view kYes = "真";
constexpr std::string_view kNo = "假";

std::string read(const IniFile& ini, std::string_view name)
{
    return ini.value(name, name);
}

}  // namespace

std::filesystem::path ScheduleFile::pathIn(const std::filesystem::path& runFolder)
{
    return runFolder / "data" / "config.ini";
}

ScheduleSettings ScheduleFile::load() const
{
    const IniFile ini = IniFile::load(m_path);
    ScheduleSettings settings;
    settings.startTime = parseTimeOfDay(read(ini, kStartTime));
    settings.endTime = parseTimeOfDay(read(ini, kEndTime));
    settings.greetings = read(ini, kGreetings) == kYes;
    settings.openingMessage = decodeLineBreaks(read(ini, kOpening));
    settings.closingMessage = decodeLineBreaks(read(ini, kClosing));
    return settings;
}

bool ScheduleFile::save(const ScheduleSettings& settings) const
{
    IniFile ini = IniFile::load(m_path);
    ini.setValue(kStartTime, kStartTime, settings.startTime ? formatTimeOfDay(*settings.startTime) : "");
    ini.setValue(kEndTime, kEndTime, settings.endTime ? formatTimeOfDay(*settings.endTime) : "");
    ini.setValue(kGreetings, kGreetings, settings.greetings ? kYes : kNo);
    if (settings.greetings) {
        ini.setValue(kOpening, kOpening, settings.openingMessage);
        ini.setValue(kClosing, kClosing, settings.closingMessage);
    }
    return ini.save(m_path);
}

}  // namespace dealcast::settings
