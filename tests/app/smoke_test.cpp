#include <gtest/gtest.h>

#include "dialogs/change_base.h"
#include "dialogs/work_path.h"
#include "install/qt/error_form.h"
#include "nbini/qt/form_ini.h"

TEST(Smoke, DialogsConstruct) {
  dialogs::TfChgBaz a;
  dialogs::TWorkPath b;
  install::TtErrorForm c;
  nbini::TFormIni d;
  SUCCEED();
}
