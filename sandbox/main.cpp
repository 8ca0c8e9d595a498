#include "sandbox/affiliate_item_service.h"
#include "sandbox/affiliate_platform_service.h"
#include "sandbox/click_redirect_service.h"
#include "sandbox/coupon_service.h"
#include "sandbox/ip_lookup_service.h"
#include "sandbox/item_page_service.h"
#include "sandbox/landing_service.h"
#include "sandbox/marketplace_catalog.h"
#include "sandbox/sandbox_hub.h"
#include "sandbox/shortener_service.h"
#include "sandbox/token_proxy_service.h"
#include "sandbox/update_service.h"

#include <csignal>
#include <cstring>
#include <iostream>
#include <memory>
#include <pthread.h>
#include <string>

namespace {

void usage()
{
    std::cerr
        << "用法: dealcast-sandbox --hosts-out FILE [--run-dir DIR]\n"
           "在本机回环地址上启动全部模拟服务，把主机配置写入 FILE，输出一行 ready，收到 SIGINT/SIGTERM 后退出。\n";
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace dealcast::sandbox;

    std::string hostsOut;
    std::string runDir;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--hosts-out" || arg == "--run-dir") && i + 1 < argc) {
            (arg == "--hosts-out" ? hostsOut : runDir) = argv[++i];
        } else {
            usage();
            return 2;
        }
    }
    if (hostsOut.empty()) {
        usage();
        return 2;
    }

    // Blocked before any server thread exists, so every thread inherits the mask and the signals wait for
    // sigwait below instead of killing the process before the hub can clean up its run folder. A shell starts
    // background jobs with SIGINT ignored, and an ignored signal is discarded rather than left pending, so
    // both get a handler first.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    struct sigaction action {};
    action.sa_handler = [](int) {};
    for (const int signal : {SIGINT, SIGTERM}) {
        sigaddset(&stopSignals, signal);
        sigaction(signal, &action, nullptr);
    }
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    SandboxHub hub(runDir);
    hub.add(std::make_shared<IpLookupService>());
    hub.add(std::make_shared<UpdateService>());
    hub.add(std::make_shared<ClickRedirectService>());
    const auto platform = std::make_shared<AffiliatePlatformService>();
    hub.add(platform);
    const auto catalog = std::make_shared<MarketplaceCatalog>();
    // The plan and link calls need the platform's live session and its token, as the real back end does; the
    // token proxy takes only access tokens the authorize page granted.
    hub.add(std::make_shared<AffiliateItemService>(
        catalog, [platform](const httplib::Request& request) { return platform->authorizedCall(request); }));
    hub.add(std::make_shared<CouponService>(catalog));
    hub.add(std::make_shared<ItemPageService>(catalog, false));
    hub.add(std::make_shared<ItemPageService>(catalog, true));
    hub.add(std::make_shared<TokenProxyService>(
        catalog, [platform](std::string_view token) { return platform->isAccessToken(token); }));
    for (const auto kind : {ShortenerService::Kind::A, ShortenerService::Kind::B, ShortenerService::Kind::C,
                            ShortenerService::Kind::CApi})
        hub.add(std::make_shared<ShortenerService>(catalog, kind));
    hub.add(std::make_shared<LandingService>());
    if (!hub.start()) {
        std::cerr << "沙盒服务启动失败\n";
        return 1;
    }
    if (!hub.writeHostsFile(hostsOut)) {
        std::cerr << "无法写入主机配置文件: " << hostsOut << "\n";
        return 1;
    }
    std::cout << "ready" << std::endl;

    int received = 0;
    sigwait(&stopSignals, &received);
    hub.stop();
    return 0;
}
