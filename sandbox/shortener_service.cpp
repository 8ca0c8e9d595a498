#include "sandbox/shortener_service.h"

#include "sandbox/sandbox_names.h"
#include "web/hosts.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace dealcast::sandbox {

ShortenerService::ShortenerService(std::shared_ptr<MarketplaceCatalog> catalog, Kind kind)
    : m_catalog(std::move(catalog))
    , m_kind(kind)
{
}

std::string ShortenerService::hostName() const
{
    switch (m_kind) {
    case Kind::A:
        return std::string(names::kShortlinkA);
    case Kind::B:
        return std::string(names::kShortlinkB);
    case Kind::C:
        return std::string(names::kShortlinkC);
    case Kind::CApi:
        return std::string(names::kShortlinkCApi);
    }
    return {};
}

std::string ShortenerService::linkHost() const
{
    return m_kind == Kind::CApi ? std::string(names::kShortlinkC) : hostName();
}

std::vector<std::string_view> ShortenerService::roles() const
{
    switch (m_kind) {
    case Kind::A:
        return {web::role::kShortlinkAHost};
    case Kind::B:
        return {web::role::kShortlinkBHost};
    case Kind::C:
        return {web::role::kShortlinkCHost};
    case Kind::CApi:
        return {web::role::kShortlinkCApiHost};
    }
    return {};
}

void ShortenerService::handle(const httplib::Request& request, httplib::Response& response)
{
    m_log.record(request.path);
    if (m_overrides.apply(request.path, response))
        return;
    const bool api = m_kind == Kind::CApi;
    if (!api && m_kind != Kind::C && request.path == kMakePath) {
        const std::string target = request.get_param_value("url");
        response.status = 200;
        if (!target.starts_with("http")) {
            response.set_content("error: invalid url", "text/plain");
            return;
        }
        m_made.record("made");
        response.set_content(m_catalog->shortLink(linkHost(), target), "text/plain");
        return;
    }
    if (api && request.path == kApiPath) {
        const std::string source = request.get_param_value("source");
        const std::string target = request.get_param_value("url_long");
        nlohmann::ordered_json body;
        if (source.size() != 10 ||
            !std::all_of(source.begin(), source.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            body = {{"error", "source paramter(appkey) is missing"}, {"error_code", 10006}};
        } else if (!target.starts_with("http")) {
            body = {{"error", "url_long is invalid"}, {"error_code", 21506}};
        } else {
            m_made.record("made");
            body = {{"urls", nlohmann::ordered_json::array({{{"result", true},
                                                             {"url_short", m_catalog->shortLink(linkHost(), target)},
                                                             {"url_long", target},
                                                             {"type", 0}}})}};
        }
        response.status = 200;
        response.set_content(body.dump(), "application/json;charset=UTF-8");
        return;
    }
    if (!api && request.path.size() > 1) {
        const std::string target = m_catalog->shortTarget(linkHost(), request.path.substr(1));
        if (!target.empty()) {
            response.status = 302;
            response.set_header("Location", target);
            return;
        }
    }
    response.status = 404;
    response.set_content("not found", "text/plain");
}

}  // namespace dealcast::sandbox
