// The dBASE IV production index file (.mdx): a 2048-byte file header with a
// tag table of up to 47 tags, one header page per tag (key expression text,
// key type and length, flags) and B-tree node pages of 1024 bytes.
// docs/FORMATS.md describes the layout this code writes.
//
// The engine keeps each tag's keys in memory while a table is open and
// rewrites the whole file atomically (WriteFileAtomically) when the table
// changes; these functions are the only code that knows the file's bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "engine/env.h"

namespace engine::mdx {

struct TagInfo {
  std::string name;        // as stored, at most 10 characters
  std::string expression;  // key expression text, e.g. "VID+DIR"
  char keyType = 'C';      // 'C', 'N' or 'D'
  uint16_t keyLength = 0;  // bytes of each key as stored in the file
  bool descending = false;
  bool unique = false;
};

// One key of a tag: the key bytes (padded to the tag's key length) and the
// record number it points to, counting from 1.
using Key = std::pair<std::string, uint32_t>;

struct TagData {
  TagInfo info;
  std::vector<Key> keys;  // in index order: ascending bytes, ties by record
};

// Lists the tags of an .mdx file in tag-table order. kCorrupt when the file
// is not a readable dBASE IV .mdx; kNotFound when it does not exist.
StatusOr<std::vector<TagInfo>> ReadTagList(Env* env, const std::filesystem::path& path);

// Walks one tag's B-tree (name matched without regard to case) and returns
// its keys in index order. Guards against loops and out-of-file pages.
StatusOr<std::vector<Key>> ReadKeys(Env* env, const std::filesystem::path& path,
                                    const std::string& tagName);

// Writes a complete .mdx for the table named `dbfName` (file name without
// extension, as stored in the header) holding these tags, atomically.
// languageId goes to the header byte 31 and each tag header's byte 11.
Status Write(Env* env, const std::filesystem::path& path, const std::string& dbfName,
             const std::vector<TagData>& tags, uint8_t languageId);

}  // namespace engine::mdx
