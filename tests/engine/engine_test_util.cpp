#include "engine_test_util.h"

#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>

namespace engine_test {

using engine::Status;
using engine::StatusOr;

std::string MakeDbf(const DbfSpec& spec) {
  std::string h(32, '\0');
  h[0] = static_cast<char>(spec.version);
  h[1] = 124;
  h[2] = 5;
  h[3] = 17;
  uint32_t n = static_cast<uint32_t>(spec.rows.size());
  for (int i = 0; i < 4; ++i) h[4 + i] = static_cast<char>((n >> (8 * i)) & 0xFF);
  uint16_t hl = static_cast<uint16_t>(32 + 32 * spec.columns.size() + 1);
  uint16_t rl = 1;
  for (const Column& c : spec.columns) rl = static_cast<uint16_t>(rl + c.length);
  h[8] = static_cast<char>(hl & 0xFF);
  h[9] = static_cast<char>(hl >> 8);
  h[10] = static_cast<char>(rl & 0xFF);
  h[11] = static_cast<char>(rl >> 8);
  h[28] = static_cast<char>(spec.productionFlag);
  h[29] = static_cast<char>(spec.languageDriver);
  for (const Column& c : spec.columns) {
    std::string d(32, '\0');
    std::copy(c.name.begin(), c.name.end(), d.begin());
    d[11] = c.type;
    d[16] = static_cast<char>(c.length);
    d[17] = static_cast<char>(c.decimals);
    h += d;
  }
  h += '\x0D';
  for (const Row& r : spec.rows) {
    h += r.deleted ? '*' : ' ';
    for (size_t i = 0; i < spec.columns.size(); ++i) {
      std::string v = i < r.values.size() ? r.values[i] : std::string();
      const Column& c = spec.columns[i];
      v.resize(c.length, ' ');
      if (c.type == 'N' || c.type == 'F') {
        std::string t = i < r.values.size() ? r.values[i] : std::string();
        v = std::string(c.length - std::min<size_t>(c.length, t.size()), ' ') + t;
        v.resize(c.length);
      }
      h += v;
    }
  }
  h += '\x1A';
  return h;
}

DbfSpec InstalSpec() {
  DbfSpec s;
  s.columns = {{"VID", 'C', 1}, {"NAIM", 'C', 20}, {"DIR", 'C', 12},
               {"BAZ_", 'C', 4}, {"YES", 'L', 1}};
  s.rows = {
      {{"b", "Base one", "C:\\B1\\", "B1", "F"}},
      {{"a", "Output", "C:\\SM_A\\", "", " "}},
      {{"b", "Base two", "C:\\B2\\", "O'NE", "T"}},
      {{"b", "Base three", "C:\\B3\\", "B3", "F"}},
  };
  return s;
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

TempDir::TempDir() {
  std::random_device rd;
  path_ = std::filesystem::temp_directory_path() /
          ("engine_test_" + std::to_string(::getpid()) + "_" + std::to_string(rd()));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::unique_ptr<engine::Table> OpenTable(const std::filesystem::path& path, bool exclusive) {
  auto t = std::make_unique<engine::Table>();
  t->SetDatabaseName(path.parent_path().string());
  t->SetTableName(path.filename().string());
  t->SetExclusive(exclusive);
  Status st = t->Open();
  if (!st.ok()) return nullptr;
  return t;
}

std::vector<std::string> Rows(engine::Table& t, const std::vector<std::string>& columns) {
  std::vector<std::string> out;
  for (bool ok = t.First(); ok; ok = t.Next()) {
    std::string line;
    for (size_t i = 0; i < columns.size(); ++i) {
      if (i) line += '|';
      line += t.GetString(columns[i]);
    }
    out.push_back(line);
  }
  return out;
}

// --- fault injection ---

bool FaultInjectionEnv::Hit(Op op) {
  int* counter = op == Op::kWrite ? &writes_ : op == Op::kSync ? &syncs_ : &renames_;
  ++*counter;
  if (target_ > 0 && op == op_ && *counter == target_) {
    fired_ = true;
    return true;
  }
  return false;
}

namespace {

Status Injected(const char* what) { return Status::IoError(std::string("injected ") + what + " failure"); }

class FaultyRandomAccessFile : public engine::RandomAccessFile {
 public:
  FaultyRandomAccessFile(std::unique_ptr<engine::RandomAccessFile> base, FaultInjectionEnv* env)
      : base_(std::move(base)), env_(env) {}
  Status ReadAt(uint64_t offset, size_t n, std::string* out) override {
    return base_->ReadAt(offset, n, out);
  }
  Status WriteAt(uint64_t offset, std::string_view data) override {
    if (env_->Hit(FaultInjectionEnv::Op::kWrite)) return Injected("write");
    return base_->WriteAt(offset, data);
  }
  Status Truncate(uint64_t size) override {
    if (env_->Hit(FaultInjectionEnv::Op::kWrite)) return Injected("truncate");
    return base_->Truncate(size);
  }
  Status Sync() override {
    if (env_->Hit(FaultInjectionEnv::Op::kSync)) return Injected("flush");
    return base_->Sync();
  }
  StatusOr<uint64_t> Size() override { return base_->Size(); }
  Status Lock(engine::LockKind kind) override { return base_->Lock(kind); }

 private:
  std::unique_ptr<engine::RandomAccessFile> base_;
  FaultInjectionEnv* env_;
};

class FaultyWritableFile : public engine::WritableFile {
 public:
  FaultyWritableFile(std::unique_ptr<engine::WritableFile> base, FaultInjectionEnv* env)
      : base_(std::move(base)), env_(env) {}
  Status Append(std::string_view data) override {
    if (env_->Hit(FaultInjectionEnv::Op::kWrite)) return Injected("write");
    return base_->Append(data);
  }
  Status Sync() override {
    if (env_->Hit(FaultInjectionEnv::Op::kSync)) return Injected("flush");
    return base_->Sync();
  }
  Status Close() override { return base_->Close(); }

 private:
  std::unique_ptr<engine::WritableFile> base_;
  FaultInjectionEnv* env_;
};

}  // namespace

StatusOr<std::unique_ptr<engine::RandomAccessFile>> FaultInjectionEnv::Open(
    const std::filesystem::path& path, Access access) {
  auto f = base_->Open(path, access);
  if (!f.ok()) return f.status();
  return std::unique_ptr<engine::RandomAccessFile>(
      new FaultyRandomAccessFile(std::move(f.value()), this));
}

StatusOr<std::unique_ptr<engine::WritableFile>> FaultInjectionEnv::Create(
    const std::filesystem::path& path) {
  auto f = base_->Create(path);
  if (!f.ok()) return f.status();
  return std::unique_ptr<engine::WritableFile>(new FaultyWritableFile(std::move(f.value()), this));
}

Status FaultInjectionEnv::Rename(const std::filesystem::path& from,
                                 const std::filesystem::path& to) {
  if (Hit(Op::kRename)) return Injected("rename");
  return base_->Rename(from, to);
}

Status FaultInjectionEnv::SyncDirectory(const std::filesystem::path& dir) {
  if (Hit(Op::kSync)) return Injected("directory flush");
  return base_->SyncDirectory(dir);
}

}  // namespace engine_test
