// Helpers shared by the data module's source files; not for other users.
#pragma once

#include <string>
#include <string_view>

#include "engine/table.h"
#include "support/singletons.h"

namespace install::detail {

inline std::string Oem(const std::string& utf8) { return SingleString::Instance().ToOem(utf8); }
inline std::string Ansi(const std::string& cp866) { return SingleString::Instance().ToAnsi(cp866); }

// Exact search on the active tag; a search the table layer cannot run (no
// active tag) counts as not found.
inline bool SeekKey(engine::Table& table, std::string_view key) {
  auto found = table.Seek(key);
  return found.ok() && *found;
}

// Sets a column of the pending row; a refused write raises.
void Set(engine::Table& table, std::string_view field, std::string_view value);
// Posts the pending row; a refused post cancels the row and raises.
void Post(engine::Table& table);

// True for a text that begins with a drive letter and a colon.
inline bool HasDriveLetter(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

}  // namespace install::detail
