// Reading an item-search answer: parse plus 15 path reads through JsonReader, against the same work done
// directly on the underlying parser. Both families run in one process, randomly interleaved, and the ratio of
// the medians is printed at the end.
#include "web/json_reader.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

const std::string& answerText()
{
    static const std::string text = [] {
        std::ifstream in(std::string(DEALCAST_BENCH_DATA_DIR) + "/search_answer.json", std::ios::binary);
        std::ostringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }();
    return text;
}

struct Read {
    const char* path;
    std::vector<std::string_view> steps;  // the same path as member names and indices ("#n")
};

const std::vector<Read>& reads()
{
    static const std::vector<Read> list = {
        {"data.head.status", {"data", "head", "status"}},
        {"data.paginator.items", {"data", "paginator", "items"}},
        {"data.pageList[0].itemId", {"data", "pageList", "#0", "itemId"}},
        {"data.pageList[0].title", {"data", "pageList", "#0", "title"}},
        {"data.pageList[0].zkPrice", {"data", "pageList", "#0", "zkPrice"}},
        {"data.pageList[0].tkRate", {"data", "pageList", "#0", "tkRate"}},
        {"data.pageList[0].couponAmount", {"data", "pageList", "#0", "couponAmount"}},
        {"data.pageList[0].biz30day", {"data", "pageList", "#0", "biz30day"}},
        {"data.pageList[0].shopTitle", {"data", "pageList", "#0", "shopTitle"}},
        {"data.pageList[0].nick", {"data", "pageList", "#0", "nick"}},
        {"data.pageList[0].pictUrl", {"data", "pageList", "#0", "pictUrl"}},
        {"data.pageList[20].itemId", {"data", "pageList", "#20", "itemId"}},
        {"data.pageList[39].title", {"data", "pageList", "#39", "title"}},
        {"data.pageList[39].couponInfo", {"data", "pageList", "#39", "couponInfo"}},
        {"info.ok", {"info", "ok"}},
    };
    return list;
}

std::string rawText(const nlohmann::json& root, const Read& read)
{
    const nlohmann::json* at = &root;
    for (const auto step : read.steps) {
        if (step.front() == '#')
            at = &at->at(std::stoul(std::string(step.substr(1))));
        else
            at = &at->at(std::string(step));
    }
    return at->is_string() ? at->get<std::string>() : at->dump();
}

void BM_JsonReader(benchmark::State& state)
{
    const std::string& text = answerText();
    for (auto _ : state) {
        dealcast::web::JsonReader json;
        bool ok = json.parse(text);
        benchmark::DoNotOptimize(ok);
        for (const auto& read : reads()) {
            std::string value = json.getText(read.path);
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_RawParser(benchmark::State& state)
{
    const std::string& text = answerText();
    for (auto _ : state) {
        const nlohmann::json root = nlohmann::json::parse(text);
        for (const auto& read : reads()) {
            std::string value = rawText(root, read);
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

BENCHMARK(BM_JsonReader)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RawParser)->Unit(benchmark::kMicrosecond);

// Console output plus the ratio of the two medians.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& run : runs)
            if (run.aggregate_name == "median")
                m_medians[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatio() const
    {
        const auto ours = m_medians.find("BM_JsonReader");
        const auto raw = m_medians.find("BM_RawParser");
        if (ours == m_medians.end() || raw == m_medians.end() || raw->second <= 0)
            return;
        std::printf("median JsonReader %.1f us, raw parser %.1f us, ratio %.2f\n", ours->second, raw->second,
                    ours->second / raw->second);
    }

private:
    std::map<std::string, double> m_medians;
};

// Both sides must read the same document before their times mean anything.
bool sameValues()
{
    dealcast::web::JsonReader json;
    if (!json.parse(answerText()))
        return false;
    const nlohmann::json root = nlohmann::json::parse(answerText());
    bool same = true;
    for (const auto& read : reads()) {
        const std::string ours = json.getText(read.path);
        const std::string raw = rawText(root, read);
        if (ours.empty() || ours != raw) {
            std::fprintf(stderr, "%s: JsonReader \"%s\", raw \"%s\"\n", read.path, ours.c_str(), raw.c_str());
            same = false;
        }
    }
    return same;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!sameValues())
        return 1;
    // Defaults for a fair comparison on a noisy machine; flags given on the command line come later and win.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    char repetitions[] = "--benchmark_repetitions=15";
    char aggregates[] = "--benchmark_report_aggregates_only=true";
    args.insert(args.begin() + 1, {interleave, repetitions, aggregates});
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio();
    benchmark::Shutdown();
    return 0;
}
