// MedianReporter: the console report, keeping each benchmark's median real time (in its display unit) so
// that a program can print ratios between benchmarks measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>

class MedianReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.error_occurred) continue;
            const auto name = run.benchmark_name();
            const auto key = name.substr(0, name.find("_median"));
            // Without repetitions there is no median: the single run stands for it.
            if (run.aggregate_name == "median" || (run.aggregate_name.empty() && !medians_.count(key)))
                medians_[key] = run.GetAdjustedRealTime();
        }
    }
    /// The median of the benchmark of this full name ("BM_Import/1000/real_time"), when it ran.
    std::optional<double> median(const std::string& name) const {
        auto it = medians_.find(name);
        return it == medians_.end() ? std::nullopt : std::optional(it->second);
    }

  private:
    std::map<std::string, double> medians_;
};
