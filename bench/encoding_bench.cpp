// GBK <-> UTF-8 of 1 MiB of mixed product text: the program's conversion against bare iconv with a descriptor
// opened once, both converting into a string sized for the worst case.
#include "web/encoding.h"

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <string>

namespace {

const std::string& mixedUtf8()
{
    static const std::string text = [] {
        const std::string piece = "【推荐理由】夏季新款纯棉T恤 券后价 12.5 元，月销 30000+ https://item.example/item.htm?id=612345678901 "
                                  "领券下单立减5元，包邮！\r\n";
        std::string t;
        while (t.size() < (1u << 20))
            t += piece;
        return t;
    }();
    return text;
}

const std::string& mixedGbk()
{
    static const std::string text = dealcast::web::utf8ToGbk(mixedUtf8());
    return text;
}

std::string rawIconv(iconv_t cd, const std::string& in, std::size_t growth)
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out(in.size() * growth + 8, '\0');
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.resize(out.size() - dstLeft);
    return out;
}

void GbkToUtf8_Program(benchmark::State& state)
{
    const std::string& in = mixedGbk();
    for (auto _ : state)
        benchmark::DoNotOptimize(dealcast::web::gbkToUtf8(in));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void GbkToUtf8_RawIconv(benchmark::State& state)
{
    const std::string& in = mixedGbk();
    iconv_t cd = iconv_open("UTF-8", "GBK");
    for (auto _ : state)
        benchmark::DoNotOptimize(rawIconv(cd, in, 2));
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void Utf8ToGbk_Program(benchmark::State& state)
{
    const std::string& in = mixedUtf8();
    for (auto _ : state)
        benchmark::DoNotOptimize(dealcast::web::utf8ToGbk(in));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void Utf8ToGbk_RawIconv(benchmark::State& state)
{
    const std::string& in = mixedUtf8();
    iconv_t cd = iconv_open("GBK", "UTF-8");
    for (auto _ : state)
        benchmark::DoNotOptimize(rawIconv(cd, in, 1));
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

}  // namespace

// Interleaved, so a slow phase of the host hits both sides alike.
BENCHMARK(GbkToUtf8_Program)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(GbkToUtf8_RawIconv)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(Utf8ToGbk_Program)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(Utf8ToGbk_RawIconv)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
