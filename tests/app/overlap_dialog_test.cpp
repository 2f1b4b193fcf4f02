// The overlap dialog: OK needs a row marked by a double-click, Cancel ends
// with the warning, and nothing else closes it.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "app_test_util.h"
#include "install/qt/error_form.h"
#include "install/qt/frame_select_string_grid.h"
#include "common/recording_ui.h"

namespace {

using install::ErrorStruct;
using install::TtErrorForm;

std::vector<ErrorStruct> ThreeBases() {
  return {{"C:\\NB\\GESN2001\\", "ГЭСН 2001", false},
          {"D:\\NB\\GESN2001\\", "ГЭСН 2001 (копия)", false},
          {"E:\\OLD\\GESN2001\\", "Старая", false}};
}

// What the mouse sends for a double-click: a click, then the second press
// as a double-click event.
void DoubleClickAt(QWidget* target, QPoint at) {
  QTest::mouseClick(target, Qt::LeftButton, {}, at);
  QTest::mouseDClick(target, Qt::LeftButton, {}, at);
}

void DoubleClickRow(TtErrorForm& form, int row) {
  QTableWidget* grid = form.FrmSelectStringGrid1->StringGrid1;
  DoubleClickAt(grid->viewport(), grid->visualRect(grid->model()->index(row, 1)).center());
}

TEST(OverlapDialog, ListsTheEntries) {
  auto entries = ThreeBases();
  TtErrorForm form;
  form.SetErrors(&entries);
  QTableWidget* grid = form.FrmSelectStringGrid1->StringGrid1;
  ASSERT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(grid->horizontalHeaderItem(1)->text().toStdString(), "Имя базы");
  EXPECT_EQ(grid->horizontalHeaderItem(2)->text().toStdString(), "Путь к базе");
  EXPECT_EQ(grid->item(1, 1)->text().toStdString(), "ГЭСН 2001 (копия)");
  EXPECT_EQ(grid->item(2, 2)->text().toStdString(), "E:\\OLD\\GESN2001\\");
  EXPECT_EQ(form.FrmSelectStringGrid1->GetSelected(), 0);
  EXPECT_THROW(form.FrmSelectStringGrid1->AddBase("one more", entries[0]), std::runtime_error);
}

TEST(OverlapDialog, OkNeedsADoubleClickedRow) {
  testing_support::RecordingUi ui;
  auto entries = ThreeBases();
  TtErrorForm form;
  form.SetErrors(&entries);
  bool openAfterFirstOk = false;
  app_test::WhenShown([&] {
    QTableWidget* grid = form.FrmSelectStringGrid1->StringGrid1;
    // A plain click selects, it does not mark; the header and the empty
    // area below the rows mark nothing.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(0, 1)).center());
    DoubleClickAt(grid->horizontalHeader()->viewport(),
                  QPoint(grid->columnViewportPosition(1) + 5, 5));
    DoubleClickAt(grid->viewport(), QPoint(40, grid->viewport()->height() - 3));
    EXPECT_EQ(form.FrmSelectStringGrid1->GetSelected(), 0);
    form.BitBtn1->click();
    openAfterFirstOk = form.isVisible();
    DoubleClickRow(form, 1);
    EXPECT_EQ(form.FrmSelectStringGrid1->GetSelected(), 2);
    form.BitBtn1->click();
  });
  EXPECT_EQ(form.exec(), QDialog::Accepted);
  EXPECT_TRUE(openAfterFirstOk);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, "Нужно выбрать одну базу!");
  EXPECT_EQ(ui.messages[0].title, "Пересекающиеся идентификаторы");
  EXPECT_EQ(ui.messages[0].modality, platform::Modality::Task);
  EXPECT_EQ(ui.messages[1].title, "Очистка идентификаторов");
  EXPECT_EQ(ui.messages[1].text.rfind("Все базы, НЕ отмеченные в списке", 0), 0u);
  EXPECT_FALSE(entries[0].Keep);
  EXPECT_TRUE(entries[1].Keep);
  EXPECT_FALSE(entries[2].Keep);
}

TEST(OverlapDialog, CancelWarnsAndOnlyButtonsClose) {
  testing_support::RecordingUi ui;
  auto entries = ThreeBases();
  install::QtOverlapChooser chooser;
  bool openAfterEscape = false, openAfterClose = false;
  app_test::WhenShown([&] {
    auto* form = qobject_cast<TtErrorForm*>(QApplication::activeModalWidget());
    ASSERT_NE(form, nullptr);
    QTest::keyClick(form, Qt::Key_Escape);
    openAfterEscape = form->isVisible();
    form->close();
    openAfterClose = form->isVisible();
    DoubleClickRow(*form, 0);
    form->BitBtn2->click();
  });
  EXPECT_FALSE(chooser.Choose(entries));
  EXPECT_TRUE(openAfterEscape);
  EXPECT_TRUE(openAfterClose);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            "Пересечения идентификаторов не были устранены!\nДальнейшая работа невозможна");
  for (const auto& e : entries) EXPECT_FALSE(e.Keep);
}

}  // namespace
