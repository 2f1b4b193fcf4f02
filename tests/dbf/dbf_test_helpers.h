// Test helpers for the table file services: dBASE files written byte by
// byte, header bytes poked and read, another program's lock on a file, and
// an independent reader (Python's dbfread) to check rewritten files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace dbf_test {

struct Column {
  std::string name;
  char type = 'C';
  int length = 1;
  int decimals = 0;
};

struct Row {
  std::vector<std::string> values;  // one per column, blank-padded on write
  bool deleted = false;
};

// A dBASE III/IV table file without memo: header, descriptors, records,
// 0x1A. `productionIndexFlag` goes to byte 28, `languageDriver` to byte 29.
std::string DbfBytes(const std::vector<Column>& columns, const std::vector<Row>& rows,
                     uint8_t productionIndexFlag = 0, uint8_t languageDriver = 0x26);

void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& path);
uint8_t HeaderByte(const std::filesystem::path& path, size_t offset);
void SetHeaderByte(const std::filesystem::path& path, size_t offset, uint8_t value);

// Sets a file's last-write time to now + `secondsFromNow`.
void SetMtime(const std::filesystem::path& path, int secondsFromNow);

// Holds an OFD lock on a file as another program would (its own open file
// description, so it conflicts with locks taken in this process too).
class ForeignLock {
 public:
  ForeignLock(const std::filesystem::path& path, bool exclusive);
  ~ForeignLock();
  ForeignLock(const ForeignLock&) = delete;
  ForeignLock& operator=(const ForeignLock&) = delete;
  bool held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};

// The table as dbfread sees it: fields "NAME TYPE LENGTH DECIMALS" in
// record order and the records not marked deleted, values as dbfread turns
// them into text (character values without trailing blanks).
struct ReadBack {
  bool ok = false;       // false when the reader is missing or failed
  std::string error;
  std::vector<std::string> fields;
  std::vector<std::vector<std::string>> rows;
  int deleted = 0;       // records marked deleted
};
ReadBack ReadWithDbfread(const std::filesystem::path& path);
bool DbfreadAvailable();

}  // namespace dbf_test
