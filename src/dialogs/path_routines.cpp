#include "dialogs/path_routines.h"

#include <QFocusEvent>
#include <QPalette>

#include "platform/fs.h"

namespace dialogs {

FolderEdit::FolderEdit(QWidget* parent) : QLineEdit(parent) {}

void FolderEdit::SetMark(Mark mark) {
  mark_ = mark;
  QPalette pal = palette();
  switch (mark) {
    case Mark::None:
      pal.setColor(QPalette::Text, QPalette().color(QPalette::Text));
      break;
    case Mark::Valid:
      pal.setColor(QPalette::Text, QColor(0x00, 0x80, 0x00));
      break;
    case Mark::Invalid:
      pal.setColor(QPalette::Text, QColor(0xFF, 0x00, 0x00));
      break;
  }
  setPalette(pal);
}

std::string FolderEdit::Text() const { return text().toStdString(); }

void FolderEdit::SetText(const std::string& text) { setText(QString::fromStdString(text)); }

void FolderEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
    emit exited();
}

std::string NormalizeSlash(const std::string& text) {
  if (text.empty()) return text;
  if (text.back() != '\\') return text + '\\';
  std::string out = text;
  while (out.size() >= 2 && out[out.size() - 1] == '\\' && out[out.size() - 2] == '\\')
    out.pop_back();
  return out;
}

std::string AddSlash(const std::string& text) {
  if (text.empty() || text.back() == '\\') return text;
  return text + '\\';
}

bool FolderHoldsFile(const std::string& dir, const std::string& markerFile) {
  std::string base = dir;
  if (!base.empty() && base.back() == '\\') base.pop_back();
  return platform::FileExists(base + '\\' + markerFile);
}

void MarkByFile(FolderEdit& edit, const std::string& markerFile) {
  const std::string text = edit.Text();
  if (text.empty()) return;
  edit.SetMark(FolderHoldsFile(text, markerFile) ? FolderEdit::Mark::Valid
                                                 : FolderEdit::Mark::Invalid);
}

void MarkByDir(FolderEdit& edit) {
  const std::string text = edit.Text();
  const bool exists = !text.empty() && platform::DirectoryExists(text);
  edit.SetMark(exists ? FolderEdit::Mark::Valid : FolderEdit::Mark::Invalid);
}

}  // namespace dialogs
