#include "dbf_test_helpers.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace dbf_test {
namespace {

void PutLe16(std::string& s, size_t at, unsigned v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void PutLe32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::vector<std::string> Split(const std::string& line, char sep) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : line) {
    if (c == sep) {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

const char kPython[] = "/usr/bin/python3";

}  // namespace

std::string DbfBytes(const std::vector<Column>& columns, const std::vector<Row>& rows,
                     uint8_t productionIndexFlag, uint8_t languageDriver) {
  const size_t headerLength = 32 + 32 * columns.size() + 1;
  size_t recordLength = 1;
  for (const Column& c : columns) recordLength += static_cast<size_t>(c.length);

  std::string out(headerLength, '\0');
  out[0] = 0x03;
  out[1] = 124;  // 2024-01-01
  out[2] = 1;
  out[3] = 1;
  PutLe32(out, 4, static_cast<uint32_t>(rows.size()));
  PutLe16(out, 8, static_cast<unsigned>(headerLength));
  PutLe16(out, 10, static_cast<unsigned>(recordLength));
  out[28] = static_cast<char>(productionIndexFlag);
  out[29] = static_cast<char>(languageDriver);
  for (size_t i = 0; i < columns.size(); ++i) {
    const size_t at = 32 + 32 * i;
    const Column& c = columns[i];
    for (size_t k = 0; k < c.name.size() && k < 10; ++k) out[at + k] = c.name[k];
    out[at + 11] = c.type;
    out[at + 16] = static_cast<char>(c.length);
    out[at + 17] = static_cast<char>(c.decimals);
  }
  out[headerLength - 1] = 0x0D;

  for (const Row& row : rows) {
    out += row.deleted ? '*' : ' ';
    for (size_t i = 0; i < columns.size(); ++i) {
      std::string v = i < row.values.size() ? row.values[i] : std::string();
      const size_t width = static_cast<size_t>(columns[i].length);
      if (columns[i].type == 'N' || columns[i].type == 'F') {
        if (v.size() < width) v.insert(0, width - v.size(), ' ');  // numbers right-aligned
      }
      v.resize(width, ' ');
      out += v;
    }
  }
  out += '\x1A';
  return out;
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!f) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return {};
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

uint8_t HeaderByte(const std::filesystem::path& path, size_t offset) {
  const std::string bytes = ReadBytes(path);
  if (offset >= bytes.size()) throw std::runtime_error("short file " + path.string());
  return static_cast<uint8_t>(bytes[offset]);
}

void SetHeaderByte(const std::filesystem::path& path, size_t offset, uint8_t value) {
  std::string bytes = ReadBytes(path);
  if (offset >= bytes.size()) throw std::runtime_error("short file " + path.string());
  bytes[offset] = static_cast<char>(value);
  WriteBytes(path, bytes);
}

void SetMtime(const std::filesystem::path& path, int secondsFromNow) {
  std::filesystem::last_write_time(
      path, std::filesystem::file_time_type::clock::now() + std::chrono::seconds(secondsFromNow));
}

ForeignLock::ForeignLock(const std::filesystem::path& path, bool exclusive) {
  fd_ = ::open(path.c_str(), (exclusive ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  if (fd_ < 0) return;
  struct flock lock {};
  lock.l_type = exclusive ? F_WRLCK : F_RDLCK;
  lock.l_whence = SEEK_SET;
  held_ = ::fcntl(fd_, F_OFD_SETLK, &lock) == 0;
}

ForeignLock::~ForeignLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool DbfreadAvailable() {
  if (::access(kPython, X_OK) != 0) return false;
  const std::string cmd = std::string(kPython) + " -c 'import dbfread' 2>/dev/null";
  return std::system(cmd.c_str()) == 0;
}

ReadBack ReadWithDbfread(const std::filesystem::path& path) {
  ReadBack result;
  static const char script[] =
      "import sys,dbfread\n"
      "t=dbfread.DBF(sys.argv[1],encoding='cp866',load=True,ignore_missing_memofile=True)\n"
      "for f in t.fields: print('F\\t%s %s %d %d'%(f.name,f.type,f.length,f.decimal_count))\n"
      "for r in t.records: print('R\\t'+'\\t'.join('' if v is None else str(v) for v in "
      "r.values()))\n"
      "print('D\\t%d'%len(t.deleted))\n";
  if (path.string().find('\'') != std::string::npos) {
    result.error = "path with an apostrophe";
    return result;
  }
  const std::string cmd = std::string(kPython) + " -c \"$VEM_DBFREAD_SCRIPT\" '" +
                          path.string() + "' 2>&1";
  ::setenv("VEM_DBFREAD_SCRIPT", script, 1);
  FILE* pipe = ::popen(cmd.c_str(), "r");
  if (!pipe) {
    result.error = "cannot start " + std::string(kPython);
    return result;
  }
  std::string output;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int rc = ::pclose(pipe);
  if (rc != 0) {
    result.error = output;
    return result;
  }
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    const std::vector<std::string> parts = Split(line, '\t');
    if (parts[0] == "F" && parts.size() == 2) {
      result.fields.push_back(parts[1]);
    } else if (parts[0] == "R") {
      result.rows.emplace_back(parts.begin() + 1, parts.end());
    } else if (parts[0] == "D" && parts.size() == 2) {
      result.deleted = std::stoi(parts[1]);
    }
  }
  result.ok = true;
  return result;
}

}  // namespace dbf_test
