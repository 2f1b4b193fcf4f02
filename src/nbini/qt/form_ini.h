// TFormIni: the modal dialog "nb.ini" that shows the values of a normative
// base's NB.INI: name, number, creation and approval dates, type, subtype,
// region and the four calculation options. It writes nothing back; OK and
// Cancel only close it. One instance is kept for the whole run: a key that
// is missing in the next file leaves the previous base's value in dates,
// region and calculation groups (name, number and subtype are always
// overwritten, a missing approval date shows the current time in red).
#pragma once

#include <QDateTime>
#include <QDialog>
#include <QGroupBox>
#include <optional>
#include <string>

class QButtonGroup;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace nbini {

// A group box with two exclusive radio items; index -1 is no item.
class RadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  RadioGroup(const QString& caption, const QString& item0, const QString& item1,
             QWidget* parent = nullptr);
  int ItemIndex() const;
  // Indexes below -1 count as -1, past the last item as the last item.
  void SetItemIndex(int index);

 private:
  QButtonGroup* group_;
  QRadioButton* items_[2];
};

// Up and down arrows bound to an edit: each step moves the position by one
// within [min, max] (no wrap-around) and shows it in the edit. The position
// is taken from the edit's text first when that is a number in range.
class UpDown : public QWidget {
  Q_OBJECT
 public:
  UpDown(QLineEdit* buddy, int min, int max, QWidget* parent = nullptr);
  int Position() const { return position_; }
  void StepBy(int steps);

 private:
  QLineEdit* buddy_;
  int min_, max_, position_;
};

// "d.M.yyyy H:mm[:ss]" or "d.M.yyyy" (day, month, year separated by full
// stops, then the time after blanks), read the same in every locale;
// nullopt when the text is not such a date and time.
std::optional<QDateTime> ParseNbIniDateTime(const QString& text);

class TFormIni : public QDialog {
  Q_OBJECT
 public:
  explicit TFormIni(QWidget* parent = nullptr);

  // The file to show: dir, a backslash unless dir ends with one (or is
  // empty), and "nb.ini". Windows form.
  void SetDir(const std::string& dir);
  const std::string& Path() const { return path_; }

  // Checks the file (a warning and false when no path is set or no file
  // exists there), then LoadIni. exec() runs it first and closes at once
  // when it fails.
  bool FormShow();
  // Fills the controls from the file. A date or calculation value that does
  // not convert is reported (error message) and ends the loading at that
  // key.
  void LoadIni();

  int exec() override;

  QGroupBox* GroupBox1;
  QLabel* leNameLabel;
  QLineEdit* leName;
  QLabel* leNumberLabel;
  QLineEdit* leNumber;
  QGroupBox* GroupBox3;
  QDateTimeEdit* dtpCreate;
  QGroupBox* GroupBox4;
  QDateTimeEdit* dtpConfirmate;
  QLabel* Label1;
  QComboBox* cbTypeNB;
  QLabel* Label2;
  QLineEdit* edSubTypeNB;
  UpDown* UpDown1;
  QLabel* Label3;
  QComboBox* cbRegio;
  QGroupBox* GroupBox2;
  RadioGroup* rgC4;
  RadioGroup* rgX40;
  RadioGroup* rgKodRemontSbornik_GESN;
  RadioGroup* rgVarMontagMaterial;
  QWidget* Panel1;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;

  // Whether a date picker shows the red "no value" colour.
  static bool IsMarkedMissing(const QDateTimeEdit* picker);

 private:
  std::string Read(const char* section, const char* key);
  void ShowConversionError(const std::string& text);

  std::string path_;
};

}  // namespace nbini
