// The POSIX Env and the atomic whole-file rewrite.
#include "engine/env.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace engine {
namespace {

std::string ErrnoText(int err) { return std::strerror(err); }

Status ErrnoStatus(const std::string& what, const std::filesystem::path& path, int err) {
  std::string msg = what + " " + path.string() + ": " + ErrnoText(err);
  if (err == ENOENT) return Status::NotFound(msg);
  return Status::IoError(msg);
}

class PosixRandomAccessFile final : public RandomAccessFile {
 public:
  PosixRandomAccessFile(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}
  ~PosixRandomAccessFile() override { ::close(fd_); }

  Status ReadAt(uint64_t offset, size_t n, std::string* out) override {
    out->resize(n);
    size_t done = 0;
    while (done < n) {
      ssize_t r = ::pread(fd_, out->data() + done, n - done, static_cast<off_t>(offset + done));
      if (r < 0) {
        if (errno == EINTR) continue;
        int err = errno;
        out->clear();
        return ErrnoStatus("cannot read", path_, err);
      }
      if (r == 0) break;
      done += static_cast<size_t>(r);
    }
    out->resize(done);
    return Status::Ok();
  }

  Status WriteAt(uint64_t offset, std::string_view data) override {
    size_t done = 0;
    while (done < data.size()) {
      ssize_t r = ::pwrite(fd_, data.data() + done, data.size() - done,
                           static_cast<off_t>(offset + done));
      if (r < 0) {
        if (errno == EINTR) continue;
        return ErrnoStatus("cannot write", path_, errno);
      }
      done += static_cast<size_t>(r);
    }
    return Status::Ok();
  }

  Status Truncate(uint64_t size) override {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
      return ErrnoStatus("cannot truncate", path_, errno);
    }
    return Status::Ok();
  }

  Status Sync() override {
    if (::fsync(fd_) != 0) return ErrnoStatus("cannot flush", path_, errno);
    return Status::Ok();
  }

  StatusOr<uint64_t> Size() override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return ErrnoStatus("cannot stat", path_, errno);
    return static_cast<uint64_t>(st.st_size);
  }

  Status Lock(LockKind kind) override {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = kind == LockKind::kExclusive ? F_WRLCK
                : kind == LockKind::kShared  ? F_RDLCK
                                             : F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;
    if (::fcntl(fd_, F_OFD_SETLK, &fl) != 0) {
      int err = errno;
      if (err == EAGAIN || err == EACCES) {
        return Status::Locked("file " + path_.string() + " is in use by another program");
      }
      return ErrnoStatus("cannot lock", path_, err);
    }
    return Status::Ok();
  }

 private:
  int fd_;
  std::filesystem::path path_;
};

class PosixWritableFile final : public WritableFile {
 public:
  PosixWritableFile(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}
  ~PosixWritableFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  Status Append(std::string_view data) override {
    if (fd_ < 0) return Status::IoError("file " + path_.string() + " is closed");
    size_t done = 0;
    while (done < data.size()) {
      ssize_t r = ::write(fd_, data.data() + done, data.size() - done);
      if (r < 0) {
        if (errno == EINTR) continue;
        return ErrnoStatus("cannot write", path_, errno);
      }
      done += static_cast<size_t>(r);
    }
    return Status::Ok();
  }

  Status Sync() override {
    if (fd_ < 0) return Status::IoError("file " + path_.string() + " is closed");
    if (::fsync(fd_) != 0) return ErrnoStatus("cannot flush", path_, errno);
    return Status::Ok();
  }

  Status Close() override {
    if (fd_ < 0) return Status::Ok();
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return ErrnoStatus("cannot close", path_, errno);
    return Status::Ok();
  }

 private:
  int fd_;
  std::filesystem::path path_;
};

class PosixEnv final : public Env {
 public:
  StatusOr<std::unique_ptr<RandomAccessFile>> Open(const std::filesystem::path& path,
                                                   Access access) override {
    int flags = (access == Access::kReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    int fd = ::open(path.c_str(), flags);
    if (fd < 0) return ErrnoStatus("cannot open", path, errno);
    struct stat st;
    if (::fstat(fd, &st) == 0 && !S_ISREG(st.st_mode)) {
      ::close(fd);
      return Status::IoError("not a regular file: " + path.string());
    }
    return std::unique_ptr<RandomAccessFile>(new PosixRandomAccessFile(fd, path));
  }

  StatusOr<std::unique_ptr<WritableFile>> Create(const std::filesystem::path& path) override {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return ErrnoStatus("cannot create", path, errno);
    return std::unique_ptr<WritableFile>(new PosixWritableFile(fd, path));
  }

  Status Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    if (::rename(from.c_str(), to.c_str()) != 0) {
      return ErrnoStatus("cannot rename " + from.string() + " to", to, errno);
    }
    return Status::Ok();
  }

  Status Remove(const std::filesystem::path& path) override {
    if (::unlink(path.c_str()) != 0) return ErrnoStatus("cannot delete", path, errno);
    return Status::Ok();
  }

  Status SyncDirectory(const std::filesystem::path& dir) override {
    std::filesystem::path d = dir.empty() ? std::filesystem::path(".") : dir;
    int fd = ::open(d.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return ErrnoStatus("cannot open directory", d, errno);
    int rc = ::fsync(fd);
    int err = errno;
    ::close(fd);
    if (rc != 0) return ErrnoStatus("cannot flush directory", d, err);
    return Status::Ok();
  }

  bool Exists(const std::filesystem::path& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
  }

  StatusOr<std::string> ReadFile(const std::filesystem::path& path) override {
    auto file = Open(path, Access::kRead);
    if (!file.ok()) return file.status();
    auto size = (*file)->Size();
    if (!size.ok()) return size.status();
    std::string out;
    Status st = (*file)->ReadAt(0, static_cast<size_t>(*size), &out);
    if (!st.ok()) return st;
    return out;
  }
};

std::atomic<Env*> g_current{nullptr};

}  // namespace

StatusOr<std::vector<std::string>> Env::ListDirectory(const std::filesystem::path& dir) {
  std::error_code ec;
  std::vector<std::string> names;
  std::filesystem::directory_iterator it(dir.empty() ? std::filesystem::path(".") : dir, ec);
  if (ec) return Status::IoError("cannot list " + dir.string() + ": " + ec.message());
  for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (ec) return Status::IoError("cannot list " + dir.string() + ": " + ec.message());
    names.push_back(it->path().filename().string());
  }
  return names;
}

Env* Env::Default() {
  static PosixEnv env;
  return &env;
}

Env* CurrentEnv() {
  Env* env = g_current.load();
  return env ? env : Env::Default();
}

void SetCurrentEnv(Env* env) { g_current.store(env); }

Status WriteFileAtomically(Env* env, const std::filesystem::path& target,
                           const std::function<Status(WritableFile&)>& writer) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path dir = target.parent_path();
  std::filesystem::path temp =
      dir / ("." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
             std::to_string(counter.fetch_add(1)) + ".tmp");

  auto created = env->Create(temp);
  if (!created.ok()) return created.status();
  std::unique_ptr<WritableFile> file = std::move(created.value());

  auto fail = [&](Status st) {
    file.reset();
    (void)env->Remove(temp);
    return st;
  };

  Status st = writer(*file);
  if (!st.ok()) return fail(std::move(st));
  st = file->Sync();
  if (!st.ok()) return fail(std::move(st));
  st = file->Close();
  if (!st.ok()) return fail(std::move(st));

  // The new file gets the permission bits of the one it replaces.
  std::error_code ec;
  auto perms = std::filesystem::status(target, ec).permissions();
  if (!ec && perms != std::filesystem::perms::unknown) {
    std::filesystem::permissions(temp, perms, ec);
  }

  st = env->Rename(temp, target);
  if (!st.ok()) return fail(std::move(st));
  file.reset();
  return env->SyncDirectory(dir);
}

}  // namespace engine
