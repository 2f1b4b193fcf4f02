#include "install/install_app.h"

#include <optional>

#include "platform/fs.h"

namespace {

// The longest line a record may hold before its line end.
constexpr std::size_t kMaxLine = 254;

// Reads the line at pos into line (trimmed, cut at its first NUL). False
// when no byte is left to read or the line is too long; pos moves past the
// line's LF.
bool ReadLine(std::string_view bytes, std::size_t& pos, std::string& line) {
  if (pos >= bytes.size()) return false;
  std::size_t end = bytes.find('\n', pos);
  const bool lastLine = end == std::string_view::npos;
  if (lastLine) end = bytes.size();
  if (end - pos > kMaxLine) return false;
  std::string_view raw = bytes.substr(pos, end - pos);
  pos = lastLine ? end : end + 1;
  if (const std::size_t nul = raw.find('\0'); nul != std::string_view::npos) {
    raw = raw.substr(0, nul);
  }
  auto control = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!raw.empty() && control(raw.front())) raw.remove_prefix(1);
  while (!raw.empty() && control(raw.back())) raw.remove_suffix(1);
  line.assign(raw);
  return true;
}

}  // namespace

void ParseInstallApp(std::string_view bytes, nsBase::VBases& bases) {
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    nsBase::SBase base{"", nsBase::kNoType, ""};
    std::string skipped;
    if (!ReadLine(bytes, pos, skipped) || !ReadLine(bytes, pos, base.Name) ||
        !ReadLine(bytes, pos, base.Type) || !ReadLine(bytes, pos, base.Path)) {
      return;
    }
    bases.push_back(std::move(base));
  }
}

bool ReadInstallApp(const std::string& path, nsBase::VBases& bases) {
  const std::optional<std::string> bytes = platform::ReadFileBytes(path);
  if (!bytes) return false;
  ParseInstallApp(*bytes, bases);
  return true;
}
