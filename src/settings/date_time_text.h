#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace dealcast::platform {
struct LocalTime;
}

// The date-time text the settings files keep, for example "2017年2月21日9时5分7秒". The time part is cut short
// when its tail is zero: "9时5分" when the seconds are 0, "9时" when minutes and seconds are 0. Midnight is
// written "0时" rather than nothing, so a stored midnight stays apart from a time that was never set.
namespace dealcast::settings {

struct TimeOfDay {
    int hour = 0;  // 0..23
    int minute = 0;
    int second = 0;
    auto operator<=>(const TimeOfDay&) const = default;
};

struct DateTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    TimeOfDay time;
    auto operator<=>(const DateTime&) const = default;
};

DateTime toDateTime(const platform::LocalTime& local);

std::string formatTimeOfDay(const TimeOfDay& time);    // "8时30分15秒", "8时30分", "8时", "0时"
std::string formatDateTime(const DateTime& dateTime);  // "2017年2月21日8时30分"

// Reads the time part as written above; also "8:30" and "8:30:15". Blanks around it are ignored. nullopt for
// the empty text and for anything malformed or out of range.
std::optional<TimeOfDay> parseTimeOfDay(std::string_view text);

// Reads "<year>年<month>月<day>日" followed by a time part as parseTimeOfDay reads it, or by nothing for
// midnight. nullopt for anything malformed or a date that does not exist.
std::optional<DateTime> parseDateTime(std::string_view text);

}  // namespace dealcast::settings
