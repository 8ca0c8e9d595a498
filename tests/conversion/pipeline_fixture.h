#pragma once

#include "app/app_controls.h"
#include "app/main_window.h"
#include "app/run_log.h"
#include "app/startup_values.h"
#include "conversion/conversion_controls.h"
#include "conversion/conversion_services.h"
#include "conversion/convert_product.h"
#include "conversion/duplicate_filter.h"
#include "platform/clipboard.h"
#include "platform/responsive_wait.h"
#include "platform/virtual_clock.h"
#include "relay/relay_controls.h"
#include "sandbox/affiliate_item_service.h"
#include "sandbox/coupon_service.h"
#include "sandbox/item_page_service.h"
#include "sandbox/landing_service.h"
#include "sandbox/marketplace_catalog.h"
#include "sandbox/sandbox_hub.h"
#include "sandbox/sandbox_names.h"
#include "sandbox/shortener_service.h"
#include "sandbox/token_proxy_service.h"
#include "sending/sending_controls.h"
#include "session/affiliate_client.h"
#include "session/affiliate_session.h"
#include "support/fixtures.h"
#include "support/scripted_dialogs.h"
#include "web/hosts.h"
#include "web/http_client.h"

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

namespace dealcast::test {

// A clipboard that keeps what it was given; every non-empty byte string counts as a picture.
class MemoryClipboard final : public platform::Clipboard {
public:
    void setText(std::string_view text) override { m_text = text; }
    std::string text() const override { return m_text; }
    bool setImage(std::string_view bytes) override
    {
        if (bytes.empty())
            return false;
        m_image = bytes;
        return true;
    }
    std::string image() const override { return m_image; }

private:
    std::string m_text;
    std::string m_image;
};

// The simulated marketplace and affiliate platform, the main window, and a converter wired to them as the
// program wires it. Pauses run on a virtual clock, so a test never sleeps.
class PipelineWorld {
public:
    PipelineWorld()
    {
        hub.add(affiliate);
        hub.add(coupons);
        hub.add(marketPages);
        hub.add(mallPages);
        hub.add(proxy);
        hub.add(landing);
        for (auto kind : {sandbox::ShortenerService::Kind::A, sandbox::ShortenerService::Kind::B,
                          sandbox::ShortenerService::Kind::C, sandbox::ShortenerService::Kind::CApi})
            hub.add(std::make_shared<sandbox::ShortenerService>(catalog, kind));
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
                                           .appKeys = [] { return std::vector<std::string>{"12345678|secret"}; }});
        converter = std::make_unique<conversion::ProductConverter>(
            *services, dialogs, filter,
            conversion::ConverterHooks{.loggedIn = [this] { return loggedIn.load(); },
                                       .pidFor =
                                           [](slots::PidTarget target) {
                                               return target == slots::PidTarget::Wechat
                                                          ? slots::PidChoice{"2233", "4455", "mm_1_2233_4455"}
                                                          : slots::PidChoice{"2233", "4466", "mm_1_2233_4466"};
                                           }});
        // The design ticks WeChat sending; the conditions start off.
        tick(sending::controls::kSendWechat, true);
    }

    platform::WindowModel& window() { return main.model(); }
    std::string logText() const { return main.model().find<platform::EditBox>(app::controls::kRunLog)->text(); }
    void tick(std::string_view name, bool on) { window().find<platform::CheckBox>(name)->setChecked(on); }
    void setText(std::string_view name, std::string text) { window().find<platform::EditBox>(name)->setText(text); }
    std::string text(std::string_view name) { return window().find<platform::EditBox>(name)->text(); }
    // Conditions that every seeded product meets, so a test tightens only the one it is about.
    void openConditions()
    {
        tick(sending::controls::kConditionsOn, true);
        setText(sending::controls::kMinShopScore, "0");
        setText(sending::controls::kMinCouponRatio, "0");
        setText(sending::controls::kMinPrice, "");
        setText(sending::controls::kMaxPrice, "");
        setText(sending::controls::kMinSales, "0");
        setText(sending::controls::kMinCommission, "0");
        setText(sending::controls::kExcludedKeywords, "");
    }
    std::int64_t elapsedMs() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(clock.monotonic() - m_start).count();
    }

    conversion::ConversionResult convert(std::string_view text,
                                         conversion::ConversionMode mode = conversion::ConversionMode::Sending,
                                         std::string_view source = "采集")
    {
        return converter->convert(text, mode, source);
    }

    static std::string itemLink(std::string_view id)
    {
        return "https://" + std::string(sandbox::names::kMarketItem) + "/item.htm?id=" + std::string(id);
    }

    platform::VirtualClock clock;
    platform::WaitContextScope waitScope{platform::WaitContext{.clock = &clock}};
    TempDir dir;
    std::shared_ptr<sandbox::MarketplaceCatalog> catalog = std::make_shared<sandbox::MarketplaceCatalog>();
    std::shared_ptr<sandbox::AffiliateItemService> affiliate = std::make_shared<sandbox::AffiliateItemService>(catalog);
    std::shared_ptr<sandbox::CouponService> coupons = std::make_shared<sandbox::CouponService>(catalog);
    std::shared_ptr<sandbox::ItemPageService> marketPages = std::make_shared<sandbox::ItemPageService>(catalog, false);
    std::shared_ptr<sandbox::ItemPageService> mallPages = std::make_shared<sandbox::ItemPageService>(catalog, true);
    std::shared_ptr<sandbox::TokenProxyService> proxy = std::make_shared<sandbox::TokenProxyService>(catalog);
    std::shared_ptr<sandbox::LandingService> landing = std::make_shared<sandbox::LandingService>();
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
    std::atomic<bool> loggedIn{true};
    ScriptedDialogs dialogs;
    conversion::DuplicateFilter filter{*main.model().find<platform::EditBox>(conversion::controls::kFilterStore),
                                       dir.path() / "itemid.txt"};
    std::unique_ptr<conversion::ConversionServices> services;
    std::unique_ptr<conversion::ProductConverter> converter;

private:
    platform::Clock::Monotonic m_start = clock.monotonic();
};

}  // namespace dealcast::test
