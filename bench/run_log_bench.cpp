#include "app/run_log.h"
#include "platform/clock.h"
#include "platform/window_model.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <string>
#include <string_view>

namespace {

using namespace dealcast;

constexpr int kBatch = 1000;
constexpr std::string_view kMessage = "商品已发送到微信群，群序号 17，本群已发 230 条";

class FixedClock final : public platform::Clock {
public:
    WallTime now() const override { return {}; }
    Monotonic monotonic() const override { return {}; }
    platform::LocalTime localTime() const override
    {
        platform::LocalTime t;
        t.hour = 9;
        t.minute = 5;
        t.second = 7;
        return t;
    }
};

// The text of a log that holds `lines` lines, with room to grow by a batch without reallocating: the
// reallocation of a doubling string is amortised over the lines that filled it, which a batch this short
// would not show.
std::string filledLog(int lines)
{
    const std::string line = app::RunLog::formatLine(FixedClock().localTime(), kMessage);
    std::string text = "*";
    text.reserve(line.size() * static_cast<std::size_t>(lines + kBatch) + 1);
    for (int i = 0; i < lines; ++i)
        text += line;
    return text;
}

// Cost of one run-log line when the log already holds ~1,000 and ~100,000 lines. The log grows for the whole
// run, so the two figures must stay flat: an append that copied the text, or a notification that carried it,
// would make the second a hundred times the first. An observer is subscribed, as the desktop front-end is,
// so the notification path is measured too.
void BM_RunLogWrite(benchmark::State& state)
{
    const int lines = static_cast<int>(state.range(0));
    platform::WindowModel window("主窗口", 1045, 710);
    auto* box = static_cast<platform::EditBox*>(
        window.add({.name = "编辑框_运行日志", .kind = platform::ControlKind::EditBox, .flags = platform::kMultiLine}));
    std::size_t notified = 0;
    window.subscribe([&](const platform::Change& c) { notified += c.text.size(); });
    FixedClock clock;
    app::RunLog log(*box, clock);
    const std::string base = filledLog(lines);

    for (auto _ : state) {
        state.PauseTiming();
        std::string text;
        text.reserve(base.capacity());
        text = base;
        box->setText(std::move(text));
        state.ResumeTiming();
        for (int i = 0; i < kBatch; ++i)
            log.write(kMessage);
    }
    benchmark::DoNotOptimize(notified);
    state.SetItemsProcessed(state.iterations() * kBatch);
    state.counters["log_lines"] = lines;
}
BENCHMARK(BM_RunLogWrite)->Arg(1'000)->Arg(100'000)->Iterations(300)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    // Each batch starts from a fresh copy of the log. Without these, glibc maps the 100,000-line copy anew
    // and hands it back every batch, so that side alone would pay a page fault per ~45 lines; with them both
    // sides reuse warm heap memory and the figures compare the appends themselves.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
