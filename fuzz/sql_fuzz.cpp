// The local SQL parser on arbitrary text (parsing only: no file is
// touched).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/sql.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto parsed = engine::sql::Parse(text);
  if (parsed.ok()) {
    for (const auto& item : parsed->alter) (void)item.column.size();
    for (const auto& set : parsed->sets) (void)set.source.size();
  }
  return 0;
}
