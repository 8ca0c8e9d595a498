// HttpClient GET against a bare libcurl GET of the same loopback page, both reusing their connection.
// Run with the defaults below: every family repeated and the repetitions interleaved in random order, so a
// slow phase of the host falls on both sides alike. The paired family times both sides in each iteration
// and reports their ratio directly.

#include "bench_main.h"
#include "sandbox/sandbox_server.h"
#include "web/http_client.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <curl/curl.h>
#include <string>
#include <vector>

namespace {

// A 20 KB UTF-8 page, marked as UTF-8 in its Content-Type as the platform's answers are.
std::string pageBody()
{
    std::string body = "<!DOCTYPE html><html><head><title>商品列表</title></head><body><ul>\n";
    for (int i = 0; body.size() < 20 * 1024 - 64; ++i)
        body += "<li data-id=\"" + std::to_string(600000000 + i) + "\">夏季新款 纯棉T恤 券后 12.5 元</li>\n";
    body += "</ul></body></html>\n";
    return body;
}

struct Loopback {
    Loopback()
    {
        server.http().Get("/page", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(body, "text/html; charset=utf-8");
        });
        // Both clients reuse their connection between requests, as a session's calls do.
        server.http().set_keep_alive_timeout(5);
        server.start();
    }
    std::string body = pageBody();
    dealcast::sandbox::SandboxServer server;
};

Loopback& loopback()
{
    static Loopback instance;
    return instance;
}

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* user)
{
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

// The least a libcurl caller can do: one handle, URL and write callback set once.
class BareGet {
public:
    explicit BareGet(const std::string& url)
        : m_curl(curl_easy_init())
    {
        curl_easy_setopt(m_curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, appendBody);
        curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, &m_body);
    }
    ~BareGet() { curl_easy_cleanup(m_curl); }
    BareGet(const BareGet&) = delete;
    BareGet& operator=(const BareGet&) = delete;

    const std::string& get()
    {
        m_body.clear();
        curl_easy_perform(m_curl);
        return m_body;
    }

private:
    CURL* m_curl;
    std::string m_body;
};

void checkBody(benchmark::State& state, const std::string& body)
{
    if (body != loopback().body)
        state.SkipWithError("unexpected body");
}

void BM_BareCurlGet(benchmark::State& state)
{
    const dealcast::web::HttpClient warmUp;  // initialises the library the same way for both sides
    BareGet bare(loopback().server.url("/page"));
    checkBody(state, bare.get());
    for (auto _ : state)
        benchmark::DoNotOptimize(bare.get().data());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * loopback().body.size()));
}

void BM_HttpClientGet(benchmark::State& state)
{
    const dealcast::web::HttpClient client;
    const std::string url = loopback().server.url("/page");
    checkBody(state, client.get(url));
    for (auto _ : state) {
        std::string text = client.get(url);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * loopback().body.size()));
}

void BM_PairedRatio(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    const dealcast::web::HttpClient client;
    const std::string url = loopback().server.url("/page");
    BareGet bare(url);
    checkBody(state, bare.get());
    checkBody(state, client.get(url));
    Clock::duration bareTime{}, clientTime{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(bare.get().data());
        const auto t1 = Clock::now();
        std::string text = client.get(url);
        benchmark::DoNotOptimize(text.data());
        const auto t2 = Clock::now();
        bareTime += t1 - t0;
        clientTime += t2 - t1;
    }
    const double n = static_cast<double>(state.iterations());
    const double bareUs = std::chrono::duration<double, std::micro>(bareTime).count() / n;
    const double clientUs = std::chrono::duration<double, std::micro>(clientTime).count() / n;
    state.counters["bare_us"] = bareUs;
    state.counters["client_us"] = clientUs;
    state.counters["ratio"] = clientUs / bareUs;
}

BENCHMARK(BM_BareCurlGet)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HttpClientGet)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PairedRatio)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    return dealcast::bench::runBenchmarks(argc, argv, 7);
}
