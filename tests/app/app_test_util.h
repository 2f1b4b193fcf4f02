// Helpers for driving the dialogs: run code once a modal dialog's event
// loop is running, and write NB.INI files in their code page.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>

#include "support/text.h"
#include "common/temp_package.h"

namespace app_test {

// Runs `step` as soon as the next modal dialog is up (the event loop of
// exec() is running). A step that leaves the dialog open must close it.
inline void WhenShown(std::function<void()> step) { QTimer::singleShot(0, std::move(step)); }

// Writes an NB.INI at a Windows path from UTF-8 lines, in CP1251 as the
// package's files are.
inline void WriteNbIni(testing_support::TempPackage& pkg, std::string_view winPath,
                       std::string_view utf8) {
  pkg.WriteFile(winPath, text::Utf8ToCp1251(utf8));
}

}  // namespace app_test
