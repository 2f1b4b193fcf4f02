// vem-make-demo DIR: writes the sample package below DIR (see
// demo_package.h); DIR then serves as WINEPREFIX for the configurator.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "tools/demo_package.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  try {
    demo::MakeDemoPackage(std::filesystem::absolute(argv[1]));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
    return 1;
  }
  return 0;
}
