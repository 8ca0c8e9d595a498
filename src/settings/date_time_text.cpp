#include "settings/date_time_text.h"

#include "platform/clock.h"
#include "web/text.h"

namespace dealcast::settings {
namespace {

// Reads 1 to `maxDigits` decimal digits from the front of `text`.
std::optional<int> takeNumber(std::string_view& text, std::size_t maxDigits)
{
    std::size_t n = 0;
    int value = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9') {
        if (n == maxDigits)
            return std::nullopt;
        value = value * 10 + (text[n] - '0');
        ++n;
    }
    if (n == 0)
        return std::nullopt;
    text.remove_prefix(n);
    return value;
}

bool takeLiteral(std::string_view& text, std::string_view literal)
{
    if (!text.starts_with(literal))
        return false;
    text.remove_prefix(literal.size());
    return true;
}

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// "H时[M分[S秒]]" or "H:MM[:SS]", nothing else.
std::optional<TimeOfDay> parseTimePart(std::string_view text)
{
    TimeOfDay time;
    const auto hour = takeNumber(text, 2);
    if (!hour)
        return std::nullopt;
    time.hour = *hour;
    if (takeLiteral(text, ":")) {
        const auto minute = takeNumber(text, 2);
        if (!minute)
            return std::nullopt;
        time.minute = *minute;
        if (takeLiteral(text, ":")) {
            const auto second = takeNumber(text, 2);
            if (!second)
                return std::nullopt;
            time.second = *second;
        }
    } else {
        if (!takeLiteral(text, "时"))
            return std::nullopt;  // a bare number is not a time
        if (!text.empty()) {
            const auto minute = takeNumber(text, 2);
            if (!minute || !takeLiteral(text, "分"))
                return std::nullopt;
            time.minute = *minute;
        }
        if (!text.empty()) {
            const auto second = takeNumber(text, 2);
            if (!second || !takeLiteral(text, "秒"))
                return std::nullopt;
            time.second = *second;
        }
    }
    if (!text.empty())
        return std::nullopt;
    if (time.hour > 23 || time.minute > 59 || time.second > 59)
        return std::nullopt;
    return time;
}

}  // namespace

DateTime toDateTime(const platform::LocalTime& local)
{
    return DateTime{local.year, local.month, local.day, TimeOfDay{local.hour, local.minute, local.second}};
}

std::string formatTimeOfDay(const TimeOfDay& time)
{
    std::string out = std::to_string(time.hour) + "时";
    if (time.minute != 0 || time.second != 0)
        out += std::to_string(time.minute) + "分";
    if (time.second != 0)
        out += std::to_string(time.second) + "秒";
    return out;
}

std::string formatDateTime(const DateTime& dateTime)
{
    return std::to_string(dateTime.year) + "年" + std::to_string(dateTime.month) + "月" + std::to_string(dateTime.day) +
           "日" + formatTimeOfDay(dateTime.time);
}

std::optional<TimeOfDay> parseTimeOfDay(std::string_view text)
{
    text = web::trim(text);
    if (text.empty())
        return std::nullopt;
    return parseTimePart(text);
}

std::optional<DateTime> parseDateTime(std::string_view text)
{
    text = web::trim(text);
    DateTime result;
    const auto year = takeNumber(text, 4);
    if (!year || !takeLiteral(text, "年"))
        return std::nullopt;
    const auto month = takeNumber(text, 2);
    if (!month || !takeLiteral(text, "月"))
        return std::nullopt;
    const auto day = takeNumber(text, 2);
    if (!day || !takeLiteral(text, "日"))
        return std::nullopt;
    if (*year < 1 || *month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month))
        return std::nullopt;
    result.year = *year;
    result.month = *month;
    result.day = *day;
    text = web::trim(text);
    if (!text.empty()) {
        const auto time = parseTimePart(text);
        if (!time)
            return std::nullopt;
        result.time = *time;
    }
    return result;
}

}  // namespace dealcast::settings
