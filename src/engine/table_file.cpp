#include "engine/table_file.h"

#include "engine/index.h"
#include "platform/paths.h"

namespace engine::tablefile {

using platform::ErrorCode;
using platform::Status;
using platform::StatusOr;

StatusOr<LockedFile> OpenLocked(Env* env, const std::filesystem::path& path, LockKind lock,
                                bool requireWrite, const std::string& name) {
  LockedFile out;
  auto rw = env->Open(path, Env::Access::kReadWrite);
  if (rw.ok()) {
    out.file = std::move(rw.value());
    out.writable = true;
  } else if (rw.status().code() == ErrorCode::kNotFound) {
    return Status::NotFound("table " + name + " not found");
  } else if (requireWrite || lock == LockKind::kExclusive) {
    return Status::IoError("table " + name + " cannot be opened for writing: " +
                           rw.status().message());
  } else {
    auto ro = env->Open(path, Env::Access::kRead);
    if (!ro.ok()) {
      return Status::Error(ro.status().code() == ErrorCode::kNotFound ? ErrorCode::kNotFound
                                                                        : ErrorCode::kIoError,
                           "table " + name + " cannot be opened: " + ro.status().message());
    }
    out.file = std::move(ro.value());
  }
  if (lock != LockKind::kNone) {
    Status st = out.file->Lock(lock);
    if (!st.ok()) {
      if (st.code() == ErrorCode::kLocked) {
        return Status::Locked("table " + name + " is in use by another program");
      }
      return st;
    }
  }
  return out;
}

StatusOr<dbf::TableData> Read(RandomAccessFile& file, const std::string& name) {
  auto size = file.Size();
  if (!size.ok()) return size.status();
  if (*size > (uint64_t(1) << 31)) {
    return Status::Unsupported("table " + name + " is too large");
  }
  std::string bytes;
  Status st = file.ReadAt(0, static_cast<size_t>(*size), &bytes);
  if (!st.ok()) return Status::IoError("table " + name + " cannot be read: " + st.message());
  return dbf::ParseTable(bytes, name);
}

static Status ClearClaimInPlace(Env* env, const std::filesystem::path& path) {
  auto file = env->Open(path, Env::Access::kReadWrite);
  if (!file.ok()) return file.status();
  Status st = (*file)->WriteAt(dbf::kProductionFlagOffset, std::string(1, '\0'));
  if (st.ok()) st = (*file)->Sync();
  return st;
}

Status Commit(Env* env, const std::filesystem::path& path, const dbf::TableData& old,
              dbf::TableData rewritten, const std::string& name, bool* replaced) {
  if (replaced) *replaced = false;
  std::optional<std::filesystem::path> mdxPath;
  std::vector<index::Tag> tags;
  bool writeIndex = false;
  if (old.layout.ProductionFlag() != 0) {
    mdxPath = index::FindMdx(env, path);
    if (mdxPath) {
      auto list = mdx::ReadTagList(env, *mdxPath);
      if (list.ok()) {
        for (const mdx::TagInfo& info : *list) {
          auto tag = index::MakeTag(info.name, info.expression, info.descending, info.unique,
                                    rewritten);
          if (tag.ok() && index::FindTag(tags, info.name) < 0) {
            tag->info.name = info.name;
            tags.push_back(std::move(tag.value()));
          }
        }
      }
      writeIndex = list.ok() && !tags.empty();
    }
  }
  if (writeIndex) {
    index::SetFieldFlags(&rewritten.layout, tags);
  } else if (rewritten.layout.ProductionFlag() != 0) {
    rewritten.layout.prefix[dbf::kProductionFlagOffset] = 0;
    index::SetFieldFlags(&rewritten.layout, {});
  }

  // Header, rows and end byte go to the new file in turn, so the rows are
  // not copied once more into one buffer.
  const std::string header = dbf::SerializeHeader(rewritten.layout, rewritten.count);
  Status st = WriteFileAtomically(env, path, [&](WritableFile& out) {
    Status s = out.Append(header);
    if (s.ok()) s = out.Append(rewritten.records);
    if (s.ok()) s = out.Append(std::string_view(&dbf::kEofByte, 1));
    return s;
  });
  if (!st.ok()) return Status::IoError("table " + name + " was not changed: " + st.message());
  if (replaced) *replaced = true;

  if (writeIndex) {
    st = index::WriteIndex(env, *mdxPath, path, tags, rewritten.layout.LanguageDriver());
    if (!st.ok()) {
      // The table is new; an index that no longer matches it must not stay
      // claimed. Opening the table again rebuilds the tags.
      (void)ClearClaimInPlace(env, path);
      (void)env->Remove(*mdxPath);
      return Status::IoError("table " + name +
                             " was rewritten, but its production index could not be written "
                             "and was removed: " + st.message());
    }
  } else if (mdxPath && env->Exists(*mdxPath)) {
    (void)env->Remove(*mdxPath);
  }
  return Status::Ok();
}

StatusOr<std::filesystem::path> ResolvePath(std::string_view path) {
  auto host = platform::ToHost(path);
  if (!host) return Status::NotFound("table " + std::string(path) + " names no file");
  return *host;
}

}  // namespace engine::tablefile
