// Headless start and close over a package root with 1,000 and 10,000
// normative bases, each folder with N_POZ.DBF and NB.INI. Nine tenths of
// the bases are rows of INSTAL.DBF, INSTALL.APP lists all of them (so one
// tenth is registered at start), and two extra rows share identifiers with
// base rows (two overlap dialogs, answered by a script).
//
// BM_StartSteps runs the start-up sequence of install::Session::Set step by
// step on the data module and reports each step's time; BM_Session runs the
// real Session (FormCreate, Set, FormClose) for the end-to-end figure.
//
//   startup_bench [--quick] [google benchmark flags]     (--quick: 1,000 only)
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "common/package_builder.h"
#include "common/recording_ui.h"
#include "common/temp_package.h"
#include "dbf/backup.h"
#include "install/install_app.h"
#include "install/ports.h"
#include "install/session.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kRoot = "C:\\VEM\\";
constexpr const char* kProgram = "C:\\VEM\\BIN\\vem-config";

class Window : public install::MainWindowPort {
 public:
  std::string GetRootDir() const override { return kRoot; }
  bool RootFromCommandLine() const override { return true; }
  std::string Caption() const override { return install::kCaption; }
  void ShowBaseCount(int count, bool) override { baseCount = count; }
  void ShowIdentifier(const std::string&) override {}
  void DisableControls() override {}
  void EnableControls() override {}
  int baseCount = 0;
};

class WorkDirs : public install::WorkDirEdits {
 public:
  void SetDirText(install::WorkDir dir, const std::string& text) override { texts[dir] = text; }
  std::string DirText(install::WorkDir dir) const override {
    auto it = texts.find(dir);
    return it == texts.end() ? std::string() : it->second;
  }
  void MarkByDir(install::WorkDir) override {}
  std::map<install::WorkDir, std::string> texts;
};

// Keeps the first base of every overlap dialog.
class KeepFirst : public install::OverlapChooser {
 public:
  bool Choose(std::vector<install::ErrorStruct>& entries) override {
    ++dialogs;
    entries.at(0).Keep = true;
    return true;
  }
  int dialogs = 0;
};

std::string Folder(const char* parent, size_t i) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s%s\\B_%04zu\\", kRoot, parent, i);
  return buf;
}

// One package per size, built once; Reset puts back the files a start and
// close change.
struct Package {
  explicit Package(size_t bases) : builder(temp), count(bases) {
    builder.Table().Width("NAIM", 80).Width("DOP", 20).DefaultRows(kRoot);
    std::vector<testing_support::AppEntry> app;
    for (size_t i = 0; i < bases; ++i) {
      const std::string dir = Folder("NB", i);
      char ident[24];
      std::snprintf(ident, sizeof ident, "%04zu", i);
      builder.MakeBase(dir, {"База " + std::to_string(i), "05.04.2010 14:37", "G"});
      if (i % 10 != 9) builder.Table().Base("База " + std::to_string(i), dir, ident);
      app.push_back({"Base " + std::to_string(i), "G", dir});
    }
    for (size_t i : {1, 2}) {  // identifiers 0001 and 0002 taken twice
      const std::string dir = Folder("NB2", i);
      char ident[24];
      std::snprintf(ident, sizeof ident, "%04zu", i);
      builder.MakeBase(dir);
      builder.Table().Base("Копия " + std::to_string(i), dir, ident);
    }
    builder.MakeWorkDirs();
    appEntries = std::move(app);
    builder.WriteTable();
    tableBytes = ReadAll(builder.TableHost());
  }

  static std::string ReadAll(const fs::path& p) {
    std::string s(fs::file_size(p), '\0');
    FILE* f = std::fopen(p.c_str(), "rb");
    size_t got = std::fread(s.data(), 1, s.size(), f);
    std::fclose(f);
    s.resize(got);
    return s;
  }

  void Reset() {
    const fs::path host = builder.TableHost();
    for (const auto& e : fs::directory_iterator(host.parent_path())) {
      std::string ext = e.path().extension().string();
      for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
      if (ext == ".mdx") fs::remove(e.path());
    }
    temp.WriteFile(builder.TablePath(), tableBytes);
    builder.WriteInstallApp(appEntries);
  }

  testing_support::TempPackage temp;
  testing_support::PackageBuilder builder;
  size_t count;
  std::vector<testing_support::AppEntry> appEntries;
  std::string tableBytes;
};

std::map<size_t, std::unique_ptr<Package>> g_packages;
Package& PackageFor(size_t bases) {
  auto& p = g_packages[bases];
  if (!p) p = std::make_unique<Package>(bases);
  return *p;
}

const char* const kSteps[] = {"backup",         "OpenInstall",        "InitInstall",
                              "ReadInstallApp", "RegisterBases",      "CheckIdentOverlaps",
                              "AttachDataSource", "close: SaveWorkDirs", "close: CloseInstall"};
constexpr size_t kStartSteps = 7;  // the steps before the window is shown

void BM_StartSteps(benchmark::State& state, size_t bases) {
  Package& pkg = PackageFor(bases);
  std::map<std::string, double> sums;
  int runs = 0;
  for (auto _ : state) {
    pkg.Reset();
    testing_support::RecordingUi ui;
    Window window;
    WorkDirs dirs;
    KeepFirst chooser;
    Backup::TBackup backup;
    install::TdmInstall dm(window, dirs, chooser);
    const std::string path = pkg.builder.TablePath();
    std::map<std::string, double> t;
    bool ok = true;
    nsBase::VBases list;
    t["backup"] = bench::Seconds([&] { backup.MakeBackup(path); });
    t["OpenInstall"] = bench::Seconds([&] { ok = dm.OpenInstall(path); });
    if (!ok) {
      state.SkipWithError("OpenInstall failed");
      break;
    }
    t["InitInstall"] = bench::Seconds([&] { dm.InitInstall(); });
    t["ReadInstallApp"] =
        bench::Seconds([&] { ok = ::ReadInstallApp(std::string(kRoot) + "SM_R\\INSTALL.app", list); });
    t["RegisterBases"] = bench::Seconds([&] { dm.RegisterBases(list); });
    t["CheckIdentOverlaps"] = bench::Seconds([&] { ok = dm.CheckIdentOverlaps() && ok; });
    t["AttachDataSource"] = bench::Seconds([&] { dm.AttachDataSource(); });
    if (!ok || chooser.dialogs != 2 || dm.GetRecordCount() != int(bases) + 0) {
      state.SkipWithError(("unexpected start: " + std::to_string(dm.GetRecordCount()) + " bases, " +
                           std::to_string(chooser.dialogs) + " dialogs")
                              .c_str());
      break;
    }
    t["close: SaveWorkDirs"] = bench::Seconds([&] { dm.SaveWorkDirs(true); });
    t["close: CloseInstall"] = bench::Seconds([&] { dm.CloseInstall(); });
    double start = 0, all = 0;
    for (size_t i = 0; i < std::size(kSteps); ++i) {
      (i < kStartSteps ? start : all) += t[kSteps[i]];
      sums[kSteps[i]] += t[kSteps[i]];
    }
    sums["start"] += start;
    state.SetIterationTime(start + all);
    ++runs;
  }
  for (auto& [name, sum] : sums) state.counters[name] = runs ? sum / runs : 0;
  state.counters["bases"] = double(bases);
}

void BM_Session(benchmark::State& state, size_t bases) {
  Package& pkg = PackageFor(bases);
  double set = 0, close = 0;
  int runs = 0;
  for (auto _ : state) {
    pkg.Reset();
    testing_support::RecordingUi ui;
    WorkDirs dirs;
    KeepFirst chooser;
    install::Session session(dirs, chooser);
    bool started = false, closed = false;
    const double s = bench::Seconds([&] {
      session.FormCreate(kProgram);
      started = session.Set({kRoot});
    });
    const int shown = session.Dm().GetRecordCount();
    const double c = bench::Seconds([&] { closed = session.FormClose(); });
    if (!started || !closed || shown != int(bases)) {
      state.SkipWithError("session did not start and close");
      break;
    }
    set += s;
    close += c;
    state.SetIterationTime(s + c);
    ++runs;
  }
  state.counters["Set"] = runs ? set / runs : 0;
  state.counters["FormClose"] = runs ? close / runs : 0;
  state.counters["bases"] = double(bases);
}

std::string SizeText(size_t n) {
  std::string s = std::to_string(n);
  for (int i = int(s.size()) - 3; i > 0; i -= 3) s.insert(size_t(i), ",");
  return s;
}

void Summary(const bench::CollectingReporter& rep, const std::vector<size_t>& sizes) {
  auto counter = [&](const std::string& name, const std::string& key) {
    auto it = rep.counters.find(name);
    if (it == rep.counters.end()) return -1.0;
    auto c = it->second.find(key);
    return c == it->second.end() ? -1.0 : c->second;
  };
  auto yes = [](bool met) { return std::string(met ? "yes" : "NO"); };
  const size_t first = sizes.front();
  std::vector<bench::Row> rows;
  std::vector<std::string> steps(std::begin(kSteps), std::end(kSteps));
  steps.insert(steps.begin() + kStartSteps, "start");
  for (const std::string& step : steps) {
    const double t0 = counter("BM_StartSteps/" + std::to_string(first), step);
    for (size_t n : sizes) {
      const double t = counter("BM_StartSteps/" + std::to_string(n), step);
      if (t < 0) continue;
      bench::Row r{step == "start" ? "start-up to the shown window" : step, SizeText(n),
                   bench::FormatSeconds(t), "", "", ""};
      if (step == "start" && n == 1000) {
        r.target = "< 0.5 s";
        r.met = yes(t < 0.5);
      }
      if (n != first && t0 > 0) {
        // n log n from the first size, a factor 2 allowed for noise.
        const double k = double(n) / double(first);
        const double allowed = k * std::log(double(n)) / std::log(double(first));
        r.figure = "growth " + bench::FormatRatio(t / t0);
        r.target += std::string(r.target.empty() ? "" : "; ") + "growth <= " +
                    bench::FormatRatio(2 * allowed) + " (2 x n log n)";
        r.met = (r.met.empty() || r.met == "yes") && t / t0 <= 2 * allowed ? "yes" : "NO";
      }
      rows.push_back(r);
    }
  }
  for (size_t n : sizes) {
    const std::string name = "BM_Session/" + std::to_string(n);
    if (counter(name, "Set") < 0) continue;
    rows.push_back({"Session: FormCreate + Set", SizeText(n), bench::FormatSeconds(counter(name, "Set")),
                    "", "", ""});
    rows.push_back({"Session: FormClose", SizeText(n),
                    bench::FormatSeconds(counter(name, "FormClose")), "", "", ""});
  }
  bench::PrintTable("start-up summary", rows);
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = false;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) quick = true;
    else args.push_back(argv[i]);
  }
  std::vector<size_t> sizes = {1000, 10000};
  if (quick) sizes.pop_back();
  for (size_t n : sizes) {
    const std::string s = "/" + std::to_string(n);
    benchmark::RegisterBenchmark(("BM_StartSteps" + s).c_str(), BM_StartSteps, n)
        ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(n <= 1000 ? 5 : 2);
    benchmark::RegisterBenchmark(("BM_Session" + s).c_str(), BM_Session, n)
        ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(n <= 1000 ? 3 : 1);
  }
  int count = int(args.size());
  benchmark::Initialize(&count, args.data());
  bench::CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  Summary(reporter, sizes);
  benchmark::Shutdown();
  g_packages.clear();
  return 0;
}
