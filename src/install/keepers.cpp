#include "install/keepers.h"

namespace install {

TKeeperIndex::~TKeeperIndex() { RestoreIndex(); }

void TKeeperIndex::KeepIndex(engine::Table* table) {
  if (table == nullptr) throw ExNullTable();
  table_ = table;
  tag_ = table->ActiveTag();
}

void TKeeperIndex::KeepAndSetIndex(engine::Table* table, const std::string& tag) {
  KeepIndex(table);
  auto status = table->SetActiveTag(tag);
  if (!status.ok()) throw engine::EngineError(status.message());
}

void TKeeperIndex::RestoreIndex() {
  if (table_ == nullptr) return;
  engine::Table* table = table_;
  table_ = nullptr;
  // The remembered tag was active a moment ago, so selecting it again can
  // only fail when the table was closed meanwhile; there is nothing to put
  // back then.
  (void)table->SetActiveTag(tag_);
}

void TKeepBookMark::SaveMark() {
  if (table_ == nullptr) throw std::runtime_error("KeepBookMark Ошибка при сохранении метки");
  mark_ = table_->GetString("BAZ_");
}

void TKeepBookMark::GotoMark() {
  if (table_ == nullptr) throw std::runtime_error("KeepBookMark Ошибка при восстановлении метки");
  if (!table_->First()) return;
  do {
    if (table_->GetString("BAZ_") == mark_) return;
  } while (table_->Next());
  table_->Last();
}

}  // namespace install
