// Helpers shared by the benchmarks: installation-like tables, memory
// figures of the running process, child runs of the benchmark program, a
// reporter that keeps every result for the closing summary, and the table
// the summaries print.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace bench {

// Bytes of an installation-like table (VID C1, NAIM C80, DIR C80, DOP C20,
// BAZ_ C4, NBDATE C8, YES L1) of `rows` rows: six directory and
// printing rows (kinds a, d, n, i, h, f), the rest base rows (kind b) with
// distinct directories C:\VEM\NB\B_<number>\ and identifiers. Every
// `deletedEvery`-th row is marked deleted (0: none).
std::string InstallTableBytes(size_t rows, size_t deletedEvery = 0, uint8_t headerFlag = 0);
// The directory of base row `i` (from 0), as stored.
std::string BaseDir(size_t i);

// Kilobytes from /proc/self/status: the resident set now and its peak.
long RssKb();
long PeakRssKb();
// Resets the peak to the current resident set (/proc/self/clear_refs "5");
// false when the kernel does not allow it.
bool ResetPeak();

// Runs this program again with the arguments and returns what it printed
// on its standard output; throws std::runtime_error when it fails.
std::string RunSelf(const std::vector<std::string>& args);

// Plain copy of a file, optionally flushed to the disk (contents and the
// folder entry), the baselines of the whole-file rewrites.
void CopyFile(const std::filesystem::path& from, const std::filesystem::path& to, bool sync);

// Seconds of one run of fn (steady clock).
template <typename Fn>
double Seconds(Fn&& fn);

// Keeps the real time per iteration (seconds) of every run by name
// ("BM_Pack/100000") while printing as the console reporter does.
class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  // Plain text: the output usually goes to a file.
  CollectingReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override;
  std::map<std::string, double> seconds;              // by run name
  std::map<std::string, std::map<std::string, double>> counters;
};

// One line of a summary: operation, size, time text, ratio or figure
// against its target, and whether the target is met ("" when there is
// none).
struct Row {
  std::string operation, size, time, figure, target, met;
};
void PrintTable(const std::string& title, const std::vector<Row>& rows);

// "12.3 ms", "1.23 s", "4.5 us".
std::string FormatSeconds(double s);
std::string FormatRatio(double r);

}  // namespace bench

#include <chrono>
template <typename Fn>
double bench::Seconds(Fn&& fn) {
  auto start = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
