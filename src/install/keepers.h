// Scoped keepers of a table's state: TKeeperIndex puts back the index tag
// that was active when it was bound, TKeepBookMark brings the cursor back
// to the row that carries a remembered identifier.
//
// Neither owns the table. A keeper must not outlive the table object it is
// bound to; the data module rebinds its bookmark keeper after every open.
#pragma once

#include <stdexcept>
#include <string>

#include "engine/table.h"

namespace install {

// Raised by TKeeperIndex when it is given no table.
class ExNullTable : public std::logic_error {
 public:
  ExNullTable() : std::logic_error("ExNullTable : Pointer to TTable is NULL") {}
};

// Remembers a table's active tag and makes it active again on RestoreIndex
// or destruction (also when the guarded operation ends by an exception).
class TKeeperIndex {
 public:
  TKeeperIndex() = default;
  ~TKeeperIndex();
  TKeeperIndex(const TKeeperIndex&) = delete;
  TKeeperIndex& operator=(const TKeeperIndex&) = delete;

  // Remembers the table and the name of its active tag. Raises ExNullTable
  // for a null table.
  void KeepIndex(engine::Table* table);
  // KeepIndex, then makes `tag` active. Raises ExNullTable for a null
  // table and engine::EngineError when the tag cannot be selected (the
  // previous tag stays active and is still restored).
  void KeepAndSetIndex(engine::Table* table, const std::string& tag);
  // Makes the remembered tag active again and forgets the table; does
  // nothing when no table is remembered. Never raises.
  void RestoreIndex();

 private:
  engine::Table* table_ = nullptr;
  std::string tag_;
};

// Remembers the stored BAZ_ text of the current row and finds it again.
class TKeepBookMark {
 public:
  explicit TKeepBookMark(engine::Table* table = nullptr) : table_(table) {}

  // Remembers the current row's BAZ_ as stored. Raises std::runtime_error
  // "KeepBookMark Ошибка при сохранении метки" when no table is bound.
  void SaveMark();
  // Walks from the first row until a row's BAZ_ equals the mark byte for
  // byte; that row becomes current. Without a match the last row is
  // current. Raises std::runtime_error "KeepBookMark Ошибка при
  // восстановлении метки" when no table is bound.
  void GotoMark();
  // Binds to a table object (may be null); the mark stays.
  void SetTable(engine::Table* table) { table_ = table; }
  const std::string& Mark() const { return mark_; }

 private:
  engine::Table* table_ = nullptr;
  std::string mark_;
};

}  // namespace install
