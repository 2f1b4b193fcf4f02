// The Qt message boxes behind platform::ShowMessage: captions, icons,
// buttons with the Russian texts, the answer of each button, and the reset
// of busy cursors before a box is shown.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <algorithm>

#include "app_test_util.h"
#include "dialogs/qt_message_ui.h"

namespace {

using platform::Answer;
using platform::Buttons;

struct BoxCase {
  const char* name;
  Buttons buttons;
  std::vector<std::string> captions;
  const char* press;  // caption of the button to press; nullptr: Escape
  Answer answer;
};

class QtMessageUiTest : public ::testing::TestWithParam<BoxCase> {
 protected:
  void SetUp() override { platform::SetMessageUi(&ui); }
  void TearDown() override { platform::SetMessageUi(nullptr); }
  dialogs::QtMessageUi ui;
};

TEST_P(QtMessageUiTest, ButtonsAndAnswers) {
  const BoxCase& c = GetParam();
  std::vector<std::string> captions;
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  app_test::WhenShown([&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    QAbstractButton* toPress = nullptr;
    for (QAbstractButton* b : box->buttons()) {
      captions.push_back(b->text().toStdString());
      if (c.press && b->text().toStdString() == c.press) toPress = b;
    }
    if (toPress)
      toPress->click();
    else
      box->reject();  // what Escape does
  });
  const Answer answer =
      platform::ShowMessage("Удалить строки базы\n 'ГЭСН'?", "Конфигуратор", platform::Icon::Question,
                            c.buttons);
  EXPECT_EQ(answer, c.answer);
  std::sort(captions.begin(), captions.end());
  std::vector<std::string> expected = c.captions;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(captions, expected);
  EXPECT_EQ(title.toStdString(), "Конфигуратор");
  EXPECT_EQ(text.toStdString(), "Удалить строки базы\n 'ГЭСН'?");
  EXPECT_EQ(icon, QMessageBox::Question);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, QtMessageUiTest,
    ::testing::Values(
        BoxCase{"Ok", Buttons::Ok, {"OK"}, "OK", Answer::Ok},
        BoxCase{"OkEscape", Buttons::Ok, {"OK"}, nullptr, Answer::Ok},
        BoxCase{"OkCancelCancel", Buttons::OkCancel, {"OK", "Отмена"}, "Отмена", Answer::Cancel},
        BoxCase{"YesNoNo", Buttons::YesNo, {"Да", "Нет"}, "Нет", Answer::No},
        BoxCase{"YesNoEscape", Buttons::YesNo, {"Да", "Нет"}, nullptr, Answer::No},
        BoxCase{"YesNoCancelYes", Buttons::YesNoCancel, {"Да", "Нет", "Отмена"}, "Да", Answer::Yes},
        BoxCase{"YesNoCancelEscape", Buttons::YesNoCancel, {"Да", "Нет", "Отмена"}, nullptr,
                Answer::Cancel}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QtMessageUiCursor, ResetTakesEveryOverrideCursorOff) {
  dialogs::QtMessageUi ui;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QApplication::setOverrideCursor(Qt::BusyCursor);
  ui.ResetCursor();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
