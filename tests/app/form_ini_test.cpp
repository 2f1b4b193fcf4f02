// The NB.INI dialog: the file checks, what each key shows, the conversion
// errors, and what stays from the previous showing.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include "app_test_util.h"
#include "nbini/qt/form_ini.h"
#include "common/recording_ui.h"
#include "common/temp_package.h"

namespace {

using nbini::TFormIni;

class FormIniTest : public ::testing::Test {
 protected:
  // Writes C:\NB\<folder>\NB.INI and shows the dialog for the folder,
  // closing it with OK; returns exec()'s result.
  int ShowFor(const std::string& folder, const std::string& ini) {
    const std::string dir = "C:\\NB\\" + folder;
    if (!ini.empty()) app_test::WriteNbIni(pkg, dir + "\\NB.INI", ini);
    else pkg.MakeDir(dir);
    form.SetDir(dir);
    app_test::WhenShown([this] {
      if (form.isVisible()) form.BitBtn1->click();
    });
    const int result = form.exec();
    QApplication::processEvents();  // a step left over when the form closed at once
    return result;
  }

  testing_support::TempPackage pkg;
  testing_support::RecordingUi ui;
  TFormIni form;
};

TEST(FormIniPath, SetDirAddsTheSeparatorOnce) {
  TFormIni form;
  form.SetDir("C:\\NB\\GESN");
  EXPECT_EQ(form.Path(), "C:\\NB\\GESN\\nb.ini");
  form.SetDir("C:\\NB\\GESN\\");
  EXPECT_EQ(form.Path(), "C:\\NB\\GESN\\nb.ini");
  form.SetDir("");
  EXPECT_EQ(form.Path(), "nb.ini");
}

TEST_F(FormIniTest, MissingFileIsReportedWithItsPath) {
  EXPECT_EQ(ShowFor("NOINI", ""), QDialog::Rejected);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Файл nb.ini не найден\nПуть: C:\\NB\\NOINI\\nb.ini");
  EXPECT_EQ(ui.messages[0].title, "nb.ini");
  EXPECT_EQ(ui.messages[0].icon, platform::Icon::Warning);
  EXPECT_FALSE(form.isVisible());
}

TEST_F(FormIniTest, NameAndDateOnly) {
  const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
  EXPECT_EQ(ShowFor("GESN", "[Version]\r\nName=ГЭСН-2001\r\nDate=05.04.2010 14:37\r\n"),
            QDialog::Accepted);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(form.leName->text().toStdString(), "ГЭСН-2001");
  EXPECT_EQ(form.leNumber->text(), "");
  EXPECT_EQ(form.dtpCreate->dateTime(), QDateTime(QDate(2010, 4, 5), QTime(14, 37)));
  EXPECT_EQ(form.dtpCreate->text(), "05.04.2010    14:37");
  EXPECT_FALSE(TFormIni::IsMarkedMissing(form.dtpCreate));
  EXPECT_TRUE(TFormIni::IsMarkedMissing(form.dtpConfirmate));
  EXPECT_EQ(form.dtpConfirmate->palette().color(QPalette::Base), QColor(0xFF, 0, 0));
  EXPECT_GE(form.dtpConfirmate->dateTime(), before.addSecs(-60));
  EXPECT_EQ(form.cbTypeNB->currentIndex(), 0);
  EXPECT_EQ(form.cbRegio->currentIndex(), 0);
  for (auto* group : {form.rgC4, form.rgX40, form.rgKodRemontSbornik_GESN, form.rgVarMontagMaterial})
    EXPECT_EQ(group->ItemIndex(), -1) << group->objectName().toStdString();
}

TEST_F(FormIniTest, AllKeysAndDatesInAnyLocale) {
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(ShowFor("FULL",
                    "[Version]\r\nName=База\r\nNumber=12\r\nDate=5.4.2010 9:05\r\n"
                    "ConfirmDate=31.12.2011 23:59:30\r\nTypeNB=G\r\nSubTypeNB=7\r\n"
                    "RegionName=77\r\n[Calculation]\r\nC4=1\r\nX40=0\r\n"
                    "KodRemontSbornik_GESN=1\r\nVarMontagMaterial=0\r\n"),
            QDialog::Accepted);
  QLocale::setDefault(QLocale::system());
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(form.leNumber->text(), "12");
  EXPECT_EQ(form.dtpCreate->dateTime(), QDateTime(QDate(2010, 4, 5), QTime(9, 5)));
  EXPECT_EQ(form.dtpConfirmate->text(), "31.12.2011    23:59");
  EXPECT_FALSE(TFormIni::IsMarkedMissing(form.dtpConfirmate));
  EXPECT_EQ(form.cbTypeNB->currentText().toStdString(), "ГЭСН-2001, ФЕР-2001, ТЕР-2001");
  EXPECT_EQ(form.edSubTypeNB->text(), "7");
  form.UpDown1->StepBy(1);
  EXPECT_EQ(form.edSubTypeNB->text(), "8") << "the arrows step from the shown subtype";
  EXPECT_EQ(form.cbRegio->currentText().toStdString(), "77  г. Москва");
  EXPECT_EQ(form.rgC4->ItemIndex(), 1);
  EXPECT_EQ(form.rgX40->ItemIndex(), 0);
  EXPECT_EQ(form.rgKodRemontSbornik_GESN->ItemIndex(), 1);
  EXPECT_EQ(form.rgVarMontagMaterial->ItemIndex(), 0);
}

// Region codes match the first two characters of an entry exactly; C4
// values are clamped to the two items; a value that is no number stops the
// loading there, after the region was set.
TEST_F(FormIniTest, RegionAndC4Cases) {
  struct Case {
    const char* name;
    const char* region;
    const char* c4;
    int regionIndex;  // -2: unchanged
    int c4Index;      // -2: unchanged
    bool error;
  };
  const Case cases[] = {
      {"region 77, C4 1", "77", "1", 77, 1, false},
      {"region 7 keeps 77, C4 5 is the last item", "7", "5", -2, 1, false},
      {"a region's name keeps it, C4 -3 clears", "г. Москва", "-3", -2, -1, false},
      {"region 01, C4 0", "01", "0", 1, 0, false},
      {"C4 abc stops after the region", "50", "abc", 50, -2, true},
  };
  int n = 0;
  for (const Case& c : cases) {
    const int regionBefore = form.cbRegio->currentIndex();
    const int c4Before = form.rgC4->ItemIndex();
    ui.messages.clear();
    std::string ini = std::string("[Version]\r\nRegionName=") + c.region +
                      "\r\n[Calculation]\r\nC4=" + c.c4 + "\r\nX40=1\r\n";
    ShowFor("R" + std::to_string(n++), ini);
    EXPECT_EQ(form.cbRegio->currentIndex(), c.regionIndex == -2 ? regionBefore : c.regionIndex)
        << c.name;
    EXPECT_EQ(form.rgC4->ItemIndex(), c.c4Index == -2 ? c4Before : c.c4Index) << c.name;
    EXPECT_EQ(ui.messages.size(), c.error ? 1u : 0u) << c.name;
    if (c.error) {
      EXPECT_EQ(ui.messages[0].icon, platform::Icon::Error);
      EXPECT_NE(ui.messages[0].text.find("abc"), std::string::npos);
    }
  }
  EXPECT_EQ(form.cbRegio->itemText(77).toStdString(), "77  г. Москва");
}

TEST_F(FormIniTest, ValuesStayBetweenShowings) {
  ShowFor("FIRST",
          "[Version]\r\nName=Первая\r\nDate=01.02.2003 04:05\r\nTypeNB=M\r\nSubTypeNB=3\r\n"
          "RegionName=78\r\n[Calculation]\r\nX40=1\r\n");
  ShowFor("SECOND", "[Version]\r\nName=Вторая\r\n");
  EXPECT_EQ(form.leName->text().toStdString(), "Вторая");
  EXPECT_EQ(form.edSubTypeNB->text(), "") << "the subtype is always overwritten";
  EXPECT_EQ(form.rgX40->ItemIndex(), 1);
  EXPECT_EQ(form.cbRegio->currentText().toStdString(), "78  г. Санкт-Петербург");
  EXPECT_EQ(form.dtpCreate->dateTime(), QDateTime(QDate(2003, 2, 1), QTime(4, 5)));
  EXPECT_TRUE(TFormIni::IsMarkedMissing(form.dtpCreate));
  EXPECT_EQ(form.cbTypeNB->currentIndex(), 0) << "a base without a type shows none";
}

TEST_F(FormIniTest, BadDateStopsTheLoading) {
  ShowFor("BAD", "[Version]\r\nName=Имя\r\nDate=.04.2010 14:37\r\nTypeNB=G\r\n");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find(".04.2010 14:37"), std::string::npos);
  EXPECT_EQ(form.leName->text().toStdString(), "Имя");
  EXPECT_EQ(form.cbTypeNB->currentIndex(), 0) << "keys after the date are not read";
}

struct DateCase {
  const char* name;
  const char* text;
  bool ok;
  QDateTime expected;
};

class NbIniDates : public ::testing::TestWithParam<DateCase> {};

TEST_P(NbIniDates, Parse) {
  const DateCase& c = GetParam();
  auto parsed = nbini::ParseNbIniDateTime(QString::fromUtf8(c.text));
  ASSERT_EQ(parsed.has_value(), c.ok);
  if (c.ok) {
    EXPECT_EQ(*parsed, c.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, NbIniDates,
    ::testing::Values(
        DateCase{"Full", "05.04.2010 14:37", true, QDateTime(QDate(2010, 4, 5), QTime(14, 37))},
        DateCase{"Short", "5.4.2010 9:07", true, QDateTime(QDate(2010, 4, 5), QTime(9, 7))},
        DateCase{"Seconds", "05.04.2010 14:37:59", true,
                 QDateTime(QDate(2010, 4, 5), QTime(14, 37, 59))},
        DateCase{"DateOnly", "05.04.2010", true, QDateTime(QDate(2010, 4, 5), QTime(0, 0))},
        DateCase{"NoDay", ".04.2010 14:37", false, {}},
        DateCase{"MonthThirteen", "05.13.2010 14:37", false, {}},
        DateCase{"Hour25", "05.04.2010 25:00", false, {}},
        DateCase{"Slashes", "05/04/2010 14:37", false, {}},
        DateCase{"Text", "вчера", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
