#include "support/log.h"

#include <ctime>

namespace nsLog {

TLog::~TLog() { Close(); }

void TLog::SetDirectory(const std::string& directory) { directory_ = directory; }

bool TLog::OpenFile(const std::string& hostPath) {
  Close();
  open(hostPath, std::ios::out | std::ios::app);
  opened_ = is_open();
  if (opened_) {
    fileName_ = hostPath;
  } else {
    clear();
  }
  return opened_;
}

void TLog::Write(const std::string& text) {
  if (!opened_) return;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char stamp[16] = "00:00:00";
  if (localtime_r(&now, &local) != nullptr) {
    std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
  }
  *this << stamp << '\t' << text << '\n';
  flush();
}

void TLog::Close() {
  if (!opened_) return;
  close();
  clear();
  opened_ = false;
}

}  // namespace nsLog
