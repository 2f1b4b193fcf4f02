#include "install/data_source.h"

#include <utility>

namespace install {

void DataSource::Attach(engine::Table* table) {
  table_ = table;
  Notify(Change::kReset);
}

bool DataSource::Attached() const { return table_ != nullptr && table_->IsOpen(); }

size_t DataSource::RowCount() const { return Attached() ? table_->RecordCount() : 0; }

std::string DataSource::FieldText(size_t row, std::string_view column) const {
  if (!Attached()) return {};
  auto current = table_->Position();
  if (current && *current == row) return table_->GetString(column);
  if (table_->Editing() || row >= table_->RecordCount()) return {};
  // Visit the row with the scroll event held back, then go back.
  auto scroll = std::exchange(table_->afterScroll, nullptr);
  std::string value;
  if (table_->MoveTo(row)) value = table_->GetString(column);
  if (current) table_->MoveTo(*current);
  table_->afterScroll = std::move(scroll);
  return value;
}

std::optional<size_t> DataSource::CurrentRow() const {
  if (!Attached()) return std::nullopt;
  return table_->Position();
}

bool DataSource::SetCurrentRow(size_t row) {
  if (!Attached() || table_->Editing()) return false;
  return table_->MoveTo(row);
}

int DataSource::Subscribe(Listener listener) {
  int id = nextId_++;
  listeners_.emplace(id, std::move(listener));
  return id;
}

void DataSource::Unsubscribe(int id) { listeners_.erase(id); }

void DataSource::Notify(Change change) {
  if (disabled_ > 0) {
    pending_ = true;
    return;
  }
  // A listener may unsubscribe itself while being called.
  auto copy = listeners_;
  for (auto& [id, listener] : copy)
    if (listener) listener(change);
}

void DataSource::Disable() { ++disabled_; }

void DataSource::Enable() {
  if (disabled_ == 0) return;
  if (--disabled_ == 0 && pending_) {
    pending_ = false;
    Notify(Change::kReset);
  }
}

}  // namespace install
