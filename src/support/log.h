// TLog: the trace of the start-up sequence and of the opening of the
// installation table. The log starts closed and the program never opens
// it, so Write normally does nothing; the line format below holds for an
// open log: local time (HH:MM:SS), a tab, the text, a line break, and the
// stream is flushed after every line. Write errors only set the stream's
// error state; nothing is reported. One instance per process (SingleLog in
// support/singletons.h). Only the user-interface thread writes.
#pragma once

#include <fstream>
#include <string>

namespace nsLog {

class TLog : public std::ofstream {
 public:
  TLog() = default;
  ~TLog() override;
  TLog(const TLog&) = delete;
  TLog& operator=(const TLog&) = delete;

  // Stores the directory meant for the log file (no trailing separator).
  void SetDirectory(const std::string& directory);
  const std::string& Directory() const { return directory_; }

  // Writes "time<TAB>text\n" and flushes when the log is open; does nothing
  // when it is closed.
  void Write(const std::string& text);

  // Closes the file when open, clears the stream's error state and marks
  // the log closed; does nothing when closed.
  void Close();

  // Opens (appends to) a host file as the log; true when it opened. The
  // program has no step that calls this; it is here for a future log file
  // and for tests of the line format.
  bool OpenFile(const std::string& hostPath);
  bool IsOpen() const { return opened_; }

 private:
  bool opened_ = false;
  std::string directory_;
  std::string fileName_;
};

}  // namespace nsLog
