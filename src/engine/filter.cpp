#include "engine/filter.h"

#include <cctype>

namespace engine::filter {

using platform::Status;
using platform::StatusOr;

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsNameChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '_' || u >= 0x80;
}

Status Error(std::string_view text, size_t pos, const std::string& what) {
  return Status::Invalid("filter \"" + std::string(text) + "\": " + what + " at position " +
                         std::to_string(pos + 1));
}

}  // namespace

StatusOr<std::vector<Term>> Parse(std::string_view text) {
  std::vector<Term> terms;
  size_t i = 0;
  auto skip = [&] {
    while (i < text.size() && IsSpace(text[i])) ++i;
  };
  skip();
  if (i == text.size()) return Error(text, i, "the text is empty");
  while (true) {
    skip();
    size_t start = i;
    while (i < text.size() && IsNameChar(text[i])) ++i;
    if (i == start) return Error(text, i, "a column name is expected");
    Term term;
    term.column = std::string(text.substr(start, i - start));
    skip();
    if (i >= text.size() || text[i] != '=') return Error(text, i, "\"=\" is expected");
    ++i;
    skip();
    if (i >= text.size() || text[i] != '\'') return Error(text, i, "a quoted literal is expected");
    ++i;
    bool closed = false;
    while (i < text.size()) {
      if (text[i] == '\'') {
        if (i + 1 < text.size() && text[i + 1] == '\'') {
          term.literal += '\'';
          i += 2;
          continue;
        }
        ++i;
        closed = true;
        break;
      }
      term.literal += text[i++];
    }
    if (!closed) return Error(text, i, "the literal is not closed");
    terms.push_back(std::move(term));
    skip();
    if (i == text.size()) break;
    size_t kw = i;
    while (i < text.size() && IsNameChar(text[i])) ++i;
    if (!dbf::EqualsIgnoreCase(text.substr(kw, i - kw), "and")) {
      return Error(text, kw, "\"and\" is expected");
    }
    if (i < text.size() && !IsSpace(text[i])) return Error(text, i, "a blank is expected");
  }
  return terms;
}

StatusOr<std::vector<Bound>> Compile(std::string_view text, const dbf::Layout& layout) {
  auto terms = Parse(text);
  if (!terms.ok()) return terms.status();
  std::vector<Bound> out;
  for (const Term& t : *terms) {
    int idx = layout.FindField(t.column);
    if (idx < 0) {
      return Status::Invalid("filter \"" + std::string(text) + "\": no column \"" + t.column +
                             "\"");
    }
    out.push_back({static_cast<size_t>(idx), std::string(dbf::TrimRight(t.literal))});
  }
  return out;
}

bool Matches(const std::vector<Bound>& terms, const dbf::Layout& layout, std::string_view record) {
  for (const Bound& b : terms) {
    if (dbf::TrimRight(dbf::RawValue(record, layout.fields[b.field])) != b.literal) return false;
  }
  return true;
}

}  // namespace engine::filter
