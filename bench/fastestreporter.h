#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

// Shows the repetitions' summaries and keeps each benchmark's fastest run, by wall-clock
// and by processor time: the run least disturbed by whatever else the machine is doing.
class TFastestReporter : public benchmark::ConsoleReporter {
public:
  struct TTimes {
    double Real = 0;
    double Cpu = 0;
  };

  void ReportRuns(const std::vector<Run> &Runs) override {
    std::vector<Run> Summaries;
    for (const Run &Each : Runs) {
      if (Each.run_type != Run::RT_Iteration) {
        Summaries.push_back(Each);
        continue;
      }
      if (Each.error_occurred)
        continue;
      // A captured benchmark's runs are told apart by their arguments.
      const std::string Name = Each.run_name.function_name + Each.run_name.args;
      auto [At, New] = FTimes.try_emplace(Name, TTimes{Each.GetAdjustedRealTime(),
                                                       Each.GetAdjustedCPUTime()});
      if (!New) {
        At->second.Real = std::min(At->second.Real, Each.GetAdjustedRealTime());
        At->second.Cpu = std::min(At->second.Cpu, Each.GetAdjustedCPUTime());
      }
    }
    if (!Summaries.empty())
      ConsoleReporter::ReportRuns(Summaries);
  }
  const std::map<std::string, TTimes> &Times() const { return FTimes; }
  TTimes Fastest(const std::string &Name) const {
    const auto At = FTimes.find(Name);
    return At == FTimes.end() ? TTimes{} : At->second;
  }

private:
  std::map<std::string, TTimes> FTimes;
};
