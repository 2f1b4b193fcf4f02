// Feeds arbitrary bytes to the .mdx readers as a whole index file. They must
// return (OK or a Status) without crashing, hanging or reading outside the
// input. Whatever reads back cleanly and forms valid input is written again
// and must read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/mdx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace engine::mdx;
  using engine::StatusOr;
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  StatusOr<std::vector<TagInfo>> list = ParseTagList(file);
  if (!list.ok()) return 0;

  std::vector<TagData> tags;
  for (const TagInfo& info : *list) {
    StatusOr<std::vector<Key>> keys = ParseKeys(file, info.name);
    if (!keys.ok()) return 0;
    TagData tag;
    tag.info = info;
    tag.keys = std::move(*keys);
    tags.push_back(std::move(tag));
  }
  StatusOr<std::string> again = Serialize("FUZZ", tags, 0);
  if (!again.ok()) return 0;  // e.g. keys in an order of another collation
  for (TagData& tag : tags) {
    // Keys longer than the file holds come back cut.
    for (Key& k : tag.keys)
      if (k.first.size() > kMaxStoredKeyLength) k.first.resize(kMaxStoredKeyLength);
    StatusOr<std::vector<Key>> back = ParseKeys(*again, tag.info.name);
    if (!back.ok() || *back != tag.keys) std::abort();
  }
  return 0;
}
