// The .mdx codec: builds a whole production index file from the engine's
// sorted keys, and reads tag lists and keys back from any dBASE IV .mdx
// without trusting a single byte of it. Layout: docs/FORMATS.md, "## MDX".
#include "engine/mdx.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>

namespace engine::mdx {
namespace {

constexpr size_t kPageBytes = 512;
constexpr size_t kFileHeaderBytes = 2048;  // 512 + 48 tag slots of 32 bytes
constexpr size_t kHeaderPages = kFileHeaderBytes / kPageBytes;
constexpr size_t kBlockBytes = 1024;  // what this code writes: 2 pages per block
constexpr uint16_t kPagesPerBlock = kBlockBytes / kPageBytes;
constexpr size_t kTagTableOffset = 544;
constexpr size_t kTagEntryBytes = 32;
constexpr uint8_t kTagSlots = 48;
constexpr size_t kMaxNameBytes = 10;
constexpr size_t kMaxExpressionBytes = 220;
// A node holds its count (4 bytes), a reserved link (4 bytes), the entries
// and, in an interior node, the rightmost child pointer (4 bytes).
constexpr size_t kNodeOverhead = 12;
// Deeper than any real tree: 2 keys per node would need 2^32 records.
constexpr int kMaxDepth = 40;

// Tag header fields (offsets inside the tag's header block).
constexpr size_t kThRoot = 0, kThPages = 4, kThFlags = 8, kThKeyType = 9, kThLanguage = 11,
                 kThKeyLength = 12, kThMaxKeys = 14, kThDateKey = 16, kThItemLength = 18,
                 kThChangeCounter = 20, kThUnique = 23, kThExpression = 24,
                 kThHasKeys = 246, kThFirstLeaf = 248, kThLastLeaf = 252, kThDate = 257,
                 kThSingleField = 480,
                 // Our own mark: the full key length of a tag whose keys were
                 // cut to kMaxStoredKeyLength. Other readers ignore the byte
                 // range (it lies between the single-field flag and the FOR
                 // expression at 762).
                 kThFullKeyLength = 482;

constexpr uint8_t kFlagDescending = 0x08, kFlagCharacter = 0x10, kFlagUnique = 0x40;

uint16_t Get16(std::string_view b, size_t off) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[off]) |
                               (static_cast<uint8_t>(b[off + 1]) << 8));
}
uint32_t Get32(std::string_view b, size_t off) {
  return static_cast<uint32_t>(static_cast<uint8_t>(b[off])) |
         (static_cast<uint32_t>(static_cast<uint8_t>(b[off + 1])) << 8) |
         (static_cast<uint32_t>(static_cast<uint8_t>(b[off + 2])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(b[off + 3])) << 24);
}
void Put8(std::string& b, size_t off, uint8_t v) { b[off] = static_cast<char>(v); }
void Put16(std::string& b, size_t off, uint16_t v) {
  b[off] = static_cast<char>(v & 0xFF);
  b[off + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string& b, size_t off, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[off + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Bytes of one node entry: record or child pointer + key, padded to 4.
uint16_t ItemLength(uint16_t storedKeyLength) {
  return static_cast<uint16_t>((storedKeyLength + 4 + 3) & ~3u);
}
// Entries per node: the entries and the rightmost child pointer must fit the
// block, which is what BDE's own files (126 for item length 8) and the
// readers that expect a trailing pointer after a full node agree on.
uint16_t MaxKeysPerNode(uint16_t itemLength) {
  return static_cast<uint16_t>((kBlockBytes - kNodeOverhead) / itemLength);
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

// A key expression that names one field, e.g. "NAIM" (not "VID+DIR").
bool IsSingleField(std::string_view e) {
  while (!e.empty() && e.front() == ' ') e.remove_prefix(1);
  while (!e.empty() && e.back() == ' ') e.remove_suffix(1);
  if (e.empty()) return false;
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!alpha(e.front())) return false;
  return std::all_of(e.begin(), e.end(), [&](char c) { return alpha(c) || (c >= '0' && c <= '9'); });
}

struct Date {
  uint8_t yearsSince1900 = 0, month = 1, day = 1;
};
Date Today() {
  std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm tm{};
  localtime_r(&now, &tm);
  return Date{static_cast<uint8_t>(std::clamp(tm.tm_year, 0, 255)),
              static_cast<uint8_t>(tm.tm_mon + 1), static_cast<uint8_t>(tm.tm_mday)};
}

Status CheckTag(const TagData& tag, size_t index) {
  const TagInfo& t = tag.info;
  const std::string where = "index tag " + std::to_string(index + 1) + " \"" + t.name + "\": ";
  if (t.name.empty() || t.name.size() > kMaxNameBytes ||
      t.name.find('\0') != std::string::npos)
    return Status::Invalid(where + "the name must have 1 to 10 characters");
  if (t.expression.empty() || t.expression.size() > kMaxExpressionBytes ||
      t.expression.find('\0') != std::string::npos)
    return Status::Invalid(where + "the key expression must have 1 to 220 characters");
  if (t.keyType != 'C' && t.keyType != 'N' && t.keyType != 'D')
    return Status::Invalid(where + "unknown key type");
  if (t.keyLength == 0) return Status::Invalid(where + "key length 0");
  const std::vector<Key>& keys = tag.keys;
  for (size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].first.size() != t.keyLength)
      return Status::Invalid(where + "key " + std::to_string(i + 1) + " has " +
                             std::to_string(keys[i].first.size()) + " bytes, not " +
                             std::to_string(t.keyLength));
    if (keys[i].second == 0)
      return Status::Invalid(where + "key " + std::to_string(i + 1) + " has record number 0");
    if (i == 0) continue;
    const int c = std::memcmp(keys[i - 1].first.data(), keys[i].first.data(), t.keyLength);
    if (c > 0 || (c == 0 && keys[i - 1].second >= keys[i].second))
      return Status::Invalid(where + "keys out of index order at key " + std::to_string(i + 1));
  }
  return Status::Ok();
}

// Between the ascending order of the API and a descending tag's file order
// (descending bytes, equal keys still by ascending record): the runs of
// equal keys change places, each run keeping its own order. The same
// operation converts both ways.
std::vector<Key> FlipRuns(std::vector<Key> keys) {
  std::reverse(keys.begin(), keys.end());
  for (auto run = keys.begin(); run != keys.end();) {
    auto end = std::find_if(run, keys.end(), [&](const Key& k) { return k.first != run->first; });
    std::reverse(run, end);
    run = end;
  }
  return keys;
}

// Node blocks a tag of n keys needs: the leaves, then each interior level up
// to the single root.
size_t NodeCount(size_t n, uint16_t maxKeys) {
  size_t level = std::max<size_t>(1, (n + maxKeys - 1) / maxKeys);
  size_t total = level;
  while (level > 1) {
    level = (level + maxKeys) / (maxKeys + 1);  // ceil(level / (maxKeys + 1))
    total += level;
  }
  return total;
}

// Appends one tag's B-tree to `out` (whose size is a whole number of blocks)
// and returns the root page; first/last leaf pages through the pointers.
// Nodes are filled evenly so that every node but a lone root holds at least
// half of what it can.
uint32_t AppendTree(std::string& out, const std::vector<Key>& keys, uint16_t stored, uint16_t item,
                    uint16_t maxKeys, uint32_t* firstLeaf, uint32_t* lastLeaf) {
  auto newBlock = [&out]() {
    size_t off = out.size();
    out.append(kBlockBytes, '\0');
    return off;
  };
  auto pageOf = [](size_t off) { return static_cast<uint32_t>(off / kPageBytes); };

  struct Child {
    uint32_t page;
    const std::string* lastKey;  // largest key of the subtree (nullptr: empty tag)
  };
  std::vector<Child> level;

  const size_t n = keys.size();
  const size_t leaves = std::max<size_t>(1, (n + maxKeys - 1) / maxKeys);
  level.reserve(leaves);
  for (size_t j = 0; j < leaves; ++j) {
    const size_t begin = j * n / leaves, end = (j + 1) * n / leaves;
    const size_t off = newBlock();
    Put32(out, off, static_cast<uint32_t>(end - begin));
    size_t pos = off + 8;
    for (size_t i = begin; i < end; ++i, pos += item) {
      Put32(out, pos, keys[i].second);
      std::memcpy(&out[pos + 4], keys[i].first.data(), stored);
    }
    level.push_back({pageOf(off), end > begin ? &keys[end - 1].first : nullptr});
  }
  *firstLeaf = level.front().page;
  *lastLeaf = level.back().page;

  const size_t fanout = size_t{maxKeys} + 1;
  while (level.size() > 1) {
    const size_t m = level.size();
    const size_t nodes = (m + fanout - 1) / fanout;
    std::vector<Child> up;
    up.reserve(nodes);
    for (size_t j = 0; j < nodes; ++j) {
      const size_t begin = j * m / nodes, end = (j + 1) * m / nodes;
      const size_t off = newBlock();
      Put32(out, off, static_cast<uint32_t>(end - begin - 1));
      size_t pos = off + 8;
      for (size_t c = begin; c + 1 < end; ++c, pos += item) {
        Put32(out, pos, level[c].page);
        std::memcpy(&out[pos + 4], level[c].lastKey->data(), stored);
      }
      Put32(out, pos, level[end - 1].page);  // the rightmost child
      up.push_back({pageOf(off), level[end - 1].lastKey});
    }
    level = std::move(up);
  }
  return level.front().page;
}

// Tag-table threads: the tags form a binary search tree by name, inserted in
// table order; each entry holds its left child, right child and parent
// (1-based slot numbers, 0 for none).
struct Threads {
  uint8_t left = 0, right = 0, parent = 0;
};
std::vector<Threads> NameTree(const std::vector<TagData>& tags) {
  std::vector<Threads> t(tags.size());
  for (size_t i = 1; i < tags.size(); ++i) {
    size_t at = 0;
    for (;;) {
      const bool less = tags[i].info.name < tags[at].info.name;
      uint8_t& next = less ? t[at].left : t[at].right;
      if (next == 0) {
        next = static_cast<uint8_t>(i + 1);
        t[i].parent = static_cast<uint8_t>(at + 1);
        break;
      }
      at = next - 1;
    }
  }
  return t;
}

// ---- reading ----

struct ParsedTag {
  TagInfo info;
  uint32_t headerPage = 0;
  uint32_t root = 0;
  uint16_t item = 0;
};
struct ParsedFile {
  size_t blockBytes = 0;
  std::vector<ParsedTag> tags;
};

Status Bad(const std::string& what) { return Status::Corrupt("index file (.mdx): " + what); }

// True when a node block starting at `page` lies wholly after the file
// header and inside the file.
bool NodeInFile(uint64_t page, size_t blockBytes, size_t fileSize) {
  return page >= kHeaderPages && page * kPageBytes + blockBytes <= fileSize;
}

Status ParseFile(std::string_view f, ParsedFile* out) {
  if (f.size() < kFileHeaderBytes) return Bad("shorter than its 2048-byte header");
  if (static_cast<uint8_t>(f[0]) != 2) return Bad("not a dBASE IV index (version byte)");
  const uint16_t pagesPerBlock = Get16(f, 20);
  const uint16_t blockBytes = Get16(f, 22);
  if (pagesPerBlock < 1 || pagesPerBlock > 64 || blockBytes != pagesPerBlock * kPageBytes)
    return Bad("impossible block size");
  if (static_cast<uint8_t>(f[26]) != kTagEntryBytes) return Bad("unknown tag entry length");
  const uint16_t used = Get16(f, 28);
  if (used > kMaxTags) return Bad("more than 47 tags");
  out->blockBytes = blockBytes;
  out->tags.clear();
  for (size_t i = 0; i < used; ++i) {
    const size_t e = kTagTableOffset + i * kTagEntryBytes;
    ParsedTag tag;
    const uint64_t headerPage = Get32(f, e);
    tag.headerPage = static_cast<uint32_t>(headerPage);
    if (headerPage < kHeaderPages || headerPage * kPageBytes + kPageBytes > f.size())
      return Bad("tag " + std::to_string(i + 1) + ": header page outside the file");
    std::string_view name = f.substr(e + 4, kMaxNameBytes + 1);
    name = name.substr(0, name.find('\0'));
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (name.empty()) return Bad("tag " + std::to_string(i + 1) + " has no name");
    tag.info.name = std::string(name);

    const std::string_view h = f.substr(headerPage * kPageBytes, kPageBytes);
    const std::string where = "tag " + tag.info.name + ": ";
    tag.root = Get32(h, kThRoot);
    const uint8_t flags = static_cast<uint8_t>(h[kThFlags]);
    char type = h[kThKeyType];
    if (type != 'C' && type != 'N' && type != 'D') type = f[e + 20];
    if (type != 'C' && type != 'N' && type != 'D') return Bad(where + "unknown key type");
    tag.info.keyType = type;
    tag.info.keyLength = Get16(h, kThKeyLength);
    tag.item = Get16(h, kThItemLength);
    if (tag.info.keyLength == 0 || tag.item < tag.info.keyLength + 4u ||
        tag.item + kNodeOverhead > blockBytes)
      return Bad(where + "impossible key or entry length");
    std::string_view expr = h.substr(kThExpression, kMaxExpressionBytes);
    tag.info.expression = std::string(expr.substr(0, expr.find('\0')));
    tag.info.descending = (flags & kFlagDescending) != 0;
    tag.info.unique = (flags & kFlagUnique) != 0 || static_cast<uint8_t>(h[kThUnique]) == 0x01;
    const uint16_t full = Get16(h, kThFullKeyLength);
    if (tag.info.keyLength == kMaxStoredKeyLength && full > kMaxStoredKeyLength)
      tag.info.fullKeyLength = full;
    if (!NodeInFile(tag.root, blockBytes, f.size()))
      return Bad(where + "root page outside the file");
    out->tags.push_back(std::move(tag));
  }
  return Status::Ok();
}

}  // namespace

StatusOr<std::string> Serialize(const std::string& dbfName, const std::vector<TagData>& tags,
                                uint8_t languageId) {
  if (tags.size() > kMaxTags) return Status::Invalid("an index file holds at most 47 tags");
  if (dbfName.size() > 16 || dbfName.find('\0') != std::string::npos)
    return Status::Invalid("table name \"" + dbfName + "\" does not fit the index header");
  for (size_t i = 0; i < tags.size(); ++i) {
    if (Status s = CheckTag(tags[i], i); !s.ok()) return s;
    for (size_t j = 0; j < i; ++j)
      if (EqualNoCase(tags[i].info.name, tags[j].info.name))
        return Status::Invalid("index tag name \"" + tags[i].info.name + "\" used twice");
  }

  const Date date = Today();
  // Size the file first so that it is built in one allocation.
  size_t blocks = 0;
  for (const TagData& t : tags) {
    const uint16_t stored = std::min(t.info.keyLength, kMaxStoredKeyLength);
    blocks += 1 + NodeCount(t.keys.size(), MaxKeysPerNode(ItemLength(stored)));
  }
  std::string out(kFileHeaderBytes, '\0');
  out.reserve(kFileHeaderBytes + blocks * kBlockBytes);

  const std::vector<Threads> threads = NameTree(tags);
  for (size_t i = 0; i < tags.size(); ++i) {
    const TagInfo& info = tags[i].info;
    const uint16_t stored = std::min(info.keyLength, kMaxStoredKeyLength);
    const uint16_t item = ItemLength(stored);
    const uint16_t maxKeys = MaxKeysPerNode(item);
    const bool single = IsSingleField(info.expression);

    const size_t h = out.size();
    out.append(kBlockBytes, '\0');
    uint32_t firstLeaf = 0, lastLeaf = 0;
    const uint32_t root =
        info.descending
            ? AppendTree(out, FlipRuns(tags[i].keys), stored, item, maxKeys, &firstLeaf, &lastLeaf)
            : AppendTree(out, tags[i].keys, stored, item, maxKeys, &firstLeaf, &lastLeaf);

    Put32(out, h + kThRoot, root);
    Put32(out, h + kThPages, static_cast<uint32_t>((out.size() - h - kBlockBytes) / kPageBytes));
    uint8_t flags = info.keyType == 'C' ? kFlagCharacter : 0;
    if (info.descending) flags |= kFlagDescending;
    if (info.unique) flags |= kFlagUnique;
    Put8(out, h + kThFlags, flags);
    Put8(out, h + kThKeyType, static_cast<uint8_t>(info.keyType));
    Put8(out, h + kThLanguage, languageId);
    Put16(out, h + kThKeyLength, stored);
    Put16(out, h + kThMaxKeys, maxKeys);
    Put16(out, h + kThDateKey, info.keyType == 'D' ? 1 : 0);
    Put16(out, h + kThItemLength, item);
    Put8(out, h + kThChangeCounter, 2);
    Put8(out, h + kThUnique, info.unique ? 1 : 0);
    std::memcpy(&out[h + kThExpression], info.expression.data(), info.expression.size());
    Put8(out, h + kThHasKeys, tags[i].keys.empty() ? 0 : 1);
    Put32(out, h + kThFirstLeaf, firstLeaf);
    Put32(out, h + kThLastLeaf, lastLeaf);
    Put8(out, h + kThDate, date.yearsSince1900);
    Put8(out, h + kThDate + 1, date.month);
    Put8(out, h + kThDate + 2, date.day);
    Put8(out, h + kThSingleField, single ? 1 : 0);
    if (info.keyLength > kMaxStoredKeyLength) Put16(out, h + kThFullKeyLength, info.keyLength);

    const size_t e = kTagTableOffset + i * kTagEntryBytes;
    Put32(out, e, static_cast<uint32_t>(h / kPageBytes));
    std::memcpy(&out[e + 4], info.name.data(), info.name.size());
    Put8(out, e + 15, single ? 0x10 : 0x00);
    Put8(out, e + 16, threads[i].left);
    Put8(out, e + 17, threads[i].right);
    Put8(out, e + 18, threads[i].parent);
    Put8(out, e + 19, 0x02);
    Put8(out, e + 20, static_cast<uint8_t>(info.keyType));
  }

  Put8(out, 0, 2);  // dBASE IV
  Put8(out, 1, date.yearsSince1900);
  Put8(out, 2, date.month);
  Put8(out, 3, date.day);
  std::memcpy(&out[4], dbfName.data(), dbfName.size());
  Put16(out, 20, kPagesPerBlock);
  Put16(out, 22, kBlockBytes);
  Put8(out, 24, 1);  // production index
  Put8(out, 25, kTagSlots);
  Put8(out, 26, kTagEntryBytes);
  Put16(out, 28, static_cast<uint16_t>(tags.size()));
  Put8(out, 31, languageId);
  Put32(out, 32, static_cast<uint32_t>(out.size() / kPageBytes));
  Put32(out, 36, 0);  // no free pages: the file is always written whole
  Put8(out, 44, date.yearsSince1900);
  Put8(out, 45, date.month);
  Put8(out, 46, date.day);
  Put8(out, 529, 1);
  return out;
}

StatusOr<std::vector<TagInfo>> ParseTagList(std::string_view file) {
  ParsedFile parsed;
  if (Status s = ParseFile(file, &parsed); !s.ok()) return s;
  std::vector<TagInfo> list;
  list.reserve(parsed.tags.size());
  for (ParsedTag& t : parsed.tags) list.push_back(std::move(t.info));
  return list;
}

StatusOr<std::vector<Key>> ParseKeys(std::string_view file, const std::string& tagName) {
  ParsedFile parsed;
  if (Status s = ParseFile(file, &parsed); !s.ok()) return s;
  const ParsedTag* tag = nullptr;
  for (const ParsedTag& t : parsed.tags)
    if (EqualNoCase(t.info.name, tagName)) {
      tag = &t;
      break;
    }
  if (tag == nullptr) return Status::NotFound("index tag \"" + tagName + "\" not found");

  const size_t block = parsed.blockBytes;
  const uint16_t item = tag->item;
  const uint16_t keyLength = tag->info.keyLength;
  const uint32_t maxEntries = static_cast<uint32_t>((block - 8) / item);
  const std::string where = "tag " + tag->info.name + ": ";

  // Depth-first walk, leftmost child first. Every node may be reached once
  // (a second visit means a loop or a shared subtree), and all leaves must
  // lie at one depth.
  std::vector<bool> visited(file.size() / kPageBytes + 1, false);
  for (const ParsedTag& t : parsed.tags) {
    // A tag's header block is never a node of any tree.
    const uint32_t hp = t.headerPage;
    for (uint32_t p = hp; p < hp + block / kPageBytes && p < visited.size(); ++p) visited[p] = true;
  }
  struct Pending {
    uint32_t page;
    int depth;
  };
  std::vector<Pending> stack{{tag->root, 0}};
  int leafDepth = -1;
  std::vector<Key> keys;
  while (!stack.empty()) {
    const Pending at = stack.back();
    stack.pop_back();
    if (!NodeInFile(at.page, block, file.size()))
      return Bad(where + "node page " + std::to_string(at.page) + " outside the file");
    if (visited[at.page])
      return Bad(where + "node page " + std::to_string(at.page) + " reached twice or a header");
    visited[at.page] = true;
    const std::string_view node = file.substr(size_t{at.page} * kPageBytes, block);
    const uint32_t n = Get32(node, 0);
    if (n > maxEntries) return Bad(where + "node with more keys than fit its block");
    const size_t after = 8 + size_t{n} * item;
    const uint32_t rightmost = after + 4 <= block ? Get32(node, after) : 0;
    if (rightmost == 0) {  // a leaf
      if (leafDepth < 0) leafDepth = at.depth;
      if (at.depth != leafDepth) return Bad(where + "leaves at different depths");
      for (uint32_t i = 0; i < n; ++i) {
        const size_t pos = 8 + size_t{i} * item;
        const uint32_t record = Get32(node, pos);
        if (record == 0) return Bad(where + "key with record number 0");
        keys.emplace_back(std::string(node.substr(pos + 4, keyLength)), record);
      }
      continue;
    }
    if (at.depth + 1 > kMaxDepth) return Bad(where + "tree deeper than any real index");
    if (leafDepth >= 0 && at.depth + 1 > leafDepth) return Bad(where + "leaves at different depths");
    stack.push_back({rightmost, at.depth + 1});
    for (uint32_t i = n; i-- > 0;) stack.push_back({Get32(node, 8 + size_t{i} * item), at.depth + 1});
  }
  if (tag->info.descending) return FlipRuns(std::move(keys));
  return keys;
}

StatusOr<std::vector<TagInfo>> ReadTagList(Env* env, const std::filesystem::path& path) {
  if (!env->Exists(path)) return Status::NotFound("index file " + path.string() + " not found");
  StatusOr<std::string> bytes = env->ReadFile(path);
  if (!bytes.ok()) return bytes.status();
  StatusOr<std::vector<TagInfo>> list = ParseTagList(*bytes);
  if (!list.ok()) return Status::Corrupt(path.string() + ": " + list.status().message());
  return list;
}

StatusOr<std::vector<Key>> ReadKeys(Env* env, const std::filesystem::path& path,
                                    const std::string& tagName) {
  if (!env->Exists(path)) return Status::NotFound("index file " + path.string() + " not found");
  StatusOr<std::string> bytes = env->ReadFile(path);
  if (!bytes.ok()) return bytes.status();
  StatusOr<std::vector<Key>> keys = ParseKeys(*bytes, tagName);
  if (!keys.ok()) return Status::Error(keys.status().code(), path.string() + ": " + keys.status().message());
  return keys;
}

Status Write(Env* env, const std::filesystem::path& path, const std::string& dbfName,
             const std::vector<TagData>& tags, uint8_t languageId) {
  StatusOr<std::string> bytes = Serialize(dbfName, tags, languageId);
  if (!bytes.ok()) return bytes.status();
  return WriteFileAtomically(env, path, [&bytes](WritableFile& file) { return file.Append(*bytes); });
}

}  // namespace engine::mdx
