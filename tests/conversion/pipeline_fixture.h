#pragma once

#include "app/app_controls.h"
#include "market_world.h"
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

// What the single-item tests copy to: the program's own clipboard for runs without a desktop.
using MemoryClipboard = platform::MemoryClipboard;

// The simulated marketplace and affiliate platform, the main window, and a converter wired to them as the
// program wires it. Pauses run on a virtual clock, so a test never sleeps.
class PipelineWorld : public MarketWorld {
public:
    PipelineWorld()
    {
        appKeys = {"12345678|secret"};
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

    platform::WaitContextScope waitScope{platform::WaitContext{.clock = &clock}};
    TempDir dir;
    std::atomic<bool> loggedIn{true};
    conversion::DuplicateFilter filter{*main.model().find<platform::EditBox>(conversion::controls::kFilterStore),
                                       dir.path() / "itemid.txt"};
    std::unique_ptr<conversion::ProductConverter> converter;

private:
    platform::Clock::Monotonic m_start = clock.monotonic();
};

}  // namespace dealcast::test
