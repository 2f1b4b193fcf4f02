#include "engine/index.h"

#include <algorithm>

namespace engine::index {

using platform::Status;
using platform::StatusOr;

static std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

StatusOr<KeyExpr> ParseKeyExpr(std::string_view expression, const dbf::Layout& layout) {
  KeyExpr expr;
  std::string_view rest = expression;
  if (TrimBlanks(rest).empty()) return Status::Invalid("the key expression is empty");
  size_t total = 0;
  while (true) {
    size_t plus = rest.find('+');
    std::string_view name = TrimBlanks(rest.substr(0, plus));
    int idx = layout.FindField(name);
    if (name.empty() || idx < 0) {
      return Status::Invalid("key expression \"" + std::string(expression) + "\": no column \"" +
                             std::string(name) + "\"");
    }
    const dbf::Field& f = layout.fields[idx];
    if (f.def.type != 'C') {
      return Status::Invalid("key expression \"" + std::string(expression) + "\": column " +
                             f.def.name + " is not a character column");
    }
    expr.fields.push_back(static_cast<size_t>(idx));
    total += f.def.length;
    if (plus == std::string_view::npos) break;
    rest = rest.substr(plus + 1);
  }
  if (total > kMaxKeyLength) {
    return Status::Invalid("key expression \"" + std::string(expression) + "\" gives keys of " +
                           std::to_string(total) + " bytes, more than " +
                           std::to_string(kMaxKeyLength));
  }
  expr.length = static_cast<uint16_t>(total);
  return expr;
}

std::string MakeKey(const KeyExpr& expr, const dbf::Layout& layout, std::string_view record) {
  std::string key;
  key.reserve(expr.length);
  for (size_t idx : expr.fields) key.append(dbf::RawValue(record, layout.fields[idx]));
  key.resize(expr.length, ' ');
  return key;
}

std::string PadKey(std::string_view key, size_t length) {
  std::string out(key.substr(0, std::min(key.size(), length)));
  out.resize(length, ' ');
  return out;
}

void BuildKeys(Tag* tag, const dbf::TableData& data) {
  tag->keys.clear();
  for (uint32_t rec = 1; rec <= data.count; ++rec) {
    tag->keys.emplace(MakeKey(tag->expr, data.layout, data.Record(rec)), rec);
  }
}

StatusOr<Tag> MakeTag(std::string_view name, std::string_view expression, bool descending,
                      bool unique, const dbf::TableData& data) {
  std::string_view n = TrimBlanks(name);
  if (n.empty() || n.size() > 10) {
    return Status::Invalid("tag name \"" + std::string(name) + "\" must have 1 to 10 characters");
  }
  auto expr = ParseKeyExpr(expression, data.layout);
  if (!expr.ok()) return expr.status();
  Tag tag;
  tag.info.name = dbf::UpperAscii(n);
  tag.info.expression = std::string(TrimBlanks(expression));
  tag.info.keyType = 'C';
  tag.info.keyLength = expr->length;
  tag.info.descending = descending;
  tag.info.unique = unique;
  tag.expr = std::move(expr.value());
  BuildKeys(&tag, data);
  return tag;
}

std::optional<std::filesystem::path> FindMdx(Env* env, const std::filesystem::path& dbfPath) {
  std::filesystem::path exact = dbfPath;
  exact.replace_extension(".mdx");
  std::string wanted = dbf::UpperAscii(exact.filename().string());
  auto names = env->ListDirectory(dbfPath.parent_path());
  if (!names.ok()) {
    if (env->Exists(exact)) return exact;
    return std::nullopt;
  }
  std::optional<std::filesystem::path> found;
  for (const std::string& name : *names) {
    if (name == exact.filename().string()) return exact;
    if (!found && dbf::UpperAscii(name) == wanted) found = dbfPath.parent_path() / name;
  }
  return found;
}

std::filesystem::path MdxPathFor(Env* env, const std::filesystem::path& dbfPath) {
  if (auto found = FindMdx(env, dbfPath)) return *found;
  std::string ext = dbfPath.extension().string();
  bool upper = !ext.empty() && std::none_of(ext.begin(), ext.end(),
                                            [](char c) { return c >= 'a' && c <= 'z'; });
  std::filesystem::path p = dbfPath;
  p.replace_extension(upper ? ".MDX" : ".mdx");
  return p;
}

std::string DbfBaseName(const std::filesystem::path& dbfPath) {
  return dbfPath.stem().string();
}

StatusOr<LoadedIndex> LoadIndex(Env* env, const std::filesystem::path& mdxPath,
                                const dbf::TableData& data) {
  auto list = mdx::ReadTagList(env, mdxPath);
  if (!list.ok()) return list.status();
  LoadedIndex loaded;
  for (const mdx::TagInfo& info : *list) {
    auto expr = info.keyType == 'C' ? ParseKeyExpr(info.expression, data.layout)
                                    : StatusOr<KeyExpr>(Status::Unsupported("key type"));
    if (!expr.ok() || FindTag(loaded.tags, info.name) >= 0) {
      loaded.dropped.push_back(info.name);
      continue;
    }
    Tag tag;
    tag.info = info;
    tag.info.keyLength = expr->length;
    tag.expr = std::move(expr.value());
    BuildKeys(&tag, data);
    loaded.tags.push_back(std::move(tag));
  }
  return loaded;
}

Status WriteIndex(Env* env, const std::filesystem::path& mdxPath,
                  const std::filesystem::path& dbfPath, const std::vector<Tag>& tags,
                  uint8_t languageId) {
  std::vector<mdx::TagData> out;
  out.reserve(tags.size());
  for (const Tag& tag : tags) {
    mdx::TagData d;
    d.info = tag.info;
    d.keys.assign(tag.keys.begin(), tag.keys.end());
    out.push_back(std::move(d));
  }
  return mdx::Write(env, mdxPath, DbfBaseName(dbfPath), out, languageId);
}

void SetFieldFlags(dbf::Layout* layout, const std::vector<Tag>& tags) {
  for (size_t i = 0; i < layout->fields.size(); ++i) {
    bool flagged = std::any_of(tags.begin(), tags.end(), [&](const Tag& t) {
      return t.expr.fields.size() == 1 && t.expr.fields[0] == i;
    });
    layout->fields[i].descriptor[dbf::kFieldFlagOffset] = flagged ? 1 : 0;
  }
}

int FindTag(const std::vector<Tag>& tags, std::string_view name) {
  for (size_t i = 0; i < tags.size(); ++i) {
    if (dbf::EqualsIgnoreCase(tags[i].info.name, name)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace engine::index
