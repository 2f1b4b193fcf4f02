// Status and StatusOr: the result type of every fallible call below the Qt
// program. A Status is either OK or carries an error code and a message in
// UTF-8 that names the file or statement and what went wrong. Callers must
// look at it ([[nodiscard]]); the services turn failures into the program's
// own messages.
#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace platform {

enum class ErrorCode {
  kOk = 0,
  kNotFound,        // a file, column, tag or row that is not there
  kCorrupt,         // a file whose bytes do not form what they claim
  kLocked,          // another holder has the file (shared or exclusive lock)
  kIoError,         // a read, write, flush or rename failed
  kInvalidArgument, // a call or statement that makes no sense
  kUnsupported,     // a valid request the engine does not do
};

class [[nodiscard]] Status {
 public:
  Status() = default;
  static Status Ok() { return Status(); }
  static Status Error(ErrorCode code, std::string message) {
    return Status(code, std::move(message));
  }
  static Status NotFound(std::string m) { return Error(ErrorCode::kNotFound, std::move(m)); }
  static Status Corrupt(std::string m) { return Error(ErrorCode::kCorrupt, std::move(m)); }
  static Status Locked(std::string m) { return Error(ErrorCode::kLocked, std::move(m)); }
  static Status IoError(std::string m) { return Error(ErrorCode::kIoError, std::move(m)); }
  static Status Invalid(std::string m) { return Error(ErrorCode::kInvalidArgument, std::move(m)); }
  static Status Unsupported(std::string m) { return Error(ErrorCode::kUnsupported, std::move(m)); }

  bool ok() const { return code_ == ErrorCode::kOk; }
  explicit operator bool() const { return ok(); }
  ErrorCode code() const { return code_; }
  const std::string& message() const { return message_; }
  // "ok" or the message; for logs and test failure output.
  std::string ToString() const { return ok() ? std::string("ok") : message_; }

 private:
  Status(ErrorCode code, std::string message) : code_(code), message_(std::move(message)) {}
  ErrorCode code_ = ErrorCode::kOk;
  std::string message_;
};

// A value or the Status that explains why there is none.
template <typename T>
class [[nodiscard]] StatusOr {
 public:
  StatusOr(T value) : value_(std::move(value)) {}
  StatusOr(Status status) : status_(std::move(status)) { assert(!status_.ok()); }

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  const Status& status() const { return status_; }
  T& value() & { assert(ok()); return *value_; }
  const T& value() const& { assert(ok()); return *value_; }
  T&& value() && { assert(ok()); return std::move(*value_); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }

 private:
  Status status_;
  std::optional<T> value_;
};

}  // namespace platform
