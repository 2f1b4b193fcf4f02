#include "platform/fs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <system_error>

#include "platform/paths.h"
#include "platform/unique_fd.h"

namespace platform {
namespace fs = std::filesystem;

namespace {

std::optional<std::string> Host(std::string_view path) {
  auto host = ToHost(path);
  if (!host) return std::nullopt;
  return host->native();
}

bool StatHost(std::string_view path, struct stat& st) {
  auto host = Host(path);
  return host && ::stat(host->c_str(), &st) == 0;
}
using Fd = platform::UniqueFd;

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Copies the rest of `in` to `out`; false on any read or write error.
bool CopyContent(int in, int out) {
  char buffer[64 * 1024];
  for (;;) {
    ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    if (!WriteAll(out, buffer, static_cast<std::size_t>(n))) return false;
  }
}

// Flushes a directory's entries (a rename into it) to disk; best effort.
void SyncDirectory(const fs::path& dir) {
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool FileExists(std::string_view path) {
  struct stat st;
  return StatHost(path, st) && S_ISREG(st.st_mode);
}

bool DirectoryExists(std::string_view path) {
  struct stat st;
  return StatHost(path, st) && S_ISDIR(st.st_mode);
}

bool DeleteFile(std::string_view path) {
  auto host = Host(path);
  if (!host) return false;
  struct stat st;
  if (::lstat(host->c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return ::unlink(host->c_str()) == 0;
}

bool CopyFile(std::string_view from, std::string_view to) {
  auto src = Host(from);
  auto dstHost = ToHost(to);
  if (!src || !dstHost) return false;
  fs::path dst = *dstHost;

  // Replace what a link points to, not the link.
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(dst, ec))) {
    fs::path target = fs::weakly_canonical(dst, ec);
    if (ec) return false;
    dst = target;
  }
  struct stat dstStat;
  if (::stat(dst.c_str(), &dstStat) == 0) {
    if (!S_ISREG(dstStat.st_mode)) return false;
    if (!(dstStat.st_mode & S_IWUSR)) return false;  // read-only target
  }

  Fd in(::open(src->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!in.valid()) return false;
  struct stat srcStat;
  if (::fstat(in.get(), &srcStat) != 0 || !S_ISREG(srcStat.st_mode)) return false;
  if (::stat(dst.c_str(), &dstStat) == 0 && dstStat.st_dev == srcStat.st_dev &&
      dstStat.st_ino == srcStat.st_ino)
    return true;  // the same file: it already has this content

  fs::path dir = dst.parent_path();
  std::string temp = (dir / ("." + dst.filename().native() + ".XXXXXX")).native();
  Fd out(::mkstemp(temp.data()));
  if (!out.valid()) return false;
  bool ok = CopyContent(in.get(), out.get()) &&
            ::fchmod(out.get(), srcStat.st_mode & 0777) == 0 && ::fsync(out.get()) == 0;
  ok = out.Close() && ok;
  if (ok) ok = ::rename(temp.c_str(), dst.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  SyncDirectory(dir);
  return true;
}

bool RenameFile(std::string_view from, std::string_view to) {
  auto src = Host(from);
  auto dst = Host(to);
  if (!src || !dst) return false;
  if (::renameat2(AT_FDCWD, src->c_str(), AT_FDCWD, dst->c_str(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the no-replace flag: check, then rename.
  struct stat st;
  if (::lstat(dst->c_str(), &st) == 0 || errno != ENOENT) return false;
  return ::rename(src->c_str(), dst->c_str()) == 0;
}

bool ReplaceFile(std::string_view from, std::string_view to) {
  auto src = Host(from);
  auto dst = Host(to);
  if (!src || !dst) return false;
  struct stat st;
  if (::lstat(src->c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return ::rename(src->c_str(), dst->c_str()) == 0;
}

std::optional<fs::file_time_type> LastWriteTime(std::string_view path) {
  auto host = ToHost(path);
  if (!host) return std::nullopt;
  std::error_code ec;
  auto t = fs::last_write_time(*host, ec);
  if (ec) return std::nullopt;
  return t;
}

bool IsReadOnly(std::string_view path) {
  struct stat st;
  return StatHost(path, st) && !(st.st_mode & S_IWUSR);
}

bool SetReadOnly(std::string_view path, bool readOnly) {
  auto host = Host(path);
  if (!host) return false;
  struct stat st;
  if (::stat(host->c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  mode = readOnly ? (mode & ~static_cast<mode_t>(S_IWUSR)) : (mode | S_IWUSR);
  return ::chmod(host->c_str(), mode) == 0;
}

std::optional<std::string> ReadFileBytes(std::string_view path) {
  auto host = Host(path);
  if (!host) return std::nullopt;
  // O_NONBLOCK: a fifo at the path must not hang the program.
  Fd fd(::open(host->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) return std::nullopt;
  struct stat st;
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[64 * 1024];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

std::optional<fs::path> TempDirectory() {
  const char* env = std::getenv("TMPDIR");
  fs::path dir = (env && *env) ? fs::path(env) : fs::path("/tmp");
  std::error_code ec;
  if (dir.is_relative()) {
    dir = fs::absolute(dir, ec);
    if (ec) return std::nullopt;
  }
  if (!fs::is_directory(dir, ec)) return std::nullopt;
  std::string text = dir.native();
  if (text.empty() || text.back() != '/') text += '/';
  return fs::path(text);
}

std::optional<fs::path> MakeUniqueTempFile(const fs::path& dir, std::string_view prefix) {
  if (prefix.find('/') != std::string_view::npos || prefix.find('\0') != std::string_view::npos)
    return std::nullopt;
  // Start at a random number and walk through all 65535 names from there,
  // as the system's own temporary naming does with its tick count.
  std::random_device rd;
  const unsigned start = rd() % 0xFFFFu;
  for (unsigned i = 0; i < 0xFFFFu; ++i) {
    const unsigned number = (start + i) % 0xFFFFu + 1;  // 1..FFFF
    char digits[8];
    std::snprintf(digits, sizeof digits, "%X", number);
    fs::path candidate = dir / (std::string(prefix) + digits + ".TMP");
    int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      // The umask may have taken bits away; the mode is 0600 exactly.
      bool ok = ::fchmod(fd, 0600) == 0;
      ok = ::close(fd) == 0 && ok;
      if (!ok) {
        ::unlink(candidate.c_str());
        return std::nullopt;
      }
      return candidate;
    }
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

fs::path ExecutablePath() {
  std::error_code ec;
  fs::path p = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : p;
}

fs::path ExecutableDirectory() {
  fs::path exe = ExecutablePath();
  if (exe.empty()) return {};
  std::string dir = exe.parent_path().native();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return fs::path(dir);
}

}  // namespace platform
