#pragma once

#include "app/app_controls.h"
#include "app/main_window.h"
#include "app/run_log.h"
#include "app/startup_values.h"
#include "platform/clipboard.h"
#include "platform/virtual_clock.h"
#include "platform/window_host.h"
#include "sandbox/sandbox_server.h"
#include "session/affiliate_client.h"
#include "session/affiliate_session.h"
#include "slots/promotion_slots.h"
#include "slots/slot_window.h"
#include "support/scripted_dialogs.h"
#include "web/hosts.h"
#include "web/http_client.h"
#include "web/text.h"

#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace dealcast::slots::test {

struct FakeGuide {
    std::string id;
    std::string name;
    std::string category;  // "微信" for WeChat guides
};

struct FakeSlot {
    std::string siteId;
    std::string siteName;
    std::string name;
    std::string adzoneId;
    std::string pid;
};

struct Received {
    std::string method;
    std::string path;
    std::map<std::string, std::string> fields;  // query of a GET, form of a POST, decoded
    std::string raw;                            // query of a GET, body of a POST, as sent
};

// As the back office labels its answers; without the charset the client would read them as GBK.
inline constexpr char kJson[] = "application/json;charset=UTF-8";

// The affiliate back office's guide and slot calls over a guide list and a slot list, on a loopback server.
class FakeBackOffice {
public:
    FakeBackOffice()
    {
        auto& http = m_server.http();
        http.Get("/common/site/generalize/guideList.json", [this](const auto& req, auto& res) {
            std::lock_guard lock(m_mutex);
            record(req);
            if (htmlGuideList)
                return res.set_content("<html>login</html>", "text/html");
            nlohmann::json list = nlohmann::json::array();
            for (const auto& g : guides)
                list.push_back({{"guideID", number(g.id)}, {"name", g.name}, {"category3", g.category}});
            res.set_content(nlohmann::json{{"ok", true}, {"data", {{"guideList", list}}}}.dump(), kJson);
        });
        http.Get("/common/adzone/adzoneManage.json", [this](const auto& req, auto& res) {
            std::lock_guard lock(m_mutex);
            const Received& r = record(req);
            if (failListing)
                return res.set_content(R"({"ok":false})", kJson);
            const std::size_t perPage = std::stoul(r.fields.at("perPageSize"));
            const std::size_t page = ignorePageNumber ? 1 : std::stoul(r.fields.at("toPage"));
            nlohmann::json list = nlohmann::json::array();
            for (std::size_t i = (page - 1) * perPage; i < slots.size() && i < page * perPage; ++i) {
                const auto& s = slots[i];
                list.push_back({{"siteid", number(s.siteId)},
                                {"sitename", s.siteName},
                                {"name", s.name},
                                {"adzoneid", number(s.adzoneId)},
                                {"adzonePid", s.pid}});
            }
            res.set_content(nlohmann::json{{"ok", true}, {"data", {{"pagelist", list}}}}.dump(), kJson);
        });
        http.Post("/common/site/generalize/guideAdd.json", [this](const auto& req, auto& res) {
            std::lock_guard lock(m_mutex);
            const Received& r = record(req);
            const std::string category = r.fields.at("categoryId");
            if ((category == "14" && failWechatGuide) || (category == "13" && failQqGuide))
                return res.set_content(R"({"ok":false,"info":{"message":"refused"}})", kJson);
            guides.push_back({std::to_string(m_nextId++), r.fields.at("name"), category == "14" ? "微信" : "QQ"});
            res.set_content(R"({"ok":true})", kJson);
        });
        http.Post("/common/adzone/selfAdzoneCreate.json", [this](const auto& req, auto& res) {
            std::lock_guard lock(m_mutex);
            const Received& r = record(req);
            const std::string siteId = r.fields.at("siteid");
            std::string siteName;
            for (const auto& g : guides)
                siteName = g.id == siteId ? g.name : siteName;
            const std::string id = std::to_string(m_nextId++);
            slots.push_back({siteId, siteName, r.fields.at("newadzonename"), id, "mm_7_" + siteId + "_" + id});
            res.set_content(R"({"ok":true,"data":{"adzoneId":)" + id + "}}", kJson);
        });
        http.Post("/common/adzone/adzoneDelete.json", [this](const auto& req, auto& res) {
            std::lock_guard lock(m_mutex);
            const Received& r = record(req);
            const auto before = slots.size();
            std::erase_if(slots, [&](const FakeSlot& s) { return s.adzoneId == r.fields.at("adzoneids"); });
            res.set_content(slots.size() < before ? R"({"ok":true})" : R"({"ok":false})", kJson);
        });
        http.Post("/common/site/generalize/guideSiteDelete.json", [this](const auto& req, auto& res) {
            std::lock_guard lock(m_mutex);
            const Received& r = record(req);
            const auto before = guides.size();
            std::erase_if(guides, [&](const FakeGuide& g) { return g.id == r.fields.at("siteId"); });
            res.set_content(guides.size() < before ? R"({"ok":true})" : R"({"ok":false})", kJson);
        });
        EXPECT_TRUE(m_server.start());
    }
    // The server's threads record into the lists below: they end before the lists go.
    ~FakeBackOffice() { m_server.stop(); }
    FakeBackOffice(const FakeBackOffice&) = delete;
    FakeBackOffice& operator=(const FakeBackOffice&) = delete;

    std::string host() const { return m_server.host(); }

    std::vector<Received> received() const
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }
    std::vector<std::string> paths() const
    {
        std::vector<std::string> out;
        for (const auto& r : received())
            out.push_back(r.method + " " + r.path);
        return out;
    }
    void forget()
    {
        std::lock_guard lock(m_mutex);
        m_received.clear();
    }

    // Tests read and change these only while no call is under way, and under hold(): the thread checker cannot
    // see that a finished call ordered the server's writes before the test's reads.
    [[nodiscard]] std::unique_lock<std::mutex> hold() const { return std::unique_lock(m_mutex); }
    std::vector<FakeGuide> guides;
    std::vector<FakeSlot> slots;
    bool htmlGuideList = false;
    bool ignorePageNumber = false;
    bool failListing = false;
    bool failWechatGuide = false;
    bool failQqGuide = false;

private:
    // Ids go out as JSON numbers when they are plain integers, as the back office sends them.
    static nlohmann::json number(const std::string& id)
    {
        if (!id.empty() && id.size() < 19 && id.find_first_not_of("0123456789") == std::string::npos)
            return std::stoll(id);
        return id;
    }

    static std::map<std::string, std::string> fieldsOf(std::string_view text)
    {
        std::map<std::string, std::string> out;
        while (!text.empty()) {
            const auto amp = text.find('&');
            const std::string_view pair = text.substr(0, amp);
            const auto eq = pair.find('=');
            out[web::urlDecode(pair.substr(0, eq))] =
                eq == std::string_view::npos ? std::string() : web::urlDecode(pair.substr(eq + 1));
            text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
        }
        return out;
    }

    const Received& record(const httplib::Request& req)
    {
        const auto q = req.target.find('?');
        const std::string raw = req.method == "POST"     ? req.body
                                : q == std::string::npos ? std::string()
                                                         : req.target.substr(q + 1);
        return m_received.emplace_back(Received{req.method, req.path, fieldsOf(raw), raw});
    }

    sandbox::SandboxServer m_server;
    mutable std::mutex m_mutex;
    std::vector<Received> m_received;
    long long m_nextId = 9001;
};

class FakeClipboard final : public platform::Clipboard {
public:
    void setText(std::string_view text) override { m_text = text; }
    std::string text() const override { return m_text; }
    bool setImage(std::string_view) override { return false; }
    std::string image() const override { return {}; }

private:
    std::string m_text;
};

class RecordingWindowHost final : public platform::WindowHost {
public:
    void show(platform::WindowModel& window, bool modal) override { shown.push_back({&window, modal}); }
    void hide(platform::WindowModel&) override {}
    bool isVisible(const platform::WindowModel&) const override { return false; }
    platform::Browser* browser(platform::WindowModel&, std::string_view) override { return nullptr; }
    void openExternal(std::string_view address) override { opened.emplace_back(address); }
    void forget(platform::WindowModel&) override {}

    std::vector<std::pair<platform::WindowModel*, bool>> shown;
    std::vector<std::string> opened;
};

// The main window with its slot controls, a logged-in session against the fake back office, and the slot
// window, wired as the program wires them.
class SlotsTest : public ::testing::Test {
protected:
    SlotsTest()
    {
        hosts.set(web::role::kAffiliateHost, back.host());
        hosts.set(web::role::kPvidAddressList, "10.1.2.3");
        hosts.set(web::role::kPvidAddressCreate, "10.4.5.6");
        session.replace("cookie2=abc; _tb_token_=tok9", "tok9");
        values.setPublicIp("1.2.3.4");
        slots.bindHandlers();
        window.bindHandlers();
        window.bindOpener(main.model());
    }

    platform::ComboBox& combo(const char* name) { return *main.model().find<platform::ComboBox>(name); }
    platform::Label& label(const char* name) { return *main.model().find<platform::Label>(name); }
    std::vector<std::string> texts(const char* name)
    {
        std::vector<std::string> out;
        for (const auto& e : combo(name).entries())
            out.push_back(e.text);
        return out;
    }
    std::string currentText(const char* name)
    {
        const auto entry = combo(name).current();
        return entry ? entry->text : "<none>";
    }
    // As the desktop does: the chosen entry becomes current, then the event goes out.
    void choose(const char* name, int index)
    {
        combo(name).setCurrentIndex(index);
        main.model().raise(name, platform::EventType::ItemChosen, {.index = index});
    }
    std::vector<std::string> messages() const
    {
        std::vector<std::string> out;
        for (const auto& s : dialogs.shown())
            out.push_back(s.message);
        return out;
    }
    std::string logText() { return main.model().find<platform::EditBox>(app::controls::kRunLog)->text(); }

    FakeBackOffice back;
    web::Hosts hosts;
    web::HttpClient http;
    session::AffiliateSession session;
    platform::VirtualClock clock;
    session::AffiliateClient affiliate{http, hosts, session, clock};
    app::MainWindow main;
    FakeClipboard clipboard;
    dealcast::test::ScriptedDialogs dialogs;
    app::RunLog log{*main.model().find<platform::EditBox>(app::controls::kRunLog), clock};
    app::StartupValues values;
    RecordingWindowHost windowHost;
    bool loggedIn = true;
    PromotionSlots slots{affiliate, main.model(), clipboard, dialogs};
    SlotWindow window{slots, affiliate, log, dialogs, windowHost, values, [this] { return loggedIn; }};
};

}  // namespace dealcast::slots::test
