#include "dialogs/folder_chooser.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "platform/paths.h"

namespace dialogs {

std::function<std::optional<std::string>(const FolderRequest&)> FolderChooser::hook;

std::string ChosenFolderText(const std::string& path) {
  std::string win = platform::UserPathToWindows(path);
  if (win.size() == 2 && win[1] == ':') win += '\\';
  const bool driveRoot = win.size() == 3 && win[1] == ':' && win[2] == '\\';
  while (!driveRoot && win.size() > 1 && win.back() == '\\') {
    win.pop_back();
    if (win.size() == 2 && win[1] == ':') {
      win += '\\';
      break;
    }
  }
  return win;
}

FolderChooser::FolderChooser(const FolderRequest& request, QWidget* parent)
    : QDialog(parent), request_(request) {
  setObjectName("FolderChooser");
  setWindowTitle(QString::fromUtf8("Обзор папок"));
  resize(360, 420);

  title_ = new QLabel(QString::fromStdString(request.title), this);
  title_->setObjectName("lblTitle");
  title_->setWordWrap(true);

  cbDrive_ = new QComboBox(this);
  cbDrive_->setObjectName("cbDrive");
  for (const auto& [letter, root] : platform::CurrentDriveMap().Drives()) {
    cbDrive_->addItem(QString("%1:").arg(QChar(letter)), QString::fromStdString(root.string()));
  }

  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setReadOnly(true);

  tvFolders_ = new QTreeView(this);
  tvFolders_->setObjectName("tvFolders");
  tvFolders_->setModel(model_);
  tvFolders_->setHeaderHidden(true);
  for (int c = 1; c < model_->columnCount(); ++c) tvFolders_->hideColumn(c);

  lblStatus_ = new QLabel(this);
  lblStatus_->setObjectName("lblStatus");
  lblStatus_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons_->setObjectName("buttons");
  buttons_->button(QDialogButtonBox::Ok)->setText("OK");
  buttons_->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("Отмена"));
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(false);
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title_);
  layout->addWidget(cbDrive_);
  layout->addWidget(tvFolders_, 1);
  layout->addWidget(lblStatus_);
  layout->addWidget(buttons_);

  connect(cbDrive_, &QComboBox::currentIndexChanged, this, &FolderChooser::ShowDrive);
  connect(tvFolders_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) { CurrentChanged(current); });

  if (!SelectFolder(request.current) && cbDrive_->count() > 0) ShowDrive(cbDrive_->currentIndex());
}

void FolderChooser::ShowDrive(int comboIndex) {
  if (comboIndex < 0) return;
  const QString root = cbDrive_->itemData(comboIndex).toString();
  model_->setRootPath(root);
  tvFolders_->setRootIndex(model_->index(root));
  const QModelIndex rootIndex = model_->index(root);
  tvFolders_->setCurrentIndex(rootIndex);
  CurrentChanged(rootIndex);
}

bool FolderChooser::SelectFolder(const std::string& windowsPath) {
  if (windowsPath.empty()) return false;
  const std::string win = ChosenFolderText(windowsPath);
  if (win.size() < 2 || win[1] != ':') return false;
  const int drive = cbDrive_->findText(QString::fromStdString(win.substr(0, 2)), Qt::MatchFixedString);
  if (drive < 0) return false;
  auto host = platform::ToHost(win);
  if (!host || !std::filesystem::is_directory(*host)) return false;

  const QSignalBlocker block(cbDrive_);
  cbDrive_->setCurrentIndex(drive);
  const QString root = cbDrive_->itemData(drive).toString();
  model_->setRootPath(root);
  tvFolders_->setRootIndex(model_->index(root));
  const QModelIndex index = model_->index(QString::fromStdString(host->lexically_normal().string()));
  if (!index.isValid()) return false;
  for (QModelIndex p = index.parent(); p.isValid(); p = p.parent()) tvFolders_->expand(p);
  tvFolders_->setCurrentIndex(index);
  tvFolders_->scrollTo(index);
  CurrentChanged(index);
  return true;
}

void FolderChooser::CurrentChanged(const QModelIndex& index) {
  current_.clear();
  bool ok = false;
  QString status;
  if (index.isValid()) {
    const std::string hostPath = model_->filePath(index).toStdString();
    if (auto win = platform::ToWindows(hostPath)) {
      current_ = ChosenFolderText(*win);
      status = QString::fromStdString(current_);
      ok = !request_.check || request_.check(current_);
    } else {
      status = QString::fromStdString(hostPath);
    }
  }
  lblStatus_->setText(status);
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(ok);
}

std::string FolderChooser::CurrentFolder() const { return current_; }

bool FolderChooser::OkEnabled() const { return buttons_->button(QDialogButtonBox::Ok)->isEnabled(); }

QString FolderChooser::StatusText() const { return lblStatus_->text(); }

std::optional<std::string> FolderChooser::Choose(const FolderRequest& request, QWidget* parent) {
  if (hook) {
    auto answer = hook(request);
    if (!answer) return std::nullopt;
    return ChosenFolderText(*answer);
  }
  FolderChooser chooser(request, parent);
  if (chooser.exec() != QDialog::Accepted || chooser.CurrentFolder().empty()) return std::nullopt;
  return chooser.CurrentFolder();
}

}  // namespace dialogs
