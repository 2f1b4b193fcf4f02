// The program's one-copy-per-user guard, standing in for a named mutex: an
// exclusive flock on a file of the given name in $XDG_RUNTIME_DIR
// ("<name>.lock"), else the temporary directory ("<name>-<uid>.lock"),
// opened with O_NOFOLLOW and O_CLOEXEC. "/", "\" and NUL in the name become
// "_". The lock lives as long as the object (and so, held in main, until the
// process ends); the kernel drops it when the process dies. The file itself
// is left in place.
#pragma once

#include <string>

namespace platform {

class SingleInstance {
 public:
  enum class Result {
    kAcquired,        // this process holds the name now
    kAlreadyRunning,  // another process holds it
    kWrongObject,     // the path exists as something else (a directory, a
                      // link, a fifo, a socket, a file of another user) or
                      // cannot be opened at all
  };

  explicit SingleInstance(const std::string& name);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  Result result() const { return result_; }
  const std::string& path() const { return path_; }

 private:
  int fd_ = -1;
  Result result_ = Result::kWrongObject;
  std::string path_;
};

}  // namespace platform
