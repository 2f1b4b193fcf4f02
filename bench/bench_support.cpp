#include "bench_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "common/package_builder.h"

extern char** environ;

namespace bench {

std::string BaseDir(size_t i) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "C:\\VEM\\NB\\B_%06zu\\", i);
  return buf;
}

std::string InstallTableBytes(size_t rows, size_t deletedEvery, uint8_t headerFlag) {
  using testing_support::DbfColumn;
  using testing_support::DbfRow;
  const std::vector<DbfColumn> columns = {{"VID", 'C', 1},  {"NAIM", 'C', 80}, {"DIR", 'C', 80},
                                          {"DOP", 'C', 20}, {"BAZ_", 'C', 4},  {"NBDATE", 'C', 8},
                                          {"YES", 'L', 1}};
  static const char* kKinds = "adnihf";
  std::vector<DbfRow> out;
  out.reserve(rows);
  for (size_t i = 0; i < rows; ++i) {
    DbfRow row;
    if (i < 6) {
      const char kind[2] = {kKinds[i], 0};
      row.values = {kind, "Directory row", std::string("C:\\VEM\\SM_") + kind + "\\", "", "", "",
                    i == 5 ? "T" : "F"};
    } else {
      char naim[64], baz[8];
      std::snprintf(naim, sizeof naim, "Normative base %zu", i);
      std::snprintf(baz, sizeof baz, "%04zu", (i * 7919) % 10000);
      row.values = {"b", naim, BaseDir(i), "G", baz, "01012010", "F"};
    }
    row.deleted = deletedEvery != 0 && i % deletedEvery == deletedEvery - 1;
    out.push_back(std::move(row));
  }
  return testing_support::BuildDbf(columns, out, headerFlag);
}

namespace {
long StatusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(key) + ":";
  while (std::getline(in, line)) {
    if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
  }
  return -1;
}
}  // namespace

long RssKb() { return StatusKb("VmRSS"); }
long PeakRssKb() { return StatusKb("VmHWM"); }

bool ResetPeak() {
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
  out.flush();
  return bool(out);
}

std::string RunSelf(const std::vector<std::string>& args) {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  std::vector<std::string> all = {"/proc/self/exe"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    throw std::runtime_error("cannot start a child run");
  }
  std::string output;
  char buf[4096];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) output.append(buf, size_t(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("child run failed: " + output);
  return output;
}

void CopyFile(const std::filesystem::path& from, const std::filesystem::path& to, bool sync) {
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
  if (!sync) return;
  int fd = ::open(to.c_str(), O_RDONLY);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  int dir = ::open(to.parent_path().c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

void CollectingReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) {
    if (run.error_occurred || run.iterations == 0) continue;
    const std::string name = run.run_name.function_name;
    seconds[name] = run.real_accumulated_time / double(run.iterations);
    for (const auto& [key, counter] : run.counters) counters[name][key] = counter.value;
  }
}

std::string FormatSeconds(double s) {
  char buf[32];
  if (s < 0) return "-";
  if (s >= 1) std::snprintf(buf, sizeof buf, "%.2f s", s);
  else if (s >= 1e-3) std::snprintf(buf, sizeof buf, "%.2f ms", s * 1e3);
  else std::snprintf(buf, sizeof buf, "%.2f us", s * 1e6);
  return buf;
}

std::string FormatRatio(double r) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2fx", r);
  return buf;
}

void PrintTable(const std::string& title, const std::vector<Row>& rows) {
  std::cout << "\n## " << title << "\n\n"
            << "| operation | size | time | ratio / figure | target | met |\n"
            << "| --- | --- | --- | --- | --- | --- |\n";
  for (const Row& r : rows) {
    std::cout << "| " << r.operation << " | " << r.size << " | " << r.time << " | " << r.figure
              << " | " << r.target << " | " << r.met << " |\n";
  }
  std::cout.flush();
}

}  // namespace bench
