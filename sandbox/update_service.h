#pragma once

#include "sandbox/simulated_service.h"

#include <mutex>

namespace dealcast::sandbox {

// The product's update site: the version page, the configuration list naming the landing host, the updater
// and the robot plug-in.
class UpdateService : public SimulatedService {
public:
    static constexpr std::string_view kHostName = "update.sandbox.test";
    static constexpr std::string_view kUpdatePage = "/updata.html";
    static constexpr std::string_view kAppKeyList = "/appkey.xml";
    static constexpr std::string_view kUpdater = "/updata.exe";
    static constexpr std::string_view kPlugin = "/com.hlan.cn.cpk";
    // The updater is a shell script that, when run, creates this (empty) file in its own folder.
    static constexpr std::string_view kUpdaterMarker = "updater-ran.marker";

    std::string hostName() const override { return std::string(kHostName); }
    std::vector<std::string_view> roles() const override;
    void handle(const httplib::Request& request, httplib::Response& response) override;

    // The version page's "data.version" and "data.update_url"; starts as "1.51" and this service's updater.
    void setUpdatePage(std::string version, std::string updateUrl);
    // Replaces the version page by these bytes (an unreadable answer, say) until the next setUpdatePage.
    void setUpdatePageBody(std::string body);
    // One "<list><appkey>HOST</appkey></list>" block per entry, in order.
    void setAppKeys(std::vector<std::string> hosts);
    void setPluginBytes(std::string bytes);
    // How one of the four paths answers; Normal unless set.
    void setOutcome(std::string_view path, Outcome outcome);

    int requestCount(std::string_view path) const { return m_log.count(path); }

    static std::string updaterScript();
    // A few bytes that are not text, so a download that mangles bytes shows.
    static std::string defaultPluginBytes();

private:
    mutable std::mutex m_mutex;
    std::string m_updatePageBody;
    std::vector<std::string> m_appKeys{"landing.sandbox.test"};
    std::string m_pluginBytes = defaultPluginBytes();
    std::map<std::string, Outcome, std::less<>> m_outcomes;
    bool m_customPage = false;
    std::string m_version = "1.51";
    std::string m_updateUrl = "http://update.sandbox.test/updata.exe";
    RequestLog m_log;
};

}  // namespace dealcast::sandbox
