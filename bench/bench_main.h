#pragma once

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace dealcast::bench {

// Runs the registered benchmarks with defaults for a fair comparison on a noisy machine: interleaved
// repetitions (by default only their aggregates are printed), unless the command line chooses its own
// repetitions. Returns the program's exit code.
inline int runBenchmarks(int argc, char** argv, int repetitions, bool aggregatesOnly = true)
{
    std::vector<std::string> defaults;
    bool chosen = false;
    for (int i = 1; i < argc; ++i)
        chosen = chosen || std::string(argv[i]).starts_with("--benchmark_repetitions");
    if (!chosen) {
        defaults.push_back("--benchmark_repetitions=" + std::to_string(repetitions));
        defaults.push_back("--benchmark_enable_random_interleaving=true");
        if (aggregatesOnly)
            defaults.push_back("--benchmark_report_aggregates_only=true");
    }
    std::vector<char*> args(argv, argv + argc);
    for (std::string& option : defaults)
        args.push_back(option.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace dealcast::bench
