#include "sandbox/update_service.h"

#include "web/hosts.h"

#include <nlohmann/json.hpp>

namespace dealcast::sandbox {

std::vector<std::string_view> UpdateService::roles() const
{
    return {web::role::kUpdateHost};
}

void UpdateService::setUpdatePage(std::string version, std::string updateUrl)
{
    std::lock_guard lock(m_mutex);
    m_version = std::move(version);
    m_updateUrl = std::move(updateUrl);
    m_customPage = false;
}

void UpdateService::setUpdatePageBody(std::string body)
{
    std::lock_guard lock(m_mutex);
    m_updatePageBody = std::move(body);
    m_customPage = true;
}

void UpdateService::setAppKeys(std::vector<std::string> hosts)
{
    std::lock_guard lock(m_mutex);
    m_appKeys = std::move(hosts);
}

void UpdateService::setPluginBytes(std::string bytes)
{
    std::lock_guard lock(m_mutex);
    m_pluginBytes = std::move(bytes);
}

void UpdateService::setOutcome(std::string_view path, Outcome outcome)
{
    std::lock_guard lock(m_mutex);
    m_outcomes[std::string(path)] = outcome;
}

std::string UpdateService::updaterScript()
{
    return "#!/bin/sh\n"
           "# Sandbox updater: leaves a marker beside itself to show that it ran.\n"
           ": > \"$(dirname \"$0\")/" +
           std::string(kUpdaterMarker) + "\"\n";
}

std::string UpdateService::defaultPluginBytes()
{
    static constexpr char kBytes[] = "DCPK\x01\x00\xff\xfe\r\n sandbox plug-in";
    return std::string(kBytes, sizeof kBytes - 1);
}

void UpdateService::handle(const httplib::Request& request, httplib::Response& response)
{
    m_log.record(request.path);
    std::lock_guard lock(m_mutex);
    const auto outcome = m_outcomes.find(request.path);
    if (outcome != m_outcomes.end() && answerOutcome(outcome->second, response))
        return;

    response.status = 200;
    if (request.path == kUpdatePage) {
        const std::string body =
            m_customPage ? m_updatePageBody
                         : nlohmann::json{{"data", {{"version", m_version}, {"update_url", m_updateUrl}}}}.dump();
        response.set_content(body, "text/html; charset=utf-8");
    } else if (request.path == kAppKeyList) {
        std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<config>\n";
        for (const auto& host : m_appKeys)
            xml += "  <list><appkey>" + host + "</appkey></list>\n";
        xml += "</config>\n";
        response.set_content(xml, "text/xml; charset=utf-8");
    } else if (request.path == kUpdater) {
        response.set_content(updaterScript(), "application/octet-stream");
    } else if (request.path == kPlugin) {
        response.set_content(m_pluginBytes, "application/octet-stream");
    } else {
        response.status = 404;
        response.set_content("not found", "text/plain");
    }
}

}  // namespace dealcast::sandbox
