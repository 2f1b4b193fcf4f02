// The INSTALL.APP reader on arbitrary file contents.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "install/install_app.h"

namespace {

bool Clean(const std::string& text) {
  if (text.size() > 254 || text.find('\0') != std::string::npos) return false;
  auto control = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  return text.empty() || (!control(text.front()) && !control(text.back()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nsBase::VBases bases;
  ParseInstallApp(std::string_view(reinterpret_cast<const char*>(data), size), bases);
  // Four lines a record, each at least one byte: no more records than that.
  if (bases.size() > size / 4 + 1) __builtin_trap();
  for (const nsBase::SBase& base : bases) {
    if (!Clean(base.Name) || !Clean(base.Type) || !Clean(base.Path)) __builtin_trap();
  }
  return 0;
}
