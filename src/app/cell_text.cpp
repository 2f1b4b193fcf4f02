#include "app/cell_text.h"

#include <exception>

#include "nbini/utility_class.h"
#include "support/singletons.h"
#include "support/wstring.h"

namespace app {
namespace {

std::string Part(const std::string& text, size_t from, size_t count) {
  if (from >= text.size()) return {};
  return text.substr(from, count);
}

}  // namespace

std::string NameCellText(const std::string& storedNaim) {
  return SingleString::Instance().ToAnsi(storedNaim);
}

std::string DirCellText(const std::string& storedDir) {
  return SingleString::Instance().ToAnsi(storedDir);
}

std::string TypeCellText(int recordCount, const std::string& storedDop) {
  if (recordCount <= 0) return {};
  try {
    if (storedDop.empty()) return "Неизвестно";
    return SingleUtility::Instance().GetBaseTypeName(storedDop[0]);
  } catch (const std::exception&) {
    return "Неизвестно";
  }
}

std::string DateCellText(const std::string& nbdate) {
  return Part(nbdate, 6, 2) + "." + Part(nbdate, 4, 2) + "." + Part(nbdate, 0, 4);
}

std::string ProposedBaseDir(const std::string& mainInfoDir) {
  // Skip three characters (UTF-8 sequences), then look for the delimiter.
  size_t at = 0;
  for (int skipped = 0; skipped < 3 && at < mainInfoDir.size(); ++skipped) {
    ++at;
    while (at < mainInfoDir.size() && (static_cast<unsigned char>(mainInfoDir[at]) & 0xC0) == 0x80)
      ++at;
  }
  const size_t slash = mainInfoDir.find('\\', at);
  if (slash == std::string::npos) return {};
  return mainInfoDir.substr(0, slash + 1);
}

}  // namespace app
