// DS: what the base list reads. A list view bound to it asks for the rows
// that the installation table shows, in the table's current order (active
// tag, filter), and listens for changes.
//
// Reading the n-th row moves the table's cursor there and back
// (Table::MoveTo) with the table's scroll event held back, so a list that
// paints its rows does not change the current row or fire afterScroll.
// Values are the stored texts (OEM form); the list converts what it shows.
//
// Notifications: kReset when the set or the order of the rows may have
// changed (post, delete, filter, sort, refresh, attach), kCurrent when only
// the current row moved. Between Disable and Enable (they nest)
// notifications are held; the outermost Enable sends one kReset when any
// was held. Only the user-interface thread uses it.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "engine/table.h"

namespace install {

class DataSource {
 public:
  enum class Change { kReset, kCurrent };
  using Listener = std::function<void(Change)>;

  // Connects to a table (not owned; null detaches) and sends kReset.
  void Attach(engine::Table* table);
  void Detach() { Attach(nullptr); }
  engine::Table* Table() const { return table_; }
  // True when connected to an open table.
  bool Attached() const;

  // Rows the table shows; 0 when detached.
  size_t RowCount() const;
  // Stored text of a column of the n-th row shown (from 0); "" when the row
  // or the column does not exist. While a row is being edited only the
  // current row can be read.
  std::string FieldText(size_t row, std::string_view column) const;
  // Position of the current row among the rows shown.
  std::optional<size_t> CurrentRow() const;
  // Makes the n-th row current (fires the table's scroll event); false
  // when there is no such row.
  bool SetCurrentRow(size_t row);

  // Returns an id for Unsubscribe.
  int Subscribe(Listener listener);
  void Unsubscribe(int id);

  void Notify(Change change);
  void Disable();
  void Enable();
  bool Enabled() const { return disabled_ == 0; }

 private:
  engine::Table* table_ = nullptr;
  std::map<int, Listener> listeners_;
  int nextId_ = 1;
  int disabled_ = 0;
  bool pending_ = false;
};

}  // namespace install
