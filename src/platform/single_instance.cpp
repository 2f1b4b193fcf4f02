#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/fs.h"

namespace platform {
namespace {

// A mutex name may hold characters that cannot be part of a file name.
std::string FileNamePart(const std::string& name) {
  std::string out;
  for (char c : name) out += (c == '/' || c == '\\' || c == '\0') ? '_' : c;
  if (out.empty() || out == "." || out == "..") out = "_" + out;
  return out;
}

// $XDG_RUNTIME_DIR is private to the user; the temporary directory is
// shared, so the user id goes into the name there.
std::string LockPath(const std::string& name) {
  const std::string base = FileNamePart(name);
  if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg == '/') {
    struct stat st;
    if (::stat(xdg, &st) == 0 && S_ISDIR(st.st_mode)) {
      std::string dir = xdg;
      if (dir.back() != '/') dir += '/';
      return dir + base + ".lock";
    }
  }
  auto tmp = TempDirectory();
  std::string dir = tmp ? tmp->native() : std::string("/tmp/");
  return dir + base + "-" + std::to_string(::geteuid()) + ".lock";
}

}  // namespace

SingleInstance::SingleInstance(const std::string& name) : path_(LockPath(name)) {
  // O_NOFOLLOW: a symlink planted at the path is refused, never followed.
  // O_NONBLOCK: opening a fifo planted there does not hang.
  int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
  if (fd < 0) {
    result_ = Result::kWrongObject;
    return;
  }
  struct stat st;
  // Only a regular file of this user's can be the lock; a file someone
  // else owns could be held by them to keep the program from starting.
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
    ::close(fd);
    result_ = Result::kWrongObject;
    return;
  }
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    result_ = held ? Result::kAlreadyRunning : Result::kWrongObject;
    return;
  }
  fd_ = fd;
  result_ = Result::kAcquired;
}

SingleInstance::~SingleInstance() {
  // Closing drops the lock. The file stays: removing it would let a
  // second copy lock a fresh file while a third still waits on the old one.
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace platform
