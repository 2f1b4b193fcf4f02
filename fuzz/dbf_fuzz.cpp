// Opens a table made of the input bytes, walks it, filters it and appends
// a row: whatever the header claims, nothing may read or write outside the
// buffers.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "engine/env.h"
#include "engine/table.h"

namespace {

// The default Env without flushes, which would dominate the run time.
class NoSyncFile : public engine::RandomAccessFile {
 public:
  explicit NoSyncFile(std::unique_ptr<engine::RandomAccessFile> f) : f_(std::move(f)) {}
  engine::Status ReadAt(uint64_t o, size_t n, std::string* out) override { return f_->ReadAt(o, n, out); }
  engine::Status WriteAt(uint64_t o, std::string_view d) override { return f_->WriteAt(o, d); }
  engine::Status Truncate(uint64_t n) override { return f_->Truncate(n); }
  engine::Status Sync() override { return engine::Status::Ok(); }
  engine::StatusOr<uint64_t> Size() override { return f_->Size(); }
  engine::Status Lock(engine::LockKind k) override { return f_->Lock(k); }

 private:
  std::unique_ptr<engine::RandomAccessFile> f_;
};

class NoSyncEnv : public engine::Env {
 public:
  engine::StatusOr<std::unique_ptr<engine::RandomAccessFile>> Open(const std::filesystem::path& p,
                                                                   Access a) override {
    auto f = base()->Open(p, a);
    if (!f.ok()) return f.status();
    return std::unique_ptr<engine::RandomAccessFile>(new NoSyncFile(std::move(f.value())));
  }
  engine::StatusOr<std::unique_ptr<engine::WritableFile>> Create(const std::filesystem::path& p) override {
    return base()->Create(p);
  }
  engine::Status Rename(const std::filesystem::path& a, const std::filesystem::path& b) override {
    return base()->Rename(a, b);
  }
  engine::Status Remove(const std::filesystem::path& p) override { return base()->Remove(p); }
  engine::Status SyncDirectory(const std::filesystem::path&) override { return engine::Status::Ok(); }
  bool Exists(const std::filesystem::path& p) override { return base()->Exists(p); }
  engine::StatusOr<std::string> ReadFile(const std::filesystem::path& p) override {
    return base()->ReadFile(p);
  }

 private:
  static engine::Env* base() { return engine::Env::Default(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static NoSyncEnv env;
  engine::SetCurrentEnv(&env);
  // One scratch folder per process, removed at exit.
  static const struct Scratch {
    std::string dir;
    Scratch() {
      char tmpl[] = "/tmp/dbf_fuzz_XXXXXX";
      const char* made = ::mkdtemp(tmpl);
      dir = made ? made : "/tmp";
    }
    ~Scratch() {
      std::error_code ec;
      if (dir != "/tmp") std::filesystem::remove_all(dir, ec);
    }
  } scratch;
  const std::string& dir = scratch.dir;
  const std::string path = dir + "/T.DBF";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  engine::Table t;
  t.SetDatabaseName(dir);
  t.SetTableName("T.DBF");
  if (!t.Open().ok()) return 0;
  const auto fields = t.Fields();
  for (bool ok = t.First(); ok; ok = t.Next()) {
    for (const auto& f : fields) {
      (void)t.GetString(f.name);
      (void)t.GetBool(f.name);
    }
  }
  if (!fields.empty()) {
    const std::string& name = fields[0].name;
    if (t.SetFilter(name + " = 'b' and " + name + " = " + engine::Table::QuoteLiteral("x'y")).ok()) {
      t.SetFiltered(true);
      (void)t.RecordCount();
      (void)t.Last();
      (void)t.MoveTo(t.RecordCount() / 2);
      t.SetFiltered(false);
    }
    t.Append();
    (void)t.SetString(name, "fuzz");
    (void)t.Post();
    if (t.First()) (void)t.Delete();
  }
  (void)t.Refresh();
  t.Close();
  return 0;
}
