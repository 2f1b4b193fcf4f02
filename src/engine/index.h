// The production index as the engine keeps it in memory: per tag its key
// expression (column names joined by "+", character columns only), and the
// set of (key, record) pairs of every record, deleted ones included, in
// byte order with ties by record number. The .mdx file is read only for
// its tag list; keys are always rebuilt from the rows and the whole file is
// rewritten through mdx::Write.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dbf_format.h"
#include "engine/env.h"
#include "engine/mdx.h"

namespace engine::index {

inline constexpr size_t kMaxTags = 47;
inline constexpr size_t kMaxKeyLength = 100;

struct KeyExpr {
  std::vector<size_t> fields;  // indexes into the layout's fields
  uint16_t length = 0;         // sum of the widths
};

// Parses "VID+DIR" against the layout: every name a character column.
// kInvalidArgument naming the problem otherwise.
platform::StatusOr<KeyExpr> ParseKeyExpr(std::string_view expression, const dbf::Layout& layout);

// The key of a record: the columns' stored bytes, blanks included.
std::string MakeKey(const KeyExpr& expr, const dbf::Layout& layout, std::string_view record);

// Blank-pads or cuts a search key to the key length.
std::string PadKey(std::string_view key, size_t length);

struct Tag {
  mdx::TagInfo info;
  KeyExpr expr;
  std::set<mdx::Key> keys;
};

// Builds a tag's keys from every record of the table.
void BuildKeys(Tag* tag, const dbf::TableData& data);
// A tag for a definition; kInvalidArgument when the name or expression is
// not usable.
platform::StatusOr<Tag> MakeTag(std::string_view name, std::string_view expression, bool descending,
                                bool unique, const dbf::TableData& data);

// The .mdx beside a table, found without regard to letter case.
std::optional<std::filesystem::path> FindMdx(Env* env, const std::filesystem::path& dbfPath);
// The .mdx to write: the existing one, else the table's name with the
// extension ".mdx" (".MDX" when the table's extension is upper-case).
std::filesystem::path MdxPathFor(Env* env, const std::filesystem::path& dbfPath);
// The table's file name without its extension, as the .mdx header stores it.
std::string DbfBaseName(const std::filesystem::path& dbfPath);

struct LoadedIndex {
  std::vector<Tag> tags;
  std::vector<std::string> dropped;  // tags whose expressions the engine cannot evaluate
};
// Reads the tag list of an .mdx and rebuilds each tag's keys from the rows.
platform::StatusOr<LoadedIndex> LoadIndex(Env* env, const std::filesystem::path& mdxPath,
                                          const dbf::TableData& data);

// Writes every tag to the .mdx (atomically).
platform::Status WriteIndex(Env* env, const std::filesystem::path& mdxPath,
                            const std::filesystem::path& dbfPath, const std::vector<Tag>& tags,
                            uint8_t languageId);

// Sets each descriptor's production-index flag: 1 for a column that a
// single-column tag indexes, 0 otherwise.
void SetFieldFlags(dbf::Layout* layout, const std::vector<Tag>& tags);

// Finds a tag by name, ignoring letter case; -1 when none.
int FindTag(const std::vector<Tag>& tags, std::string_view name);

}  // namespace engine::index
