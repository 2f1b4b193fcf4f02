#include "platform/paths.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace platform {
namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char UpperLetter(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Longest name a directory entry can have; a longer component cannot
// match anything on disk, so no directory is scanned for it.
constexpr std::size_t kMaxNameBytes = 255;

// Absolute, lexically normal, without a trailing separator (except "/").
fs::path CleanRoot(const fs::path& p) {
  std::error_code ec;
  fs::path abs = p.is_absolute() ? p : fs::absolute(p, ec);
  if (ec) abs = p;
  fs::path n = abs.lexically_normal();
  std::string s = n.native();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return fs::path(s);
}

// Folds letter case for name comparison: ASCII, and the Cyrillic letters
// of UTF-8 (U+0400..U+042F to U+0430..U+045F). All these keep their byte
// length, so folded names compare position by position.
std::string FoldCase(std::string_view s) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c - 'A' + 'a');
    } else if (c == 0xD0 && i + 1 < out.size()) {
      unsigned char d = static_cast<unsigned char>(out[i + 1]);
      if (d >= 0x90 && d <= 0x9F) {  // А..П -> а..п
        out[i + 1] = static_cast<char>(d + 0x20);
      } else if (d >= 0xA0 && d <= 0xAF) {  // Р..Я -> р..я
        out[i] = static_cast<char>(0xD1);
        out[i + 1] = static_cast<char>(d - 0x20);
      } else if (d >= 0x80 && d <= 0x8F) {  // Ѐ..Џ (Ё among them) -> ѐ..џ
        out[i] = static_cast<char>(0xD1);
        out[i + 1] = static_cast<char>(d + 0x10);
      }
      ++i;
    }
  }
  return out;
}

bool EntryExists(const std::string& hostPath) {
  struct stat st;
  return ::lstat(hostPath.c_str(), &st) == 0;
}

// The name in dir that equals `name` without regard to case; the
// lexically smallest one when several do. nullopt when there is none.
std::optional<std::string> FindFolded(const std::string& dir, std::string_view name) {
  if (name.size() > kMaxNameBytes) return std::nullopt;
  const std::string want = FoldCase(name);
  std::optional<std::string> best;
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) return std::nullopt;
  for (fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    std::string candidate = it->path().filename().native();
    if (candidate.size() != name.size()) continue;  // folding keeps lengths
    if (FoldCase(candidate) != want) continue;
    if (!best || candidate < *best) best = std::move(candidate);
  }
  return best;
}

// Splits the part after the drive into components, resolving "." and
// ".." textually; ".." at the root stays at the root.
std::vector<std::string_view> SplitComponents(std::string_view rest) {
  std::vector<std::string_view> parts;
  std::size_t i = 0;
  while (i < rest.size()) {
    while (i < rest.size() && IsSeparator(rest[i])) ++i;
    std::size_t start = i;
    while (i < rest.size() && !IsSeparator(rest[i])) ++i;
    std::string_view part = rest.substr(start, i - start);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  return parts;
}

std::optional<DriveMap> g_map;

std::optional<fs::path> HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home && *home) return fs::path(home);
  if (struct passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir)
    return fs::path(pw->pw_dir);
  return std::nullopt;
}

// Splits a host path into its components below "/" (no empty ones).
std::vector<std::string> HostComponents(const fs::path& p) {
  std::vector<std::string> out;
  for (const auto& c : p.relative_path()) {
    if (!c.empty()) out.push_back(c.native());
  }
  return out;
}

bool IsPathDelimiter(char c) { return c == '\\' || c == '/'; }

// Position of the last character of `set` in s, or npos.
std::size_t LastDelimiter(std::string_view s, std::string_view set) {
  return s.find_last_of(set);
}

}  // namespace

// ---------------------------------------------------------------- DriveMap

DriveMap DriveMap::FromDosdevices(const fs::path& dosdevices) {
  DriveMap map;
  std::error_code ec;
  fs::directory_iterator it(dosdevices, ec);
  if (ec) return map;
  // Wine names its links in lower case; an upper-case twin only counts
  // when there is no lower-case one.
  std::map<char, fs::path> upper;
  for (fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    const std::string name = it->path().filename().native();
    if (name.size() != 2 || name[1] != ':' || !IsAsciiLetter(name[0])) continue;
    std::error_code sec;
    if (!it->is_symlink(sec) || sec) continue;
    fs::path target = fs::read_symlink(it->path(), sec);
    if (sec || target.empty()) continue;
    if (target.is_relative()) target = dosdevices / target;
    if (name[0] >= 'a' && name[0] <= 'z') {
      map.Set(name[0], target);
    } else {
      upper[name[0]] = target;
    }
  }
  for (auto& [letter, target] : upper) {
    if (!map.Root(letter)) map.Set(letter, target);
  }
  return map;
}

DriveMap DriveMap::FromEnvironment() {
  std::vector<fs::path> candidates;
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix)
    candidates.push_back(fs::path(prefix) / "dosdevices");
  if (auto home = HomeDirectory()) candidates.push_back(*home / ".wine" / "dosdevices");
  for (const auto& dir : candidates) {
    DriveMap map = FromDosdevices(dir);
    if (!map.Drives().empty()) return map;
  }
  DriveMap fallback;
  fallback.Set('Z', "/");
  return fallback;
}

void DriveMap::Set(char letter, fs::path hostRoot) {
  if (!IsAsciiLetter(letter)) return;
  drives_[UpperLetter(letter)] = CleanRoot(hostRoot);
}

std::optional<fs::path> DriveMap::Root(char letter) const {
  auto it = drives_.find(UpperLetter(letter));
  if (it == drives_.end()) return std::nullopt;
  return it->second;
}

const DriveMap& CurrentDriveMap() {
  if (!g_map) g_map = DriveMap::FromEnvironment();
  return *g_map;
}

void SetDriveMap(DriveMap map) { g_map = std::move(map); }

// ------------------------------------------------------------------ mapping

bool HasDriveRoot(std::string_view winPath) {
  return winPath.size() >= 3 && IsAsciiLetter(winPath[0]) && winPath[1] == ':' &&
         IsSeparator(winPath[2]);
}

std::optional<fs::path> ToHost(std::string_view winPath) {
  // A NUL would cut the name short at the system call and so name a
  // different file than the one asked for.
  if (winPath.find('\0') != std::string_view::npos) return std::nullopt;
  if (!winPath.empty() && winPath.front() == '/') return fs::path(std::string(winPath));
  if (!HasDriveRoot(winPath)) return std::nullopt;
  auto root = CurrentDriveMap().Root(winPath[0]);
  if (!root) return std::nullopt;

  std::string host = root->native();
  bool lookup = true;  // false once a component is missing: nothing below exists
  for (std::string_view part : SplitComponents(winPath.substr(3))) {
    const std::string dir = host;
    if (host.empty() || host.back() != '/') host += '/';
    const std::size_t at = host.size();
    host.append(part);
    if (!lookup || EntryExists(host)) continue;
    if (auto found = FindFolded(dir, part)) {
      host.replace(at, std::string::npos, *found);
    } else {
      lookup = false;
    }
  }
  return fs::path(std::move(host));
}

std::optional<std::string> ToWindows(const fs::path& hostPath) {
  if (hostPath.empty()) return std::nullopt;
  std::error_code ec;
  fs::path abs = hostPath.is_absolute() ? hostPath : fs::absolute(hostPath, ec);
  if (ec) return std::nullopt;
  const fs::path lexical = abs.lexically_normal();
  const std::string& text = lexical.native();
  const bool trailing = text.size() > 1 && text.back() == '/';

  // The path as given and as the file system resolves it (a drive root
  // reached through a symlinked folder still counts), each against the
  // roots in the same form.
  const std::vector<std::string> lexParts = HostComponents(lexical);
  std::vector<std::string> canonParts;
  if (fs::path canon = fs::weakly_canonical(abs, ec); !ec) canonParts = HostComponents(canon);

  struct Best {
    char letter = 0;
    std::size_t depth = 0;
    const std::vector<std::string>* parts = nullptr;
  } best;
  auto consider = [&](char letter, const fs::path& root, const std::vector<std::string>& parts) {
    const std::vector<std::string> rootParts = HostComponents(root);
    if (rootParts.size() > parts.size()) return;
    if (!std::equal(rootParts.begin(), rootParts.end(), parts.begin())) return;
    if (best.letter == 0 || rootParts.size() > best.depth) best = {letter, rootParts.size(), &parts};
  };
  for (const auto& [letter, root] : CurrentDriveMap().Drives()) {
    consider(letter, root, lexParts);
    if (!canonParts.empty()) {
      std::error_code rec;
      fs::path canonRoot = fs::weakly_canonical(root, rec);
      if (!rec) consider(letter, canonRoot, canonParts);
    }
  }
  if (best.letter == 0) return std::nullopt;

  std::string out{best.letter, ':', '\\'};
  const auto& parts = *best.parts;
  for (std::size_t i = best.depth; i < parts.size(); ++i) {
    out += parts[i];
    if (i + 1 < parts.size() || trailing) out += '\\';
  }
  return out;
}

std::string UserPathToWindows(const std::string& path) {
  if (path.empty() || path.front() != '/') return path;
  if (auto win = ToWindows(fs::path(path))) return *win;
  return path;
}

// ------------------------------------------------------------ text helpers

std::string ExtractFileDir(std::string_view winPath) {
  std::size_t i = LastDelimiter(winPath, "\\/:");
  if (i == std::string_view::npos) return {};
  // Drop the separator before the name unless it is the root's own
  // ("C:\B.DBF" -> "C:\", "\\B" -> "\").
  if (i > 0 && IsPathDelimiter(winPath[i]) && !IsPathDelimiter(winPath[i - 1]) &&
      winPath[i - 1] != ':')
    return std::string(winPath.substr(0, i));
  return std::string(winPath.substr(0, i + 1));
}

std::string ExtractFileName(std::string_view winPath) {
  std::size_t i = LastDelimiter(winPath, "\\/:");
  return std::string(i == std::string_view::npos ? winPath : winPath.substr(i + 1));
}

std::string ExtractFileExt(std::string_view winPath) {
  std::size_t i = LastDelimiter(winPath, ".\\/:");
  if (i == std::string_view::npos || winPath[i] != '.') return {};
  return std::string(winPath.substr(i));
}

std::string ChangeFileExt(std::string_view winPath, std::string_view ext) {
  std::size_t i = LastDelimiter(winPath, ".\\/:");
  std::string out(i != std::string_view::npos && winPath[i] == '.' ? winPath.substr(0, i) : winPath);
  out.append(ext);
  return out;
}

std::string IncludeTrailingBackslash(std::string_view winPath) {
  std::string out(winPath);
  if (out.empty() || !IsPathDelimiter(out.back())) out += '\\';
  return out;
}

std::string ExcludeTrailingBackslash(std::string_view winPath) {
  std::string out(winPath);
  if (!out.empty() && IsPathDelimiter(out.back())) out.pop_back();
  return out;
}

std::string ExtractFileDrive(std::string_view winPath) {
  if (winPath.size() >= 2 && IsAsciiLetter(winPath[0]) && winPath[1] == ':')
    return std::string(winPath.substr(0, 2));
  return {};
}

}  // namespace platform
