// A temporary folder for one test, removed at the end, with its own drive
// map: drive C: (and any other letters asked for) point at subfolders of
// it, and the process-wide map is restored when the object goes away.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/paths.h"

namespace testing_support {

class TempPackage {
 public:
  // Creates a fresh folder below the temporary directory; C: maps to
  // <folder>/drive_c.
  TempPackage();
  ~TempPackage();
  TempPackage(const TempPackage&) = delete;
  TempPackage& operator=(const TempPackage&) = delete;

  const std::filesystem::path& root() const { return root_; }
  // Host folder of a drive letter (created and mapped on first use).
  std::filesystem::path Drive(char letter);
  // Host path of a Windows path on a mapped drive ("C:\VEM\X" ->
  // <root>/drive_c/VEM/X), created directories excluded.
  std::filesystem::path Host(std::string_view winPath);
  // Writes a file (creating its folders) at a Windows path.
  void WriteFile(std::string_view winPath, std::string_view bytes);
  void MakeDir(std::string_view winPath);

 private:
  std::filesystem::path root_;
  platform::DriveMap map_;
  platform::DriveMap previous_;
};

}  // namespace testing_support
