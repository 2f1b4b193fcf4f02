// Tests that need an outside program (a dBASE reader, the built binaries)
// skip when it is missing on a developer's machine. The project's test
// command installs every one of them and sets VEM_STRICT_TESTS=1, so there
// a missing program is a broken install step and the test fails instead.
#pragma once

#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

namespace testing_support {
inline bool StrictTests() {
  const char* v = std::getenv("VEM_STRICT_TESTS");
  return v && *v && std::strcmp(v, "0") != 0;
}
}  // namespace testing_support

#define VEM_SKIP_UNLESS_STRICT(why)                                       \
  do {                                                                   \
    if (::testing_support::StrictTests()) {                              \
      FAIL() << why << " (the test command installs it: VEM_STRICT_TESTS)"; \
    } else {                                                             \
      GTEST_SKIP() << why;                                               \
    }                                                                    \
  } while (0)

namespace testing_support {
// The source and build trees of this build, for fixtures and built tools;
// the environment variables override the compiled-in values.
inline const char* SourceDir() {
  const char* v = std::getenv("VEM_SOURCE_DIR");
  return v && *v ? v : VEM_TEST_SOURCE_DIR;
}
inline const char* BinaryDir() {
  const char* v = std::getenv("VEM_BINARY_DIR");
  return v && *v ? v : VEM_TEST_BINARY_DIR;
}
}  // namespace testing_support
