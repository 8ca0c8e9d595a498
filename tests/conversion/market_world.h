#pragma once

#include "app/app_controls.h"
#include "app/main_window.h"
#include "app/run_log.h"
#include "app/startup_values.h"
#include "conversion/conversion_services.h"
#include "platform/check_box.h"
#include "platform/edit_box.h"
#include "platform/virtual_clock.h"
#include "platform/window_model.h"
#include "sandbox/affiliate_item_service.h"
#include "sandbox/coupon_service.h"
#include "sandbox/item_page_service.h"
#include "sandbox/landing_service.h"
#include "sandbox/marketplace_catalog.h"
#include "sandbox/sandbox_hub.h"
#include "sandbox/sandbox_names.h"
#include "sandbox/shortener_service.h"
#include "sandbox/token_proxy_service.h"
#include "session/affiliate_client.h"
#include "session/affiliate_session.h"
#include "support/scripted_dialogs.h"
#include "web/hosts.h"
#include "web/http_client.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dealcast::test {

// The simulated marketplace (search, plans, coupons, item pages, token proxy, shorteners, landing page) on a
// loopback hub, the main window, and the services a conversion step reaches, wired as the program wires them.
class MarketWorld {
public:
    // `liveSession` gates the affiliate calls that need a session; empty lets every call through.
    explicit MarketWorld(sandbox::AffiliateItemService::SessionCheck liveSession = {})
        : affiliate(std::make_shared<sandbox::AffiliateItemService>(catalog, std::move(liveSession)))
    {
        hub.add(affiliate);
        hub.add(coupons);
        hub.add(marketPages);
        hub.add(mallPages);
        hub.add(proxy);
        hub.add(landing);
        for (auto kind : {sandbox::ShortenerService::Kind::A, sandbox::ShortenerService::Kind::B,
                          sandbox::ShortenerService::Kind::C, sandbox::ShortenerService::Kind::CApi}) {
            shorteners.push_back(std::make_shared<sandbox::ShortenerService>(catalog, kind));
            hub.add(shorteners.back());
        }
        started = hub.start();
        hosts = hub.hosts();
        hosts.set(web::role::kCouponPageHost, sandbox::names::kCouponPage);
        hosts.set(web::role::kShopCouponHost, sandbox::names::kShopCoupon);
        http = std::make_unique<web::HttpClient>(hosts.httpOptions());
        client = std::make_unique<session::AffiliateClient>(*http, hosts, session, clock);
        session.replace("login_sid=s1; _tb_token_=t1", "t1");
        values.setPublicIp("203.0.113.7");
        services = std::make_unique<conversion::ConversionServices>(
            conversion::ConversionServices{.clock = clock,
                                           .hosts = hosts,
                                           .http = *http,
                                           .affiliate = *client,
                                           .log = log,
                                           .window = window(),
                                           .values = values,
                                           .accessToken = [this] { return accessToken; },
                                           .appKeys = [this] { return appKeys; }});
    }

    platform::WindowModel& window() { return main.model(); }
    std::string logText() const { return main.model().find<platform::EditBox>(app::controls::kRunLog)->text(); }
    int logCount(std::string_view line) const
    {
        const std::string text = logText();
        int count = 0;
        for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + line.size()))
            ++count;
        return count;
    }
    void tick(std::string_view name, bool on) { window().find<platform::CheckBox>(name)->setChecked(on); }
    void setText(std::string_view name, std::string text) { window().find<platform::EditBox>(name)->setText(text); }
    sandbox::ShortenerService& shortener(sandbox::ShortenerService::Kind kind)
    {
        return *shorteners[static_cast<std::size_t>(kind)];
    }

    platform::VirtualClock clock;
    std::shared_ptr<sandbox::MarketplaceCatalog> catalog = std::make_shared<sandbox::MarketplaceCatalog>();
    std::shared_ptr<sandbox::AffiliateItemService> affiliate;
    std::shared_ptr<sandbox::CouponService> coupons = std::make_shared<sandbox::CouponService>(catalog);
    std::shared_ptr<sandbox::ItemPageService> marketPages = std::make_shared<sandbox::ItemPageService>(catalog, false);
    std::shared_ptr<sandbox::ItemPageService> mallPages = std::make_shared<sandbox::ItemPageService>(catalog, true);
    std::shared_ptr<sandbox::TokenProxyService> proxy = std::make_shared<sandbox::TokenProxyService>(catalog);
    std::shared_ptr<sandbox::LandingService> landing = std::make_shared<sandbox::LandingService>();
    std::vector<std::shared_ptr<sandbox::ShortenerService>> shorteners;
    sandbox::SandboxHub hub;
    bool started = false;
    web::Hosts hosts;
    std::unique_ptr<web::HttpClient> http;
    session::AffiliateSession session;
    std::unique_ptr<session::AffiliateClient> client;
    app::MainWindow main;
    app::RunLog log{*main.model().find<platform::EditBox>(app::controls::kRunLog), clock};
    app::StartupValues values;
    std::string accessToken = "grant-token-1";
    std::vector<std::string> appKeys;  // "key|secret" entries
    ScriptedDialogs dialogs;
    std::unique_ptr<conversion::ConversionServices> services;
};

}  // namespace dealcast::test
