// Helpers for the engine tests: a byte-level .DBF builder, a temporary
// folder, and an Env that makes the n-th write, flush or rename fail.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/env.h"
#include "engine/table.h"

namespace engine_test {

struct Column {
  std::string name;
  char type;
  uint8_t length;
  uint8_t decimals = 0;
};

// One row: the delete mark and the column texts (padded by the builder;
// character values left-aligned, others as given).
struct Row {
  std::vector<std::string> values;
  bool deleted = false;
};

struct DbfSpec {
  std::vector<Column> columns;
  std::vector<Row> rows;
  uint8_t version = 0x03;
  uint8_t productionFlag = 0;
  uint8_t languageDriver = 0x26;
};

std::string MakeDbf(const DbfSpec& spec);

// The installation-table-like layout most tests use.
DbfSpec InstalSpec();

std::string ReadAll(const std::filesystem::path& path);
void WriteAll(const std::filesystem::path& path, const std::string& bytes);

// A fresh temporary directory, removed at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Opens `path` (host form) as a table; ASSERTs are the caller's.
std::unique_ptr<engine::Table> OpenTable(const std::filesystem::path& path, bool exclusive = false);

// All rows of the view as "A|B|C" lines of the named columns.
std::vector<std::string> Rows(engine::Table& t, const std::vector<std::string>& columns);

// Counts the engine's disk operations and fails the chosen one. Counting
// starts at 1 with the first call after Arm().
class FaultInjectionEnv : public engine::Env {
 public:
  enum class Op { kWrite, kSync, kRename };
  explicit FaultInjectionEnv(engine::Env* base = engine::Env::Default()) : base_(base) {}

  void Arm(Op op, int n) {
    op_ = op;
    target_ = n;
    writes_ = syncs_ = renames_ = 0;
    fired_ = false;
  }
  void Disarm() { target_ = 0; }
  bool fired() const { return fired_; }
  int writes() const { return writes_; }
  int syncs() const { return syncs_; }
  int renames() const { return renames_; }

  // Called by the wrapped files; true when this operation is to fail.
  bool Hit(Op op);

  engine::StatusOr<std::unique_ptr<engine::RandomAccessFile>> Open(
      const std::filesystem::path& path, Access access) override;
  engine::StatusOr<std::unique_ptr<engine::WritableFile>> Create(
      const std::filesystem::path& path) override;
  engine::Status Rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
  engine::Status Remove(const std::filesystem::path& path) override { return base_->Remove(path); }
  engine::Status SyncDirectory(const std::filesystem::path& dir) override;
  bool Exists(const std::filesystem::path& path) override { return base_->Exists(path); }
  engine::StatusOr<std::string> ReadFile(const std::filesystem::path& path) override {
    return base_->ReadFile(path);
  }

 private:
  engine::Env* base_;
  Op op_ = Op::kWrite;
  int target_ = 0;
  int writes_ = 0, syncs_ = 0, renames_ = 0;
  bool fired_ = false;
};

// Installs an Env for the scope of a test.
class ScopedEnv {
 public:
  explicit ScopedEnv(engine::Env* env) { engine::SetCurrentEnv(env); }
  ~ScopedEnv() { engine::SetCurrentEnv(nullptr); }
};

}  // namespace engine_test
