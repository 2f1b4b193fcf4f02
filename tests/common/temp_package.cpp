#include "temp_package.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

namespace testing_support {

TempPackage::TempPackage() : previous_(platform::CurrentDriveMap()) {
  const char* tmp = std::getenv("TMPDIR");
  std::filesystem::path base = (tmp && *tmp) ? tmp : "/tmp";
  std::random_device rd;
  for (int i = 0; i < 100 && root_.empty(); ++i) {
    auto candidate = base / ("vem-test-" + std::to_string(rd()));
    if (std::filesystem::create_directory(candidate)) root_ = candidate;
  }
  if (root_.empty()) throw std::runtime_error("cannot create a temporary test folder");
  Drive('C');
}

TempPackage::~TempPackage() {
  platform::SetDriveMap(previous_);
  // A test may leave folders without write or search permission; give
  // them back so that everything below can be removed.
  std::error_code ec;
  std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  for (auto it = std::filesystem::recursive_directory_iterator(root_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::error_code sec;
    if (it->is_directory(sec) && !it->is_symlink(sec))
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, sec);
  }
  ec.clear();
  std::filesystem::remove_all(root_, ec);
}

std::filesystem::path TempPackage::Drive(char letter) {
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  auto dir = root_ / (std::string("drive_") + static_cast<char>(std::tolower(letter)));
  std::filesystem::create_directories(dir);
  if (!map_.Root(letter)) {
    map_.Set(letter, dir);
    platform::SetDriveMap(map_);
  }
  return dir;
}

std::filesystem::path TempPackage::Host(std::string_view winPath) {
  if (winPath.size() < 2 || winPath[1] != ':') throw std::invalid_argument("not a drive path");
  auto p = Drive(winPath[0]);
  std::string rest(winPath.substr(2));
  std::string part;
  for (char c : rest) {
    if (c == '\\' || c == '/') {
      if (!part.empty()) p /= part;
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) p /= part;
  return p;
}

void TempPackage::WriteFile(std::string_view winPath, std::string_view bytes) {
  auto p = Host(winPath);
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + p.string());
}

void TempPackage::MakeDir(std::string_view winPath) {
  std::filesystem::create_directories(Host(winPath));
}

}  // namespace testing_support
