// Table engine benchmarks on an installation-like table of 100, 10,000 and
// 100,000 rows: opening with index repair, append and post, seek, filtered
// count, a walk that edits every row, pack and ALTER TABLE ADD, with the
// plain copy of the same file as the baseline of the whole-file rewrites and
// the peak memory of those rewrites measured in child runs.
//
//   engine_bench [--quick] [google benchmark flags]
//   engine_bench --peak=<pack|alter|open-repair|open> --rows=N   (child run)
//
// --quick runs only the 100 and 10,000 row sizes.
#include <malloc.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "common/temp_package.h"
#include "dbf/wdbffile.h"
#include "engine/table.h"
#include "install/bases.h"

namespace fs = std::filesystem;

namespace {

testing_support::TempPackage* g_package = nullptr;

// Walks that would run longer than this stop early; their time is then
// projected from the rows done (a lower bound when the cost per row grows).
constexpr double kWalkBudgetSeconds = 60;

std::vector<IndexDef> InstallDefs() {
  std::vector<IndexDef> defs;
  for (const auto& d : nsBase::kInstallIndexDefs) defs.push_back({d.Name, d.Expression, d.Descending});
  return defs;  // the "NULL" row ends the list
}

std::string Win(const std::string& folder) { return "C:\\BENCH\\" + folder + "\\INSTAL.DBF"; }
fs::path Host(const std::string& winPath) { return g_package->Host(winPath); }

// Template files per size: P (no deleted rows) and D (every tenth row
// deleted), neither claiming a production index.
fs::path Template(char kind, size_t rows) {
  const std::string win = "C:\\BENCH\\TPL\\" + std::string(1, kind) + std::to_string(rows) + ".DBF";
  fs::path host = Host(win);
  if (!fs::exists(host)) g_package->WriteFile(win, bench::InstallTableBytes(rows, kind == 'D' ? 10 : 0));
  return host;
}

// A fresh copy of a template as <folder>\INSTAL.DBF, without an .mdx.
std::string FreshTable(const std::string& folder, char kind, size_t rows) {
  const std::string win = Win(folder);
  fs::path host = Host(win);
  fs::create_directories(host.parent_path());
  for (const char* ext : {".MDX", ".mdx"}) fs::remove(fs::path(host).replace_extension(ext));
  fs::copy_file(Template(kind, rows), host, fs::copy_options::overwrite_existing);
  return win;
}

bool OpenFull(WDbfFile& dbf, TableRef& table, const std::string& win) {
  const auto defs = InstallDefs();
  return dbf.OpenTable(table, win, false, true, defs.data(), defs.size(), "", engine::kExpression);
}

// A table opened with its seven tags (repaired once into place).
bool OpenIndexed(WDbfFile& dbf, TableRef& table, const std::string& folder, size_t rows) {
  const std::string win = FreshTable(folder, 'P', rows);
  return OpenFull(dbf, table, win);
}

void SetRows(benchmark::State& state, size_t rows) {
  state.counters["rows"] = double(rows);
  state.counters["file_bytes"] = double(fs::file_size(Template('P', rows)));
}

// ---- benchmarks -----------------------------------------------------------

void BM_OpenRepair(benchmark::State& state, size_t rows) {
  WDbfFile dbf;
  const std::string folder = "OPENR" + std::to_string(rows);
  for (auto _ : state) {
    state.PauseTiming();
    const std::string win = FreshTable(folder, 'P', rows);
    TableRef table;
    state.ResumeTiming();
    if (!OpenFull(dbf, table, win)) state.SkipWithError("open with repair failed");
    dbf.CloseTable(table);
  }
  SetRows(state, rows);
}

void BM_OpenIndexed(benchmark::State& state, size_t rows) {
  WDbfFile dbf;
  const std::string folder = "OPENI" + std::to_string(rows);
  {
    TableRef table;
    if (!OpenIndexed(dbf, table, folder, rows)) state.SkipWithError("setup open failed");
  }
  for (auto _ : state) {
    TableRef table;
    if (!OpenFull(dbf, table, Win(folder))) state.SkipWithError("open failed");
    dbf.CloseTable(table);
  }
  SetRows(state, rows);
}

void BM_AppendPost(benchmark::State& state, size_t rows) {
  WDbfFile dbf;
  TableRef table;
  if (!OpenIndexed(dbf, table, "APPEND" + std::to_string(rows), rows)) {
    state.SkipWithError("setup open failed");
    return;
  }
  size_t i = rows;
  for (auto _ : state) {
    engine::Table& t = *table;
    t.Append();
    (void)t.SetString("VID", "b");
    (void)t.SetString("NAIM", "Appended base " + std::to_string(i));
    (void)t.SetString("DIR", bench::BaseDir(i));
    (void)t.SetString("DOP", "G");
    (void)t.SetString("BAZ_", std::to_string(i % 10000));
    (void)t.SetString("NBDATE", "05042010");
    if (!t.Post().ok()) state.SkipWithError("post failed");
    ++i;
  }
  SetRows(state, rows);
}

void BM_Seek(benchmark::State& state, size_t rows) {
  WDbfFile dbf;
  TableRef table;
  if (!OpenIndexed(dbf, table, "SEEK" + std::to_string(rows), rows) ||
      !table->SetActiveTag("VidDir").ok()) {
    state.SkipWithError("setup open failed");
    return;
  }
  std::mt19937 random(42);
  std::vector<std::string> keys;
  for (int k = 0; k < 1000; ++k) keys.push_back("b" + bench::BaseDir(6 + random() % (rows - 6)));
  size_t k = 0;
  for (auto _ : state) {
    auto found = table->Seek(keys[k++ % keys.size()]);
    if (!found.ok() || !*found) state.SkipWithError("key not found");
  }
  SetRows(state, rows);
}

void BM_FilteredCount(benchmark::State& state, size_t rows) {
  WDbfFile dbf;
  TableRef table;
  if (!OpenIndexed(dbf, table, "COUNT" + std::to_string(rows), rows)) {
    state.SkipWithError("setup open failed");
    return;
  }
  for (auto _ : state) {
    table->SetFiltered(false);
    if (!table->SetFilter("VID = 'b'").ok()) state.SkipWithError("filter rejected");
    table->SetFiltered(true);
    size_t count = table->RecordCount();
    benchmark::DoNotOptimize(count);
    if (count != rows - 6) state.SkipWithError("wrong count");
  }
  SetRows(state, rows);
}

// The start-up's walk: base rows filtered, natural order, every row edited
// (NBDATE) and posted, with all seven tags maintained.
void BM_WalkEdit(benchmark::State& state, size_t rows, bool batch) {
  WDbfFile dbf;
  TableRef table;
  if (!OpenIndexed(dbf, table, std::string(batch ? "WALKB" : "WALKN") + std::to_string(rows),
                   rows)) {
    state.SkipWithError("setup open failed");
    return;
  }
  engine::Table& t = *table;
  (void)t.SetFilter("VID = 'b'");
  t.SetFiltered(true);
  const size_t total = t.RecordCount();
  int pass = 0;
  size_t done = 0;
  double elapsed = 0;
  for (auto _ : state) {
    const std::string date = std::to_string(10000000 + ++pass);
    done = 0;
    elapsed = bench::Seconds([&] {
      auto start = std::chrono::steady_clock::now();
      if (batch) t.BeginBatch();
      for (bool more = t.First(); more; more = t.Next()) {
        if (!t.Edit() || !t.SetString("NBDATE", date).ok() || !t.Post().ok()) {
          state.SkipWithError("edit failed");
          break;
        }
        ++done;
        if ((done & 63) == 0 && std::chrono::duration<double>(std::chrono::steady_clock::now() -
                                                              start).count() > kWalkBudgetSeconds)
          break;
      }
      if (batch && !t.EndBatch().ok()) state.SkipWithError("index write failed");
    });
    state.SetIterationTime(elapsed);
  }
  SetRows(state, rows);
  state.counters["rows_done"] = double(done);
  state.counters["projected_s"] = done ? elapsed * double(total) / double(done) : 0;
  state.counters["per_row_us"] = done ? elapsed / double(done) * 1e6 : 0;
}

void BM_Pack(benchmark::State& state, size_t rows) {
  const std::string folder = "PACK" + std::to_string(rows);
  for (auto _ : state) {
    state.PauseTiming();
    const std::string win = FreshTable(folder, 'D', rows);
    state.ResumeTiming();
    if (!engine::PackTable(win).ok()) state.SkipWithError("pack failed");
  }
  SetRows(state, rows);
}

void BM_AlterAdd(benchmark::State& state, size_t rows) {
  const std::string folder = "ALTER" + std::to_string(rows);
  for (auto _ : state) {
    state.PauseTiming();
    const std::string win = FreshTable(folder, 'P', rows);
    state.ResumeTiming();
    if (!engine::ExecuteSql("ALTER TABLE \"" + win + "\" ADD NBNEW CHAR(8)").ok())
      state.SkipWithError("alter failed");
  }
  SetRows(state, rows);
}

void BM_Copy(benchmark::State& state, size_t rows, char kind, bool sync) {
  const fs::path from = Template(kind, rows);
  const fs::path to = Host("C:\\BENCH\\COPY\\INSTAL.DBF");
  fs::create_directories(to.parent_path());
  for (auto _ : state) bench::CopyFile(from, to, sync);
  SetRows(state, rows);
}

// ---- peak memory (child runs) ---------------------------------------------

// Runs one operation on a fresh table and prints
// "<peak growth kB> <file bytes>".
int PeakChild(const std::string& op, size_t rows) {
  testing_support::TempPackage package;
  g_package = &package;
  const std::string win = FreshTable("PEAK", op == "pack" ? 'D' : 'P', rows);
  WDbfFile dbf;
  if (op == "open") {
    TableRef table;
    if (!OpenFull(dbf, table, win)) return 2;
  }
  const long fileBytes = long(fs::file_size(Host(win)));
  malloc_trim(0);
  const long base = bench::RssKb();
  if (!bench::ResetPeak()) return 3;
  bool ok = true;
  if (op == "pack") {
    ok = engine::PackTable(win).ok();
  } else if (op == "alter") {
    ok = engine::ExecuteSql("ALTER TABLE \"" + win + "\" ADD NBNEW CHAR(8)").ok();
  } else {
    TableRef table;
    ok = OpenFull(dbf, table, win);
  }
  const long peak = bench::PeakRssKb();
  if (!ok) return 4;
  std::printf("%ld %ld\n", peak - base, fileBytes);
  g_package = nullptr;
  return 0;
}

struct Peak {
  double growthBytes = -1, fileBytes = 0;
};
Peak MeasurePeak(const std::string& op, size_t rows) {
  Peak p;
  try {
    std::istringstream in(
        bench::RunSelf({"--peak=" + op, "--rows=" + std::to_string(rows)}));
    double kb = 0;
    in >> kb >> p.fileBytes;
    p.growthBytes = kb * 1024;
  } catch (const std::exception& e) {
    std::cerr << "peak run " << op << "/" << rows << ": " << e.what() << "\n";
  }
  return p;
}

// ---- summary ---------------------------------------------------------------

std::string SizeText(size_t rows) {
  std::string s = std::to_string(rows);
  for (int i = int(s.size()) - 3; i > 0; i -= 3) s.insert(size_t(i), ",");
  return s;
}

void Summary(const bench::CollectingReporter& rep, const std::vector<size_t>& sizes, bool peaks) {
  auto secs = [&](const std::string& name) {
    auto it = rep.seconds.find(name);
    return it == rep.seconds.end() ? -1.0 : it->second;
  };
  auto counter = [&](const std::string& name, const std::string& key) {
    auto it = rep.counters.find(name);
    if (it == rep.counters.end()) return -1.0;
    auto c = it->second.find(key);
    return c == it->second.end() ? -1.0 : c->second;
  };
  auto yes = [](bool met) { return std::string(met ? "yes" : "NO"); };
  std::vector<bench::Row> rows;
  const size_t smallest = sizes.front();

  // Per-operation cost growth against log n (from the smallest size); a
  // factor 2 is allowed for cache effects on top of the log factor.
  auto growth = [&](const std::string& op, const std::string& base, bool perRow,
                    bool linear = false) {
    const double first = perRow ? counter(base + "/" + std::to_string(smallest), "per_row_us") * 1e-6
                                : secs(base + "/" + std::to_string(smallest));
    for (size_t n : sizes) {
      const std::string name = base + "/" + std::to_string(n);
      const double t = perRow ? counter(name, "per_row_us") * 1e-6 : secs(name);
      if (t < 0) continue;
      bench::Row r{op, SizeText(n), bench::FormatSeconds(t) + (perRow ? " per row" : ""), "", "", ""};
      if (n != smallest && first > 0) {
        const double g = t / first;
        const double allowed = linear ? double(n) / double(smallest)
                                      : std::log(double(n)) / std::log(double(smallest));
        r.figure = "growth " + bench::FormatRatio(g);
        r.target = "<= " + bench::FormatRatio(2 * allowed) + (linear ? " (2 x n)" : " (2 x log n)");
        r.met = yes(g <= 2 * allowed);
      }
      rows.push_back(r);
    }
  };

  for (size_t n : sizes) {
    rows.push_back({"open, repair 7 tags", SizeText(n),
                    bench::FormatSeconds(secs("BM_OpenRepair/" + std::to_string(n))), "", "", ""});
  }
  for (size_t n : sizes) {
    rows.push_back({"open, 7 tags present", SizeText(n),
                    bench::FormatSeconds(secs("BM_OpenIndexed/" + std::to_string(n))), "", "", ""});
  }
  growth("append + post (no batch)", "BM_AppendPost", false);
  growth("seek (VidDir)", "BM_Seek", false);
  growth("filtered count VID = 'b'", "BM_FilteredCount", false, true);
  growth("walk edit NBDATE, batch", "BM_WalkEditBatch", true);
  growth("walk edit NBDATE, no batch", "BM_WalkEditNoBatch", true);

  for (const char* base : {"BM_WalkEditBatch", "BM_WalkEditNoBatch"}) {
    for (size_t n : sizes) {
      const std::string name = std::string(base) + "/" + std::to_string(n);
      const double projected = counter(name, "projected_s");
      if (projected < 0) continue;
      const double done = counter(name, "rows_done");
      const bool partial = done < double(n - 6);
      bench::Row r{std::string(base) == "BM_WalkEditBatch" ? "walk all rows, batch"
                                                            : "walk all rows, no batch",
                   SizeText(n),
                   bench::FormatSeconds(projected) + (partial ? " (projected from " +
                                                                    SizeText(size_t(done)) + " rows)"
                                                              : ""),
                   "", "", ""};
      if (n == 100000 && std::string(base) == "BM_WalkEditBatch") {
        r.target = "< 2 s";
        r.met = yes(projected < 2);
      }
      rows.push_back(r);
    }
  }

  for (size_t n : sizes) {
    const std::string s = std::to_string(n);
    const double copy = secs("BM_CopyD/" + s), copySync = secs("BM_CopyDSync/" + s);
    const double pack = secs("BM_Pack/" + s);
    rows.push_back({"plain copy (cp / cp + fsync)", SizeText(n),
                    bench::FormatSeconds(copy) + " / " + bench::FormatSeconds(copySync), "", "", ""});
    rows.push_back({"pack", SizeText(n), bench::FormatSeconds(pack),
                    bench::FormatRatio(pack / copy) + " of cp, " +
                        bench::FormatRatio(pack / copySync) + " of cp + fsync",
                    "<= 3x copy", yes(pack <= 3 * copy)});
    const double alter = secs("BM_AlterAdd/" + s), copyP = secs("BM_CopyP/" + s),
                 copyPSync = secs("BM_CopyPSync/" + s);
    rows.push_back({"ALTER TABLE ADD", SizeText(n), bench::FormatSeconds(alter),
                    bench::FormatRatio(alter / copyP) + " of cp, " +
                        bench::FormatRatio(alter / copyPSync) + " of cp + fsync",
                    "<= 3x copy", yes(alter <= 3 * copyP)});
  }

  for (const char* op : {"pack", "alter", "open-repair"}) {
    for (size_t n : sizes) {
      if (!peaks) break;
      Peak p = MeasurePeak(op, n);
      if (p.growthBytes < 0) continue;
      const double ratio = p.growthBytes / p.fileBytes;
      char figure[96];
      std::snprintf(figure, sizeof figure, "%.1f MiB peak growth, %.2fx file (%.1f MiB)",
                    p.growthBytes / 1048576.0, ratio, p.fileBytes / 1048576.0);
      const bool rewrite = std::string(op) != "open-repair";
      rows.push_back({std::string("peak memory, ") + op, SizeText(n), "", figure,
                      rewrite ? "< 3x file" : "", rewrite ? yes(ratio < 3) : ""});
    }
  }
  bench::PrintTable("engine summary", rows);
}

}  // namespace

int main(int argc, char** argv) {
  std::string peakOp;
  size_t peakRows = 0;
  bool quick = false, filtered = false;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--peak=", 7) == 0) peakOp = argv[i] + 7;
    else if (std::strncmp(argv[i], "--rows=", 7) == 0) peakRows = std::stoul(argv[i] + 7);
    else if (std::strcmp(argv[i], "--quick") == 0) quick = true;
    else args.push_back(argv[i]);
  }
  if (!peakOp.empty()) return PeakChild(peakOp, peakRows);
  for (char* a : args) filtered = filtered || std::strncmp(a, "--benchmark_filter", 18) == 0;

  testing_support::TempPackage package;
  g_package = &package;
  std::vector<size_t> sizes = {100, 10000, 100000};
  if (quick) sizes.pop_back();

  using benchmark::RegisterBenchmark;
  using benchmark::kMillisecond;
  for (size_t n : sizes) {
    const std::string s = "/" + std::to_string(n);
    const bool big = n >= 100000;
    RegisterBenchmark(("BM_OpenRepair" + s).c_str(), BM_OpenRepair, n)->Unit(kMillisecond)->MinTime(big ? 0.1 : 0.5);
    RegisterBenchmark(("BM_OpenIndexed" + s).c_str(), BM_OpenIndexed, n)->Unit(kMillisecond)->MinTime(big ? 0.1 : 0.5);
    RegisterBenchmark(("BM_AppendPost" + s).c_str(), BM_AppendPost, n)->Unit(kMillisecond)->Iterations(n <= 100 ? 100 : 20);
    RegisterBenchmark(("BM_Seek" + s).c_str(), BM_Seek, n)->Unit(benchmark::kMicrosecond);
    RegisterBenchmark(("BM_FilteredCount" + s).c_str(), BM_FilteredCount, n)->Unit(kMillisecond);
    RegisterBenchmark(("BM_WalkEditBatch" + s).c_str(), BM_WalkEdit, n, true)
        ->Unit(kMillisecond)->UseManualTime()->Iterations(n <= 100 ? 20 : n <= 10000 ? 3 : 1);
    if (n <= 10000)
      RegisterBenchmark(("BM_WalkEditNoBatch" + s).c_str(), BM_WalkEdit, n, false)
          ->Unit(kMillisecond)->UseManualTime()->Iterations(n <= 100 ? 5 : 1);
    RegisterBenchmark(("BM_Pack" + s).c_str(), BM_Pack, n)->Unit(kMillisecond);
    RegisterBenchmark(("BM_AlterAdd" + s).c_str(), BM_AlterAdd, n)->Unit(kMillisecond);
    RegisterBenchmark(("BM_CopyD" + s).c_str(), BM_Copy, n, 'D', false)->Unit(kMillisecond);
    RegisterBenchmark(("BM_CopyDSync" + s).c_str(), BM_Copy, n, 'D', true)->Unit(kMillisecond);
    RegisterBenchmark(("BM_CopyP" + s).c_str(), BM_Copy, n, 'P', false)->Unit(kMillisecond);
    RegisterBenchmark(("BM_CopyPSync" + s).c_str(), BM_Copy, n, 'P', true)->Unit(kMillisecond);
  }

  int count = int(args.size());
  benchmark::Initialize(&count, args.data());
  bench::CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  Summary(reporter, sizes, !filtered);
  benchmark::Shutdown();
  g_package = nullptr;
  return 0;
}
