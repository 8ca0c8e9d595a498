// One whole product conversion (recognition, item search, coupon, plans, privilege link, share token, short
// links, templates, duplicate filter with its file) against the loopback sandbox, whose services answer at
// once. Reports the time per conversion on the converting thread (CPU) and in all (real), and the requests
// the sandbox received per conversion ("requests"). The sandbox servers run in the same process on threads of
// their own, so their CPU time is not in the CPU column. No malloc tuning is set.

#include "bench_main.h"
#include "app/app_controls.h"
#include "app/main_window.h"
#include "app/run_log.h"
#include "app/startup_values.h"
#include "conversion/conversion_controls.h"
#include "conversion/conversion_services.h"
#include "conversion/convert_product.h"
#include "conversion/duplicate_filter.h"
#include "platform/dialogs.h"
#include "platform/responsive_wait.h"
#include "platform/virtual_clock.h"
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
#include "web/hosts.h"
#include "web/http_client.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace dealcast;

// Sees every request for its host before the real services and takes none: the count of what one
// conversion asks of the outside.
class RequestTap final : public sandbox::SimulatedService {
public:
    RequestTap(std::string host, std::shared_ptr<std::atomic<int>> counter)
        : m_host(std::move(host))
        , m_counter(std::move(counter))
    {
    }
    std::string hostName() const override { return m_host; }
    std::vector<std::string_view> roles() const override { return {}; }
    bool handles(const httplib::Request&) const override
    {
        ++*m_counter;
        return false;
    }
    void handle(const httplib::Request&, httplib::Response&) override {}

private:
    std::string m_host;
    std::shared_ptr<std::atomic<int>> m_counter;
};

class QuietDialogs final : public platform::Dialogs {
public:
    std::string openFile(std::string_view, std::string_view) override { return {}; }

protected:
    int show(const platform::DialogRequest&) override { return platform::DialogResult::Ok; }
};

struct World {
    World()
    {
        using sandbox::ShortenerService;
        std::vector<std::shared_ptr<sandbox::SimulatedService>> services = {
            std::make_shared<sandbox::AffiliateItemService>(catalog),
            std::make_shared<sandbox::CouponService>(catalog),
            std::make_shared<sandbox::ItemPageService>(catalog, false),
            std::make_shared<sandbox::ItemPageService>(catalog, true),
            std::make_shared<sandbox::TokenProxyService>(catalog),
            std::make_shared<sandbox::LandingService>(),
            std::make_shared<ShortenerService>(catalog, ShortenerService::Kind::A),
            std::make_shared<ShortenerService>(catalog, ShortenerService::Kind::B),
            std::make_shared<ShortenerService>(catalog, ShortenerService::Kind::C),
            std::make_shared<ShortenerService>(catalog, ShortenerService::Kind::CApi)};
        std::vector<std::string> tapped;
        for (const auto& service : services) {
            const std::string host = service->hostName();
            if (std::find(tapped.begin(), tapped.end(), host) == tapped.end()) {
                tapped.push_back(host);
                hub.add(std::make_shared<RequestTap>(host, requests));
            }
        }
        for (const auto& service : services)
            hub.add(service);
        started = hub.start();
        hosts = hub.hosts();
        hosts.set(web::role::kCouponPageHost, sandbox::names::kCouponPage);
        hosts.set(web::role::kShopCouponHost, sandbox::names::kShopCoupon);
        http = std::make_unique<web::HttpClient>(hosts.httpOptions());
        client = std::make_unique<session::AffiliateClient>(*http, hosts, session, clock);
        session.replace("login_sid=s1; _tb_token_=t1", "t1");
        values.setPublicIp("203.0.113.7");
        conversionServices = std::make_unique<conversion::ConversionServices>(
            conversion::ConversionServices{.clock = clock,
                                           .hosts = hosts,
                                           .http = *http,
                                           .affiliate = *client,
                                           .log = log,
                                           .window = main.model(),
                                           .values = values,
                                           .accessToken = [] { return std::string("grant-token-1"); },
                                           .appKeys = [] { return std::vector<std::string>{"12345678|secret"}; }});
        converter = std::make_unique<conversion::ProductConverter>(
            *conversionServices, dialogs, filter,
            conversion::ConverterHooks{.loggedIn = [] { return true; },
                                       .pidFor =
                                           [](slots::PidTarget) {
                                               return slots::PidChoice{"2233", "4455", "mm_1_2233_4455"};
                                           }});
        main.model().find<platform::CheckBox>(sending::controls::kSendWechat)->setChecked(true);
        main.model().find<platform::CheckBox>(conversion::controls::kFilterDuplicates)->setChecked(true);
    }
    ~World() { std::filesystem::remove(filterFile); }

    platform::VirtualClock clock;
    platform::WaitContextScope waitScope{platform::WaitContext{.clock = &clock}};
    std::shared_ptr<std::atomic<int>> requests = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<sandbox::MarketplaceCatalog> catalog = std::make_shared<sandbox::MarketplaceCatalog>();
    sandbox::SandboxHub hub;
    bool started = false;
    web::Hosts hosts;
    std::unique_ptr<web::HttpClient> http;
    session::AffiliateSession session;
    std::unique_ptr<session::AffiliateClient> client;
    app::MainWindow main;
    app::RunLog log{*main.model().find<platform::EditBox>(app::controls::kRunLog), clock};
    app::StartupValues values;
    QuietDialogs dialogs;
    std::filesystem::path filterFile =
        std::filesystem::temp_directory_path() / ("dealcast_convert_bench_" + std::to_string(getpid()));
    conversion::DuplicateFilter filter{*main.model().find<platform::EditBox>(conversion::controls::kFilterStore),
                                       filterFile};
    std::unique_ptr<conversion::ConversionServices> conversionServices;
    std::unique_ptr<conversion::ProductConverter> converter;
};

std::string itemLink(std::string_view id)
{
    return "https://" + std::string(sandbox::names::kMarketItem) + "/item.htm?id=" + std::string(id);
}

void runConversions(benchmark::State& state, const std::string& text, conversion::ConversionMode mode)
{
    World world;
    if (!world.started) {
        state.SkipWithError("sandbox did not start");
        return;
    }
    // One unmeasured conversion opens the kept-alive connections.
    world.converter->convert(text, mode, "采集");
    world.filter.clear();
    *world.requests = 0;
    std::int64_t conversions = 0;
    for (auto _ : state) {
        const conversion::ConversionResult result = world.converter->convert(text, mode, "采集");
        if (result.word != conversion::kConverted) {
            state.SkipWithError(("conversion ended with " + result.word).c_str());
            break;
        }
        ++conversions;
        state.PauseTiming();
        world.filter.clear();  // the same item again is not a duplicate
        state.ResumeTiming();
    }
    state.counters["requests"] =
        benchmark::Counter(static_cast<double>(world.requests->load()) / std::max<std::int64_t>(conversions, 1));
}

// The coupon item: coupon lookup, shop campaigns, privilege link with its share token and spread link.
void BM_ConvertCouponItem(benchmark::State& state)
{
    const std::string text =
        itemLink(sandbox::MarketplaceCatalog::kCouponItem) + "\r\nhttps://" + std::string(sandbox::names::kCoupon) +
        "/quan?activityId=a1b2c3d4e5f60718&itemId=" + std::string(sandbox::MarketplaceCatalog::kCouponItem) +
        "\r\n透气款男士上衣";
    runConversions(state, text, conversion::ConversionMode::Sending);
}

// The plain item: no coupon, general plan only, links through the affiliate link conversion.
void BM_ConvertPlainItem(benchmark::State& state)
{
    runConversions(state, itemLink(sandbox::MarketplaceCatalog::kPlainItem), conversion::ConversionMode::Sending);
}

}  // namespace

BENCHMARK(BM_ConvertCouponItem)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK(BM_ConvertPlainItem)->Unit(benchmark::kMillisecond)->Iterations(100);

int main(int argc, char** argv)
{
    return dealcast::bench::runBenchmarks(argc, argv, 3, false);
}
