#include "engine/sql.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "engine/dbf_format.h"
#include "engine/env.h"
#include "engine/index.h"
#include "engine/table.h"
#include "engine/table_file.h"

namespace engine::sql {

using platform::Status;
using platform::StatusOr;

namespace {

enum class Tok { kWord, kNumber, kString, kPunct, kEnd };

struct Token {
  Tok kind = Tok::kEnd;
  std::string text;
  size_t pos = 0;
};

bool IsWordChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '_' || u >= 0x80;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  StatusOr<Statement> Run() {
    if (Status st = Tokenize(); !st.ok()) return st;
    Statement s;
    if (Keyword("ALTER")) {
      s.kind = Statement::Kind::kAlter;
      if (!Keyword("TABLE")) return Expected("TABLE");
      if (Status st = TableName(&s); !st.ok()) return st;
      do {
        AlterItem item;
        if (Keyword("ADD")) {
          item.add = true;
          (void)Keyword("COLUMN");
          if (Status st = ColumnName(&item.column); !st.ok()) return st;
          if (Status st = Type(&item.type); !st.ok()) return st;
        } else if (Keyword("DROP")) {
          (void)Keyword("COLUMN");
          if (Status st = ColumnName(&item.column); !st.ok()) return st;
        } else {
          return Expected("ADD or DROP");
        }
        s.alter.push_back(std::move(item));
      } while (Punct(","));
    } else if (Keyword("UPDATE")) {
      s.kind = Statement::Kind::kUpdate;
      if (Status st = TableName(&s); !st.ok()) return st;
      if (!Keyword("SET")) return Expected("SET");
      do {
        Assignment a;
        if (Status st = ColumnName(&a.target); !st.ok()) return st;
        if (!Punct("=")) return Expected("\"=\"");
        if (Keyword("CAST")) {
          a.kind = Assignment::Kind::kCast;
          if (!Punct("(")) return Expected("\"(\"");
          if (Status st = ColumnName(&a.source); !st.ok()) return st;
          if (!Keyword("AS")) return Expected("AS");
          ColumnType t;
          size_t at = Peek().pos;
          if (Status st = Type(&t); !st.ok()) return st;
          if (t.type != 'C') return Error(at, "only CAST to CHAR(n) is supported");
          a.castLength = t.length;
          if (!Punct(")")) return Expected("\")\"");
        } else if (Peek().kind == Tok::kString && Peek().text.size() > 0 && quoteOf_[i_] == '\'') {
          a.kind = Assignment::Kind::kLiteral;
          a.source = Next().text;
        } else {
          if (Status st = ColumnName(&a.source); !st.ok()) return st;
        }
        s.sets.push_back(std::move(a));
      } while (Punct(","));
    } else {
      return Expected("ALTER TABLE or UPDATE");
    }
    (void)Punct(";");
    if (Peek().kind != Tok::kEnd) return Expected("the end of the statement");
    return s;
  }

 private:
  Status Tokenize() {
    size_t i = 0;
    while (true) {
      while (i < text_.size() && std::isspace(static_cast<unsigned char>(text_[i]))) ++i;
      Token t;
      t.pos = i;
      char quote = 0;
      if (i >= text_.size()) {
        t.kind = Tok::kEnd;
        tokens_.push_back(t);
        quoteOf_.push_back(0);
        return Status::Ok();
      }
      char c = text_[i];
      if (c == '\'' || c == '"') {
        quote = c;
        t.kind = Tok::kString;
        ++i;
        bool closed = false;
        while (i < text_.size()) {
          if (text_[i] == quote) {
            if (i + 1 < text_.size() && text_[i + 1] == quote) {
              t.text += quote;
              i += 2;
              continue;
            }
            ++i;
            closed = true;
            break;
          }
          t.text += text_[i++];
        }
        if (!closed) return Error(t.pos, "the quoted text is not closed");
      } else if (IsWordChar(c)) {
        size_t start = i;
        while (i < text_.size() && IsWordChar(text_[i])) ++i;
        t.text = std::string(text_.substr(start, i - start));
        bool digits = std::all_of(t.text.begin(), t.text.end(),
                                  [](char d) { return d >= '0' && d <= '9'; });
        t.kind = digits ? Tok::kNumber : Tok::kWord;
      } else if (c == '(' || c == ')' || c == ',' || c == '=' || c == ';') {
        t.kind = Tok::kPunct;
        t.text = std::string(1, c);
        ++i;
      } else {
        return Error(i, std::string("unexpected character \"") + c + "\"");
      }
      tokens_.push_back(std::move(t));
      quoteOf_.push_back(quote);
    }
  }

  const Token& Peek() const { return tokens_[i_]; }
  const Token& Next() { return tokens_[i_ < tokens_.size() - 1 ? i_++ : i_]; }

  bool Keyword(std::string_view word) {
    if (Peek().kind == Tok::kWord && dbf::EqualsIgnoreCase(Peek().text, word)) {
      ++i_;
      return true;
    }
    return false;
  }
  bool Punct(std::string_view p) {
    if (Peek().kind == Tok::kPunct && Peek().text == p) {
      ++i_;
      return true;
    }
    return false;
  }

  Status Error(size_t pos, const std::string& what) const {
    return Status::Invalid("SQL statement \"" + std::string(text_) + "\": " + what +
                           " at position " + std::to_string(pos + 1));
  }
  Status Expected(const std::string& what) const {
    const Token& t = Peek();
    std::string found = t.kind == Tok::kEnd ? "the end" : "\"" + t.text + "\"";
    return Error(t.pos, what + " expected, found " + found);
  }

  Status TableName(Statement* s) {
    if (Peek().kind != Tok::kString) return Expected("a quoted table file name");
    s->table = Next().text;
    if (s->table.empty()) return Error(tokens_[i_ - 1].pos, "the table file name is empty");
    return Status::Ok();
  }

  Status ColumnName(std::string* out) {
    const Token& t = Peek();
    if (t.kind != Tok::kWord) return Expected("a column name");
    if (t.text.size() > dbf::kMaxNameLength) {
      return Error(t.pos, "column name \"" + t.text + "\" is longer than 10 characters");
    }
    *out = dbf::UpperAscii(t.text);
    ++i_;
    return Status::Ok();
  }

  Status Number(unsigned min, unsigned max, unsigned* out) {
    const Token& t = Peek();
    if (t.kind != Tok::kNumber) return Expected("a number");
    unsigned long v = t.text.size() > 6 ? 1000000ul : std::stoul(t.text);
    if (v < min || v > max) {
      return Error(t.pos, "the number " + t.text + " is not between " + std::to_string(min) +
                              " and " + std::to_string(max));
    }
    *out = static_cast<unsigned>(v);
    ++i_;
    return Status::Ok();
  }

  Status Type(ColumnType* type) {
    if (Keyword("CHAR") || Keyword("CHARACTER") || Keyword("VARCHAR")) {
      unsigned n = 0;
      if (!Punct("(")) return Expected("\"(\"");
      if (Status st = Number(1, 254, &n); !st.ok()) return st;
      if (!Punct(")")) return Expected("\")\"");
      *type = {'C', static_cast<uint8_t>(n), 0};
    } else if (Keyword("NUMERIC") || Keyword("DECIMAL")) {
      unsigned p = 0, s = 0;
      if (!Punct("(")) return Expected("\"(\"");
      size_t at = Peek().pos;
      if (Status st = Number(1, 20, &p); !st.ok()) return st;
      if (Punct(",")) {
        at = Peek().pos;
        if (Status st = Number(0, 18, &s); !st.ok()) return st;
      }
      if (s > 0 && s + 2 > p) return Error(at, "the scale leaves no room for the digits");
      if (!Punct(")")) return Expected("\")\"");
      *type = {'N', static_cast<uint8_t>(p), static_cast<uint8_t>(s)};
    } else if (Keyword("BOOLEAN") || Keyword("LOGICAL")) {
      *type = {'L', 1, 0};
    } else if (Keyword("BLOB") || Keyword("MEMO")) {
      *type = {'M', 10, 0};
    } else if (Keyword("DATE")) {
      *type = {'D', 8, 0};
    } else {
      return Expected("a column type (CHAR, NUMERIC, BOOLEAN, BLOB, DATE)");
    }
    return Status::Ok();
  }

  std::string_view text_;
  std::vector<Token> tokens_;
  std::vector<char> quoteOf_;  // the quote character of each string token
  size_t i_ = 0;
};

std::string Describe(const Statement& s) {
  return std::string(s.kind == Statement::Kind::kAlter ? "ALTER TABLE" : "UPDATE") + " '" +
         s.table + "'";
}

// A dBASE III memo file with no memos: one 512-byte header block whose
// first four bytes give the next free block (1).
std::string EmptyMemoFile() {
  std::string b(512, '\0');
  b[0] = 1;
  b[16] = 3;
  return b;
}

std::optional<std::filesystem::path> FindSibling(Env* env, const std::filesystem::path& dbf,
                                                 const std::string& ext) {
  std::filesystem::path wanted = dbf;
  wanted.replace_extension(ext);
  std::string upper = dbf::UpperAscii(wanted.filename().string());
  auto names = env->ListDirectory(dbf.parent_path());
  if (!names.ok()) return env->Exists(wanted) ? std::optional(wanted) : std::nullopt;
  for (const std::string& n : *names) {
    if (dbf::UpperAscii(n) == upper) return dbf.parent_path() / n;
  }
  return std::nullopt;
}

Status Alter(const Statement& s, const dbf::TableData& old, dbf::TableData* out,
             bool* needsMemo) {
  const std::string what = Describe(s);
  struct Column {
    dbf::Field field;
    int from;  // index in the old layout; -1 for an added column
  };
  std::vector<Column> cols;
  for (size_t i = 0; i < old.layout.fields.size(); ++i) {
    cols.push_back({old.layout.fields[i], static_cast<int>(i)});
  }
  auto find = [&](const std::string& name) -> int {
    for (size_t i = 0; i < cols.size(); ++i) {
      if (dbf::EqualsIgnoreCase(cols[i].field.def.name, name)) return static_cast<int>(i);
    }
    return -1;
  };
  for (const AlterItem& item : s.alter) {
    int at = find(item.column);
    if (item.add) {
      if (at >= 0) return Status::Invalid(what + ": column " + item.column + " already exists");
      dbf::Field f;
      f.def = {item.column, item.type.type, item.type.length, item.type.decimals};
      f.descriptor = dbf::MakeDescriptor(f.def);
      cols.push_back({std::move(f), -1});
    } else {
      if (at < 0) return Status::Invalid(what + ": there is no column " + item.column + " to drop");
      cols.erase(cols.begin() + at);
    }
  }
  out->layout = old.layout;
  out->layout.fields.clear();
  for (const Column& c : cols) out->layout.fields.push_back(c.field);
  if (Status st = dbf::Relayout(&out->layout); !st.ok()) {
    return Status::Invalid(what + ": " + st.message());
  }
  *needsMemo = false;
  for (const dbf::Field& f : out->layout.fields) *needsMemo |= f.def.type == 'M';
  if (*needsMemo && (out->layout.Version() & 0x80) == 0) {
    out->layout.prefix[dbf::kVersionOffset] = static_cast<char>(out->layout.Version() | 0x80);
  }
  out->count = old.count;
  out->records.reserve(size_t(old.count) * out->layout.recordLength);
  for (uint32_t rec = 1; rec <= old.count; ++rec) {
    std::string_view r = old.Record(rec);
    std::string nr = dbf::BlankRecord(out->layout);
    nr[0] = r[0];
    for (size_t i = 0; i < cols.size(); ++i) {
      if (cols[i].from < 0) continue;
      std::string_view v = dbf::RawValue(r, old.layout.fields[cols[i].from]);
      std::copy(v.begin(), v.end(), nr.begin() + out->layout.fields[i].offset);
    }
    out->records += nr;
  }
  return Status::Ok();
}

Status Update(const Statement& s, const dbf::TableData& old, dbf::TableData* out) {
  const std::string what = Describe(s);
  struct Bound {
    int target;
    int source;
    const Assignment* a;
  };
  std::vector<Bound> bound;
  for (const Assignment& a : s.sets) {
    int t = old.layout.FindField(a.target);
    if (t < 0) return Status::Invalid(what + ": there is no column " + a.target + " to set");
    int src = -1;
    if (a.kind != Assignment::Kind::kLiteral) {
      src = old.layout.FindField(a.source);
      if (src < 0) return Status::Invalid(what + ": there is no column " + a.source);
    }
    bound.push_back({t, src, &a});
  }
  *out = old;
  for (uint32_t rec = 1; rec <= old.count; ++rec) {
    std::string_view r = old.Record(rec);
    std::string nr(r);
    for (const Bound& b : bound) {
      std::string value = b.a->kind == Assignment::Kind::kLiteral
                              ? b.a->source
                              : dbf::ReadValue(r, old.layout.fields[b.source]);
      if (b.a->kind == Assignment::Kind::kCast && value.size() > b.a->castLength) {
        value.resize(b.a->castLength);
      }
      Status st = dbf::WriteValue(&nr, old.layout.fields[b.target], value);
      if (!st.ok()) {
        return Status::Invalid(what + ": row " + std::to_string(rec) + ": " + st.message());
      }
    }
    out->records.replace(size_t(rec - 1) * old.layout.recordLength, old.layout.recordLength, nr);
  }
  return Status::Ok();
}

}  // namespace

StatusOr<Statement> Parse(std::string_view text) { return Parser(text).Run(); }

Status Execute(const Statement& s) {
  const std::string what = Describe(s);
  Env* env = CurrentEnv();
  auto host = tablefile::ResolvePath(s.table);
  if (!host.ok()) return Status::NotFound(what + ": the path names no file");
  auto locked = tablefile::OpenLocked(env, *host, LockKind::kExclusive, true, s.table);
  if (!locked.ok()) return Status::Error(locked.status().code(), what + ": " + locked.status().message());
  auto old = tablefile::Read(*locked->file, s.table);
  if (!old.ok()) return Status::Error(old.status().code(), what + ": " + old.status().message());

  dbf::TableData rewritten;
  bool needsMemo = false;
  Status st = s.kind == Statement::Kind::kAlter
                  ? Alter(s, *old, &rewritten, &needsMemo)
                  : Update(s, *old, &rewritten);
  if (!st.ok()) return st;

  std::optional<std::filesystem::path> createdMemo;
  if (needsMemo && !FindSibling(env, *host, ".dbt")) {
    std::filesystem::path memo = *host;
    std::string ext = host->extension().string();
    bool upper = !ext.empty() && std::none_of(ext.begin(), ext.end(),
                                              [](char c) { return c >= 'a' && c <= 'z'; });
    memo.replace_extension(upper ? ".DBT" : ".dbt");
    std::string bytes = EmptyMemoFile();
    st = WriteFileAtomically(env, memo, [&](WritableFile& f) { return f.Append(bytes); });
    if (!st.ok()) return Status::IoError(what + ": the memo file was not written: " + st.message());
    createdMemo = memo;
  }
  bool replaced = false;
  st = tablefile::Commit(env, *host, *old, std::move(rewritten), s.table, &replaced);
  if (!st.ok()) {
    if (createdMemo && !replaced) {
      (void)env->Remove(*createdMemo);
    }
    return Status::Error(st.code(), what + ": " + st.message());
  }
  return Status::Ok();
}

}  // namespace engine::sql

namespace engine {

Status ExecuteSql(std::string_view statement) {
  auto parsed = sql::Parse(statement);
  if (!parsed.ok()) return parsed.status();
  return sql::Execute(*parsed);
}

}  // namespace engine
