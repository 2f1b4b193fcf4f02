#include "engine/table.h"

#include <algorithm>
#include <map>

#include "engine/dbf_format.h"
#include "engine/env.h"
#include "engine/filter.h"
#include "engine/index.h"
#include "engine/table_file.h"

namespace engine {

using platform::ErrorCode;

struct Table::Impl {
  enum class Mode { kBrowse, kEdit, kAppend };

  Table* self = nullptr;
  std::string directory;
  std::string fileName;
  bool exclusive = false;
  std::string activeTagName;

  // Open state.
  bool open = false;
  Env* env = nullptr;
  std::filesystem::path hostPath;
  std::unique_ptr<RandomAccessFile> file;
  bool writable = false;
  bool lockedExclusive = false;
  dbf::TableData data;
  std::vector<FieldDef> fieldDefs;

  // Production index. `tags` also holds the definitions read while closed
  // (without keys).
  std::optional<std::filesystem::path> mdxPath;
  bool indexLoaded = false;  // the .mdx is ours to rewrite
  std::vector<index::Tag> tags;
  std::map<std::string, std::string> descendingFields;  // by upper-case tag name
  int active = -1;

  // Filter.
  std::string filterText;
  std::vector<filter::Bound> terms;
  std::function<bool(const Table&)> predicate;
  bool filtered = false;

  // View cache, rebuilt on demand after a change.
  bool viewValid = false;
  std::vector<uint32_t> view;
  std::vector<uint32_t> posOf;  // record number -> position + 1 (0: not in the view)
  mutable std::optional<std::string_view> evalRecord;  // row the predicate looks at

  // Cursor and editing.
  uint32_t current = 0;
  size_t lastPos = 0;
  bool eof = true;
  bool bof = true;
  Mode mode = Mode::kBrowse;
  std::string pending;
  uint32_t editRec = 0;

  int batch = 0;
  bool indexDirty = false;
  bool scrollPending = false;
  bool syncPending = false;  // rows written inside a batch, not yet flushed

  // Flushes the rows just written, or, inside a batch, notes that the
  // outermost EndBatch must: one flush per walk instead of one per row.
  Status SyncRows() {
    if (batch > 0) {
      syncPending = true;
      return Status::Ok();
    }
    return file->Sync();
  }

  std::string Name() const {
    if (directory.empty()) return fileName;
    std::string d = directory;
    if (d.back() != '\\' && d.back() != '/') d += '\\';
    return d + fileName;
  }

  // The configured name to map to a host path: a host-form directory is
  // joined with "/".
  std::string PathForResolve() const {
    if (directory.empty() || directory[0] != '/') return Name();
    std::string d = directory;
    if (d.back() != '/') d += '/';
    return d + fileName;
  }

  // --- view ---
  bool Passes(uint32_t rec) const {
    if (data.Deleted(rec)) return false;
    if (!filtered) return true;
    std::string_view r = data.Record(rec);
    if (!terms.empty() && !filter::Matches(terms, data.layout, r)) return false;
    if (predicate) {
      evalRecord = r;
      bool ok = predicate(*self);
      evalRecord.reset();
      return ok;
    }
    return true;
  }

  void EnsureView() {
    if (viewValid) return;
    view.clear();
    posOf.assign(size_t(data.count) + 1, 0);
    if (open) {
      if (active < 0) {
        for (uint32_t rec = 1; rec <= data.count; ++rec) {
          if (Passes(rec)) view.push_back(rec);
        }
      } else {
        const index::Tag& tag = tags[active];
        const std::string* lastKey = nullptr;
        auto take = [&](const mdx::Key& k) {
          if (k.second == 0 || k.second > data.count) return;
          if (tag.info.unique && lastKey && *lastKey == k.first) return;
          if (data.Deleted(k.second)) return;
          if (tag.info.unique) lastKey = &k.first;
          if (Passes(k.second)) view.push_back(k.second);
        };
        if (tag.info.descending) {
          for (auto it = tag.keys.rbegin(); it != tag.keys.rend(); ++it) take(*it);
        } else {
          for (const mdx::Key& k : tag.keys) take(k);
        }
      }
    }
    for (size_t i = 0; i < view.size(); ++i) posOf[view[i]] = static_cast<uint32_t>(i + 1);
    viewValid = true;
  }

  void Invalidate() { viewValid = false; }

  std::optional<size_t> PositionOf(uint32_t rec) {
    EnsureView();
    if (rec == 0 || rec >= posOf.size() || posOf[rec] == 0) return std::nullopt;
    return posOf[rec] - 1;
  }

  void GoTo(size_t pos) {
    current = view[pos];
    lastPos = pos;
    eof = bof = false;
  }

  // After the view changed: keep the current row when it is still there,
  // else take the row now at the old position (or the last).
  void Relocate() {
    EnsureView();
    if (auto p = PositionOf(current)) {
      lastPos = *p;
      if (!view.empty()) eof = bof = false;
      return;
    }
    if (view.empty()) {
      current = 0;
      lastPos = 0;
      eof = bof = true;
      return;
    }
    GoTo(std::min(lastPos, view.size() - 1));
  }

  // Makes the first (last false) or last row of the view current.
  bool GoToEnd(bool last) {
    if (!open) return false;
    mode = Mode::kBrowse;
    EnsureView();
    if (view.empty()) {
      current = 0;
      eof = bof = true;
      return false;
    }
    GoTo(last ? view.size() - 1 : 0);
    Scrolled();
    return true;
  }

  void Scrolled() {
    if (batch > 0) {
      scrollPending = true;
      return;
    }
    if (self->afterScroll) self->afterScroll(*self);
  }

  // --- index ---
  Status WriteIndexNow() {
    indexDirty = false;
    if (!indexLoaded || !mdxPath) return Status::Ok();
    Status st = index::WriteIndex(env, *mdxPath, hostPath, tags, data.layout.LanguageDriver());
    if (!st.ok()) {
      return Status::IoError("production index of table " + Name() + " was not written: " +
                             st.message());
    }
    return st;
  }

  Status IndexChanged() {
    if (!indexLoaded) return Status::Ok();
    if (batch > 0) {
      indexDirty = true;
      return Status::Ok();
    }
    return WriteIndexNow();
  }

  // Reads the tag list (and, when `build`, the keys) of the claimed .mdx.
  // `indexError` receives why a claimed index could not be used.
  void LoadIndexState(Status* indexError) {
    tags.clear();
    indexLoaded = false;
    mdxPath = index::FindMdx(env, hostPath);
    if (data.layout.ProductionFlag() == 0 || !mdxPath) return;
    auto loaded = index::LoadIndex(env, *mdxPath, data);
    if (!loaded.ok()) {
      *indexError = Status::Corrupt("production index of table " + Name() +
                                    " cannot be read: " + loaded.status().message());
      return;
    }
    tags = std::move(loaded->tags);
    indexLoaded = true;
  }

  Status LoadData() {
    auto read = tablefile::Read(*file, Name());
    if (!read.ok()) return read.status();
    data = std::move(read.value());
    fieldDefs.clear();
    for (const dbf::Field& f : data.layout.fields) fieldDefs.push_back(f.def);
    return Status::Ok();
  }

  std::optional<std::string_view> CurrentRecord() const {
    if (evalRecord) return evalRecord;
    if (!open) return std::nullopt;
    if (mode != Mode::kBrowse) return std::string_view(pending);
    if (current == 0 || current > data.count) return std::nullopt;
    return data.Record(current);
  }

  Status WriteHeaderDateAndCount(uint32_t count) {
    std::string bytes = dbf::TodayBytes();
    bytes.resize(7);
    std::string tmp(8, '\0');
    dbf::PutU32(tmp, 0, count);
    std::copy(tmp.begin(), tmp.begin() + 4, bytes.begin() + 3);
    return file->WriteAt(dbf::kDateOffset, bytes);
  }

  uint64_t RecordOffset(uint32_t rec) const {
    return data.layout.headerLength + uint64_t(rec - 1) * data.layout.recordLength;
  }

  Status CheckWritable() const {
    if (!open) return Status::Invalid("table " + Name() + " is not open");
    if (!writable) return Status::IoError("table " + Name() + " is open read-only");
    return Status::Ok();
  }
};

Table::Table() : impl_(std::make_unique<Impl>()) { impl_->self = this; }
Table::~Table() { Close(); }

void Table::SetDatabaseName(std::string directory) {
  if (!impl_->open) impl_->directory = std::move(directory);
}
void Table::SetTableName(std::string fileName) {
  if (!impl_->open) impl_->fileName = std::move(fileName);
}
const std::string& Table::DatabaseName() const { return impl_->directory; }
const std::string& Table::TableName() const { return impl_->fileName; }
std::string Table::FullName() const { return impl_->Name(); }
void Table::SetExclusive(bool exclusive) {
  if (!impl_->open) impl_->exclusive = exclusive;
}
bool Table::Exclusive() const { return impl_->exclusive; }

Status Table::Open() {
  Impl& m = *impl_;
  if (m.open) return Status::Ok();
  m.env = CurrentEnv();
  auto host = tablefile::ResolvePath(m.PathForResolve());
  if (!host.ok()) return Status::NotFound("table " + m.Name() + " not found");
  m.hostPath = *host;
  auto locked = tablefile::OpenLocked(m.env, m.hostPath,
                                      m.exclusive ? LockKind::kExclusive : LockKind::kShared,
                                      false, m.Name());
  if (!locked.ok()) return locked.status();
  m.file = std::move(locked->file);
  m.writable = locked->writable;
  m.lockedExclusive = m.exclusive;

  auto fail = [&](Status st) {
    m.file.reset();
    m.data = {};
    m.tags.clear();
    m.indexLoaded = false;
    return st;
  };
  Status st = m.LoadData();
  if (!st.ok()) return fail(std::move(st));

  Status indexError;
  m.LoadIndexState(&indexError);
  m.active = -1;
  if (!m.activeTagName.empty()) {
    if (!indexError.ok()) return fail(indexError);
    m.active = index::FindTag(m.tags, m.activeTagName);
    if (m.active < 0) {
      return fail(Status::NotFound("table " + m.Name() + " has no index tag " + m.activeTagName));
    }
  }
  m.terms.clear();
  if (!m.filterText.empty()) {
    auto compiled = filter::Compile(m.filterText, m.data.layout);
    if (!compiled.ok()) return fail(compiled.status());
    m.terms = std::move(compiled.value());
  }

  m.open = true;
  m.mode = Impl::Mode::kBrowse;
  m.batch = 0;
  m.indexDirty = m.scrollPending = m.syncPending = false;
  m.Invalidate();
  m.current = 0;
  m.lastPos = 0;
  m.Relocate();
  return Status::Ok();
}

void Table::Close() {
  Impl& m = *impl_;
  if (!m.open) return;
  if (m.syncPending) (void)m.file->Sync();
  if (m.indexDirty) (void)m.WriteIndexNow();
  m.mode = Impl::Mode::kBrowse;
  m.pending.clear();
  m.file.reset();
  m.open = false;
  m.data = {};
  for (index::Tag& t : m.tags) t.keys.clear();
  m.batch = 0;
  m.indexDirty = m.scrollPending = m.syncPending = false;
  m.current = 0;
  m.eof = m.bof = true;
  m.Invalidate();
  m.view.clear();
  m.posOf.clear();
}

bool Table::IsOpen() const { return impl_->open; }

// --- tags ---

Status Table::SetActiveTag(std::string_view name) {
  Impl& m = *impl_;
  if (!m.open) {
    m.activeTagName = std::string(name);
    return Status::Ok();
  }
  int idx = -1;
  if (!name.empty()) {
    idx = index::FindTag(m.tags, name);
    if (idx < 0) {
      return Status::NotFound("table " + m.Name() + " has no index tag " + std::string(name));
    }
  }
  m.activeTagName = std::string(name);
  if (idx != m.active) {
    m.active = idx;
    m.Invalidate();
    m.Relocate();
  }
  return Status::Ok();
}

const std::string& Table::ActiveTag() const { return impl_->activeTagName; }

Status Table::RefreshTagDefs() {
  Impl& m = *impl_;
  if (m.open) {
    Status indexError;
    std::string activeName = m.active >= 0 ? m.tags[m.active].info.name : std::string();
    m.LoadIndexState(&indexError);
    m.active = activeName.empty() ? -1 : index::FindTag(m.tags, activeName);
    if (m.active < 0) m.activeTagName.clear();
    m.Invalidate();
    m.Relocate();
    return indexError;
  }
  // Closed: read the definitions from the files without locking.
  m.tags.clear();
  Env* env = CurrentEnv();
  auto host = tablefile::ResolvePath(m.PathForResolve());
  if (!host.ok()) return host.status();
  auto file = tablefile::OpenLocked(env, *host, LockKind::kNone, false, m.Name());
  if (!file.ok()) return file.status();
  auto data = tablefile::Read(*file->file, m.Name());
  if (!data.ok()) return data.status();
  auto mdxPath = index::FindMdx(env, *host);
  if (data->layout.ProductionFlag() == 0 || !mdxPath) return Status::Ok();
  auto list = mdx::ReadTagList(env, *mdxPath);
  if (!list.ok()) {
    return Status::Corrupt("production index of table " + m.Name() + " cannot be read: " +
                           list.status().message());
  }
  for (const mdx::TagInfo& info : *list) {
    auto expr = index::ParseKeyExpr(info.expression, data->layout);
    if (!expr.ok() || info.keyType != 'C') continue;
    index::Tag tag;
    tag.info = info;
    tag.expr = std::move(expr.value());
    m.tags.push_back(std::move(tag));
  }
  return Status::Ok();
}

std::vector<TagDef> Table::Tags() const {
  std::vector<TagDef> out;
  for (const index::Tag& t : impl_->tags) {
    TagDef d;
    d.name = t.info.name;
    d.expression = t.info.expression;
    d.options = kExpression | (t.info.descending ? kDescending : 0u) |
                (t.info.unique ? kUnique : 0u);
    auto it = impl_->descendingFields.find(dbf::UpperAscii(t.info.name));
    if (it != impl_->descendingFields.end()) d.descendingFields = it->second;
    out.push_back(std::move(d));
  }
  return out;
}

bool Table::HasTag(std::string_view name) const { return index::FindTag(impl_->tags, name) >= 0; }

Status Table::AddTag(const TagDef& def) {
  Impl& m = *impl_;
  if (!m.open) {
    bool wasExclusive = m.exclusive;
    std::string wasActive = m.activeTagName;
    m.exclusive = true;
    m.activeTagName.clear();
    Status st = Open();
    m.exclusive = wasExclusive;
    m.activeTagName = wasActive;
    if (!st.ok()) return st;
    st = AddTag(def);
    Close();
    return st;
  }
  if (!m.lockedExclusive) {
    return Status::Invalid("table " + m.Name() + " must be open exclusively to add index tag " +
                           def.name);
  }
  if (Status st = m.CheckWritable(); !st.ok()) return st;
  auto tag = index::MakeTag(def.name, def.expression, (def.options & kDescending) != 0,
                            (def.options & kUnique) != 0, m.data);
  if (!tag.ok()) {
    return Status::Invalid("index tag " + def.name + " of table " + m.Name() + ": " +
                           tag.status().message());
  }
  std::vector<index::Tag> newTags = m.tags;
  int existing = index::FindTag(newTags, def.name);
  if (existing >= 0) {
    newTags[existing] = std::move(tag.value());
  } else {
    if (newTags.size() >= index::kMaxTags) {
      return Status::Invalid("table " + m.Name() + " already has " +
                             std::to_string(index::kMaxTags) + " index tags");
    }
    newTags.push_back(std::move(tag.value()));
  }
  // An index the header claims but which could not be read is replaced.
  std::filesystem::path mdxPath = index::MdxPathFor(m.env, m.hostPath);
  Status st = index::WriteIndex(m.env, mdxPath, m.hostPath, newTags,
                                m.data.layout.LanguageDriver());
  if (!st.ok()) {
    return Status::IoError("production index of table " + m.Name() + " was not written: " +
                           st.message());
  }
  std::string activeName = m.active >= 0 ? m.tags[m.active].info.name : std::string();
  m.tags = std::move(newTags);
  m.mdxPath = mdxPath;
  m.indexLoaded = true;
  m.descendingFields[dbf::UpperAscii(def.name)] = def.descendingFields;
  m.active = activeName.empty() ? -1 : index::FindTag(m.tags, activeName);

  // Header: claim the production index and flag the single-column tags.
  dbf::Layout layout = m.data.layout;
  layout.prefix[dbf::kProductionFlagOffset] = 1;
  index::SetFieldFlags(&layout, m.tags);
  st = m.file->WriteAt(dbf::kProductionFlagOffset, std::string(1, '\1'));
  for (size_t i = 0; st.ok() && i < layout.fields.size(); ++i) {
    char flag = layout.fields[i].descriptor[dbf::kFieldFlagOffset];
    if (flag != m.data.layout.fields[i].descriptor[dbf::kFieldFlagOffset]) {
      st = m.file->WriteAt(dbf::kHeaderPrefix + i * dbf::kDescriptorSize + dbf::kFieldFlagOffset,
                           std::string(1, flag));
    }
  }
  if (st.ok()) st = m.file->Sync();
  if (!st.ok()) {
    return Status::IoError("header of table " + m.Name() + " was not written: " + st.message());
  }
  m.data.layout = std::move(layout);
  m.Invalidate();
  m.Relocate();
  return Status::Ok();
}

// --- filter ---

Status Table::SetFilter(std::string_view text) {
  Impl& m = *impl_;
  std::vector<filter::Bound> terms;
  if (!text.empty()) {
    if (m.open) {
      auto compiled = filter::Compile(text, m.data.layout);
      if (!compiled.ok()) return compiled.status();
      terms = std::move(compiled.value());
    } else {
      auto parsed = filter::Parse(text);
      if (!parsed.ok()) return parsed.status();
    }
  }
  m.filterText = std::string(text);
  m.terms = std::move(terms);
  m.predicate = nullptr;
  if (m.open && m.filtered) {
    uint32_t before = m.current;
    m.Invalidate();
    m.Relocate();
    if (m.current != before) m.Scrolled();
  }
  return Status::Ok();
}

void Table::SetFilterPredicate(std::function<bool(const Table&)> predicate) {
  Impl& m = *impl_;
  m.predicate = std::move(predicate);
  m.filterText.clear();
  m.terms.clear();
  if (m.open && m.filtered) {
    uint32_t before = m.current;
    m.Invalidate();
    m.Relocate();
    if (m.current != before) m.Scrolled();
  }
}

const std::string& Table::FilterText() const { return impl_->filterText; }

void Table::SetFiltered(bool on) {
  Impl& m = *impl_;
  if (m.filtered == on) return;
  m.filtered = on;
  if (m.open) {
    uint32_t before = m.current;
    m.Invalidate();
    m.Relocate();
    if (m.current != before) m.Scrolled();
  }
}

bool Table::Filtered() const { return impl_->filtered; }

std::string Table::QuoteLiteral(std::string_view value) {
  std::string out = "'";
  for (char c : value) {
    out += c;
    if (c == '\'') out += '\'';
  }
  out += '\'';
  return out;
}

// --- cursor ---

size_t Table::RecordCount() const {
  if (!impl_->open) return 0;
  impl_->EnsureView();
  return impl_->view.size();
}

bool Table::First() { return impl_->GoToEnd(false); }
bool Table::Last() { return impl_->GoToEnd(true); }

bool Table::Next() {
  Impl& m = *impl_;
  if (!m.open) return false;
  m.mode = Impl::Mode::kBrowse;
  auto pos = m.PositionOf(m.current);
  if (!pos || *pos + 1 >= m.view.size()) {
    m.eof = true;
    if (m.view.empty()) m.bof = true;
    return false;
  }
  m.GoTo(*pos + 1);
  m.Scrolled();
  return true;
}

bool Table::Prior() {
  Impl& m = *impl_;
  if (!m.open) return false;
  m.mode = Impl::Mode::kBrowse;
  auto pos = m.PositionOf(m.current);
  if (!pos || *pos == 0) {
    m.bof = true;
    if (m.view.empty()) m.eof = true;
    return false;
  }
  m.GoTo(*pos - 1);
  m.Scrolled();
  return true;
}

bool Table::Eof() const { return !impl_->open || impl_->eof; }
bool Table::Bof() const { return !impl_->open || impl_->bof; }
bool Table::IsEmpty() const { return RecordCount() == 0; }

std::optional<size_t> Table::Position() const {
  if (!impl_->open) return std::nullopt;
  return impl_->PositionOf(impl_->current);
}

bool Table::MoveTo(size_t position) {
  Impl& m = *impl_;
  if (!m.open) return false;
  m.EnsureView();
  if (position >= m.view.size()) return false;
  m.mode = Impl::Mode::kBrowse;
  bool changed = m.view[position] != m.current;
  m.GoTo(position);
  if (changed) m.Scrolled();
  return true;
}

uint32_t Table::RecNo() const {
  if (!impl_->open) return 0;
  return impl_->PositionOf(impl_->current) ? impl_->current : 0;
}

StatusOr<bool> Table::Seek(std::string_view key) {
  Impl& m = *impl_;
  if (!m.open) return Status::Invalid("table " + m.Name() + " is not open");
  if (m.active < 0) {
    return Status::NotFound("table " + m.Name() + ": no index tag is active for a key search");
  }
  const index::Tag& tag = m.tags[m.active];
  std::string padded = index::PadKey(key, tag.info.keyLength);
  m.EnsureView();
  std::optional<size_t> best;
  for (auto it = tag.keys.lower_bound({padded, 0}); it != tag.keys.end() && it->first == padded;
       ++it) {
    if (auto p = m.PositionOf(it->second); p && (!best || *p < *best)) best = p;
  }
  if (!best) return false;
  m.mode = Impl::Mode::kBrowse;
  m.GoTo(*best);
  m.Scrolled();
  return true;
}

Bookmark Table::GetBookmark() const { return Bookmark{RecNo()}; }

bool Table::GotoBookmark(Bookmark mark) {
  Impl& m = *impl_;
  if (!m.open) return false;
  auto p = m.PositionOf(mark.record);
  if (!p) return false;
  m.mode = Impl::Mode::kBrowse;
  m.GoTo(*p);
  m.Scrolled();
  return true;
}

bool Table::BookmarkValid(Bookmark mark) const {
  return impl_->open && impl_->PositionOf(mark.record).has_value();
}

// --- editing ---

void Table::Append() {
  Impl& m = *impl_;
  if (!m.open) return;
  m.mode = Impl::Mode::kAppend;
  m.pending = dbf::BlankRecord(m.data.layout);
  m.editRec = 0;
}

bool Table::Edit() {
  Impl& m = *impl_;
  if (!m.open) return false;
  if (m.mode == Impl::Mode::kEdit) return true;
  if (m.mode == Impl::Mode::kAppend) return false;
  if (!m.PositionOf(m.current)) return false;
  m.mode = Impl::Mode::kEdit;
  m.editRec = m.current;
  m.pending = std::string(m.data.Record(m.current));
  return true;
}

Status Table::Post() {
  Impl& m = *impl_;
  if (Status st = m.CheckWritable(); !st.ok()) return st;
  if (m.mode == Impl::Mode::kBrowse) {
    return Status::Invalid("table " + m.Name() + ": there is no row being edited to post");
  }
  uint32_t rec;
  bool keepView = false;
  if (m.mode == Impl::Mode::kAppend) {
    // Rows another program appended since the table was read come first.
    std::string countBytes;
    Status st = m.file->ReadAt(dbf::kCountOffset, 4, &countBytes);
    if (st.ok() && countBytes.size() == 4 && dbf::GetU32(countBytes, 0) > m.data.count) {
      (void)Refresh();
    }
    rec = m.data.count + 1;
    std::string bytes = m.pending;
    bytes += dbf::kEofByte;
    st = m.file->WriteAt(m.RecordOffset(rec), bytes);
    if (st.ok()) st = m.WriteHeaderDateAndCount(rec);
    if (st.ok()) st = m.SyncRows();
    if (!st.ok()) {
      return Status::IoError("row of table " + m.Name() + " was not written: " + st.message());
    }
    m.data.records += m.pending;
    m.data.count = rec;
    m.data.layout.storedCount = rec;
    for (index::Tag& tag : m.tags) {
      tag.keys.emplace(index::MakeKey(tag.expr, m.data.layout, m.pending), rec);
    }
    // In natural order a new row can only join the end of the view, so the
    // cached view is extended instead of rebuilt.
    if (m.viewValid && m.active < 0) {
      m.posOf.resize(size_t(rec) + 1, 0);
      if (m.Passes(rec)) {
        m.view.push_back(rec);
        m.posOf[rec] = static_cast<uint32_t>(m.view.size());
      }
      keepView = true;
    }
  } else {
    rec = m.editRec;
    Status st = m.file->WriteAt(m.RecordOffset(rec), m.pending);
    if (st.ok()) st = m.WriteHeaderDateAndCount(m.data.count);
    if (st.ok()) st = m.SyncRows();
    if (!st.ok()) {
      return Status::IoError("row of table " + m.Name() + " was not written: " + st.message());
    }
    std::string_view old = m.data.Record(rec);
    // The cached view survives an edit that keeps the row's key in the
    // active order and its place in or out of the view; rebuilding it after
    // every post made a walk that edits every row quadratic.
    bool orderKept = true;
    for (size_t i = 0; i < m.tags.size(); ++i) {
      index::Tag& tag = m.tags[i];
      std::string oldKey = index::MakeKey(tag.expr, m.data.layout, old);
      std::string newKey = index::MakeKey(tag.expr, m.data.layout, m.pending);
      if (oldKey == newKey) continue;  // most edits leave most tags alone
      if (int(i) == m.active) orderKept = false;
      tag.keys.erase({std::move(oldKey), rec});
      tag.keys.emplace(std::move(newKey), rec);
    }
    const bool wasInView = m.viewValid && rec < m.posOf.size() && m.posOf[rec] != 0;
    m.data.records.replace(size_t(rec - 1) * m.data.layout.recordLength,
                           m.data.layout.recordLength, m.pending);
    keepView = m.viewValid && orderKept && wasInView == m.Passes(rec);
  }
  m.mode = Impl::Mode::kBrowse;
  m.pending.clear();
  if (!keepView) m.Invalidate();
  uint32_t before = m.current;
  m.current = rec;
  m.Relocate();
  Status st = m.IndexChanged();
  if (afterPost) afterPost(*this);
  if (m.current != before) m.Scrolled();
  return st;
}

void Table::Cancel() {
  impl_->mode = Impl::Mode::kBrowse;
  impl_->pending.clear();
}

bool Table::Editing() const { return impl_->mode != Impl::Mode::kBrowse; }

Status Table::Delete() {
  Impl& m = *impl_;
  if (Status st = m.CheckWritable(); !st.ok()) return st;
  Cancel();
  auto pos = m.PositionOf(m.current);
  if (!pos) return Status::NotFound("table " + m.Name() + ": there is no current row to delete");
  uint32_t rec = m.current;
  Status st = m.file->WriteAt(m.RecordOffset(rec), std::string(1, dbf::kDeletedMark));
  if (st.ok()) st = m.WriteHeaderDateAndCount(m.data.count);
  if (st.ok()) st = m.SyncRows();
  if (!st.ok()) {
    return Status::IoError("row of table " + m.Name() + " was not deleted: " + st.message());
  }
  m.data.records[size_t(rec - 1) * m.data.layout.recordLength] = dbf::kDeletedMark;
  m.Invalidate();
  m.lastPos = *pos;
  m.Relocate();
  st = m.IndexChanged();
  if (afterDelete) afterDelete(*this);
  m.Scrolled();
  return st;
}

Status Table::Refresh() {
  Impl& m = *impl_;
  if (!m.open) return Status::Invalid("table " + m.Name() + " is not open");
  Status st = m.LoadData();
  if (!st.ok()) return st;
  std::vector<index::Tag> kept;
  std::string activeName = m.active >= 0 ? m.tags[m.active].info.name : std::string();
  for (index::Tag& tag : m.tags) {
    auto expr = index::ParseKeyExpr(tag.info.expression, m.data.layout);
    if (!expr.ok()) continue;
    tag.expr = std::move(expr.value());
    tag.info.keyLength = tag.expr.length;
    index::BuildKeys(&tag, m.data);
    kept.push_back(std::move(tag));
  }
  m.tags = std::move(kept);
  m.active = activeName.empty() ? -1 : index::FindTag(m.tags, activeName);
  if (!m.filterText.empty()) {
    auto compiled = filter::Compile(m.filterText, m.data.layout);
    m.terms = compiled.ok() ? std::move(compiled.value()) : std::vector<filter::Bound>{};
  }
  if (m.mode == Impl::Mode::kEdit && m.editRec > m.data.count) Cancel();
  m.Invalidate();
  m.Relocate();
  return Status::Ok();
}

// --- fields ---

const std::vector<FieldDef>& Table::Fields() const { return impl_->fieldDefs; }

std::optional<FieldDef> Table::FindField(std::string_view name) const {
  for (const FieldDef& f : impl_->fieldDefs) {
    if (dbf::EqualsIgnoreCase(f.name, name)) return f;
  }
  return std::nullopt;
}

bool Table::HasField(std::string_view name) const { return FindField(name).has_value(); }

std::string Table::GetString(std::string_view field) const {
  const Impl& m = *impl_;
  auto rec = m.CurrentRecord();
  if (!rec) return {};
  int idx = m.data.layout.FindField(field);
  if (idx < 0) return {};
  return dbf::ReadValue(*rec, m.data.layout.fields[idx]);
}

std::optional<bool> Table::GetBool(std::string_view field) const {
  const Impl& m = *impl_;
  auto rec = m.CurrentRecord();
  if (!rec) return std::nullopt;
  int idx = m.data.layout.FindField(field);
  if (idx < 0 || m.data.layout.fields[idx].def.type != 'L') return std::nullopt;
  std::string_view raw = dbf::RawValue(*rec, m.data.layout.fields[idx]);
  if (raw.empty()) return std::nullopt;
  switch (raw[0]) {
    case 'T': case 't': case 'Y': case 'y': return true;
    case 'F': case 'f': case 'N': case 'n': return false;
    default: return std::nullopt;
  }
}

Status Table::SetString(std::string_view field, std::string_view value) {
  Impl& m = *impl_;
  if (!m.open || m.mode == Impl::Mode::kBrowse) {
    return Status::Invalid("table " + m.Name() + " is not being edited");
  }
  int idx = m.data.layout.FindField(field);
  if (idx < 0) {
    return Status::NotFound("table " + m.Name() + " has no column " + std::string(field));
  }
  return dbf::WriteValue(&m.pending, m.data.layout.fields[idx], value);
}

Status Table::SetBool(std::string_view field, bool value) {
  Impl& m = *impl_;
  auto def = FindField(field);
  if (def && def->type != 'L') {
    return Status::Invalid("column " + def->name + " of table " + m.Name() + " is not logical");
  }
  return SetString(field, value ? "T" : "F");
}

// --- batch ---

void Table::BeginBatch() { ++impl_->batch; }

Status Table::EndBatch() {
  Impl& m = *impl_;
  if (m.batch == 0) return Status::Ok();
  if (--m.batch > 0) return Status::Ok();
  Status st;
  if (m.syncPending && m.open) {
    m.syncPending = false;
    st = m.file->Sync();
    if (!st.ok()) st = Status::IoError("rows of table " + m.Name() + " were not flushed: " + st.message());
  }
  if (m.indexDirty && m.open) {
    Status ist = m.WriteIndexNow();
    if (st.ok()) st = ist;
  }
  if (m.scrollPending) {
    m.scrollPending = false;
    if (m.open && afterScroll) afterScroll(*this);
  }
  return st;
}

uint8_t Table::ProductionIndexFlag() const {
  return impl_->open ? impl_->data.layout.ProductionFlag() : 0;
}
uint8_t Table::LanguageDriver() const {
  return impl_->open ? impl_->data.layout.LanguageDriver() : 0;
}

// --- pack ---

Status PackTable(const std::string& path) {
  Env* env = CurrentEnv();
  auto host = tablefile::ResolvePath(path);
  if (!host.ok()) return host.status();
  auto locked = tablefile::OpenLocked(env, *host, LockKind::kExclusive, true, path);
  if (!locked.ok()) return locked.status();
  auto old = tablefile::Read(*locked->file, path);
  if (!old.ok()) return old.status();
  dbf::TableData packed;
  packed.layout = old->layout;
  packed.records.reserve(old->records.size());
  for (uint32_t rec = 1; rec <= old->count; ++rec) {
    if (old->Deleted(rec)) continue;
    packed.records.append(old->Record(rec));
    ++packed.count;
  }
  Status st = tablefile::Commit(env, *host, *old, std::move(packed), path);
  if (!st.ok()) return Status::Error(st.code(), "pack: " + st.message());
  return st;
}

}  // namespace engine
