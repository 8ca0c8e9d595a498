// The duplicate filter's membership check with 100,000 stored item ids, against the substring search of the
// whole store text it replaces (which also took item 123 for a part of 41234). The families run interleaved
// with repetitions, so a slow phase of the host falls on both sides. No malloc tuning is set.

#include "bench_main.h"
#include "conversion/duplicate_filter.h"
#include "platform/edit_box.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using dealcast::conversion::DuplicateFilter;

constexpr int kStored = 100000;

std::string storeText()
{
    std::string text;
    for (int i = 0; i < kStored; ++i)
        text += std::to_string(600000000000LL + 7LL * i) + "\r\n";
    return text;
}

struct Store {
    Store()
    {
        box.setText(storeText());
        filter.contains("warm-up");  // builds the id set once, as the first conversion after start does
    }
    dealcast::platform::EditBox box{
        dealcast::platform::ControlDecl{.name = "store", .kind = dealcast::platform::ControlKind::EditBox}, nullptr};
    DuplicateFilter filter{box, {}};
};

Store& store()
{
    static Store s;
    return s;
}

// An id in the middle of the store, and one that is absent (the usual case: a new product).
const std::string kPresent = std::to_string(600000000000LL + 7LL * (kStored / 2));
const std::string kAbsent = "612345678901";

void BM_ContainsPresent(benchmark::State& state)
{
    auto& filter = store().filter;
    for (auto _ : state)
        benchmark::DoNotOptimize(filter.contains(kPresent));
}

void BM_ContainsAbsent(benchmark::State& state)
{
    auto& filter = store().filter;
    for (auto _ : state)
        benchmark::DoNotOptimize(filter.contains(kAbsent));
}

void BM_SubstringSearchAbsent(benchmark::State& state)
{
    const std::string text = store().box.text();
    for (auto _ : state)
        benchmark::DoNotOptimize(text.find(kAbsent));
}

// One append with 100,000 stored ids: the box grows by a line and itemid.txt is replaced whole (write, flush
// to disk, rename), which dominates.
void BM_AppendAndWriteFile(benchmark::State& state)
{
    const auto path = std::filesystem::temp_directory_path() / ("dealcast_filter_bench_" + std::to_string(getpid()));
    Store s;
    DuplicateFilter filter(s.box, path);
    long long next = 700000000000LL;
    for (auto _ : state)
        benchmark::DoNotOptimize(filter.append(std::to_string(next++)));
    std::filesystem::remove(path);
}

}  // namespace

BENCHMARK(BM_ContainsPresent);
BENCHMARK(BM_ContainsAbsent);
BENCHMARK(BM_SubstringSearchAbsent)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AppendAndWriteFile)->Iterations(50)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return dealcast::bench::runBenchmarks(argc, argv, 5);
}
