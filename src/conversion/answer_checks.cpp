#include "conversion/answer_checks.h"

#include "app/run_log.h"
#include "web/hosts.h"
#include "web/text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace dealcast::conversion {

bool usableAnswer(std::string_view answer, std::string_view what, app::RunLog& log)
{
    if (answer.size() <= kMaxAnswerBytes)
        return true;
    log.write(std::string(what) + "返回数据过大(" + std::to_string(answer.size()) + "字节)，已忽略");
    return false;
}

double numberOf(std::string_view text)
{
    text = web::trim(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return 0;
    return value;
}

std::string decimalText(double value, int places)
{
    if (!std::isfinite(value))
        return "0";
    char buffer[512];  // room for the largest double in fixed notation
    std::snprintf(buffer, sizeof buffer, "%.*f", places, value);
    std::string text = buffer;
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    if (text == "-0")
        text = "0";
    return text;
}

void UnsetNotice::report(std::string_view site, std::string_view role, std::string_view skipped)
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_reported.emplace(site).second)
            return;
    }
    m_log.write(web::Hosts::unsetMessage(role, skipped));
}

}  // namespace dealcast::conversion
