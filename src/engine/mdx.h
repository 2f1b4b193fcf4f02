// The dBASE IV production index file (.mdx): a 2048-byte file header with a
// tag table of up to 47 tags, one header block per tag (key expression text,
// key type and length, flags) and B-tree nodes of one 1024-byte block (two
// 512-byte pages) each. docs/FORMATS.md ("## MDX") describes the layout this
// code writes and what it accepts when reading.
//
// The engine keeps each tag's keys in memory while a table is open and
// rewrites the whole file atomically (WriteFileAtomically) when the table
// changes; these functions are the only code that knows the file's bytes.
//
// Key lists are always in ascending order of their bytes, equal keys by
// ascending record number, descending tags included: the file holds a
// descending tag's keys in descending byte order (equal keys still by
// ascending record number), and the conversion happens here.
//
// Reading never trusts the file: every page number is bounds-checked, loops
// and over-deep trees are detected, key counts are limited by the block
// size, and anything that does not hold together is kCorrupt. Keys come back
// as raw bytes (N and D keys included) in the file's order (turned round for
// a descending tag), not checked against any collation.
//
// Keys longer than kMaxStoredKeyLength: the file holds only their first
// kMaxStoredKeyLength bytes (dBASE's own limit), in the order the caller
// gave the full keys, and the tag header records the full length. Reading
// such a tag gives TagInfo::keyLength == kMaxStoredKeyLength and
// TagInfo::fullKeyLength == the full length, and ReadKeys returns the cut
// keys: the caller rebuilds full keys from the records when it needs them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/env.h"

namespace engine::mdx {

// The longest key the file holds; longer keys are cut to this (see above).
inline constexpr uint16_t kMaxStoredKeyLength = 100;
inline constexpr size_t kMaxTags = 47;

struct TagInfo {
  std::string name;        // as stored, at most 10 characters (written as given)
  std::string expression;  // key expression text, e.g. "VID+DIR"; at most 220 bytes
  char keyType = 'C';      // 'C', 'N' or 'D'
  // Write: the length of every key given. Read: bytes of each key as stored
  // in the file (at most kMaxStoredKeyLength for files this code writes).
  uint16_t keyLength = 0;
  // Read only: nonzero when the keys were longer than the file holds; then
  // the full key length (Write sets it from keyLength by itself).
  uint16_t fullKeyLength = 0;
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
// kInvalidArgument (nothing written) when the input cannot form a valid
// file: more than kMaxTags tags, a tag name empty, longer than 10 bytes or
// used twice (without regard to case), an expression empty or longer than
// 220 bytes, a key type other than C/N/D, a key whose size is not the tag's
// keyLength, record number 0, or keys out of order (ascending bytes, equal
// keys by ascending record number, each record once).
// Otherwise the Status of WriteFileAtomically.
Status Write(Env* env, const std::filesystem::path& path, const std::string& dbfName,
             const std::vector<TagData>& tags, uint8_t languageId);

// The same three operations over a whole file held in memory (Write's bytes
// and the readers' input), for tests and the fuzz target. Serialize stamps
// today's date.
StatusOr<std::string> Serialize(const std::string& dbfName, const std::vector<TagData>& tags,
                                uint8_t languageId);
StatusOr<std::vector<TagInfo>> ParseTagList(std::string_view file);
StatusOr<std::vector<Key>> ParseKeys(std::string_view file, const std::string& tagName);

}  // namespace engine::mdx
