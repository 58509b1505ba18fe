#include "gui/location_editor.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <limits>

#include "gui/dialogs.h"
#include "gui/file_type_list.h"
#include "gui/icons.h"
#include "gui/location_list.h"
#include "scan/scan_location.h"

namespace tallyfold::gui {

namespace {

constexpr int kTypeColumnPixels = 67;
constexpr char kLevelRule[] =
    "The level must be a whole number from 1 up, or check \"All Levels\".";

QToolButton* pictureButton(const char* name, const QIcon& icon, const QString& tip,
                           QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setIcon(icon);
  button->setToolTip(tip);
  return button;
}

}  // namespace

LocationEditor::LocationEditor(QWidget* parent) : QDialog(parent) {
  setObjectName("FolderFrm");
  setWindowTitle("Add/Exclude Folders");
  setModal(true);
  ok_ = new QPushButton("OK", this);
  ok_->setObjectName("cmdOK");
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &LocationEditor::confirm);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildPathRow());
  layout->addWidget(buildLevelBox());
  layout->addWidget(buildTypeBox(), 1);
  layout->addLayout(buttons);
  fillTypes();
  updateTypeControls();
  resize(440, 420);
}

QWidget* LocationEditor::buildPathRow() {
  auto* row = new QWidget(this);
  auto* label = new QLabel("Path :", row);
  label->setObjectName("Label1");
  path_ = new QLineEdit(row);
  path_->setObjectName("Text1");
  connect(path_, &QLineEdit::textChanged, this,
          [this](const QString& text) { ok_->setEnabled(!text.trimmed().isEmpty()); });
  auto* browse = pictureButton("Command2", icon(IconName::Browse), "Choose Folder", row);
  connect(browse, &QToolButton::clicked, this, &LocationEditor::chooseFolder);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(label);
  layout->addWidget(path_, 1);
  layout->addWidget(browse);
  return row;
}

QWidget* LocationEditor::buildLevelBox() {
  auto* box = new QWidget(this);
  subFolders_ = new QCheckBox("Include Sub Folders", box);
  subFolders_->setObjectName("Check1");
  subFolders_->setChecked(true);
  allLevels_ = new QCheckBox("All Levels", box);
  allLevels_->setObjectName("Check2");
  // A first scan of a collection whose files lie a few folders down finds
  // them: the walk has no depth limit until the user sets one.
  allLevels_->setChecked(true);
  auto* label = new QLabel("Level Deep", box);
  label->setObjectName("Label2");
  level_ = new QLineEdit("1", box);
  level_->setObjectName("Text2");
  level_->setMaximumWidth(60);
  connect(subFolders_, &QCheckBox::toggled, this, &LocationEditor::updateLevelControls);
  connect(allLevels_, &QCheckBox::toggled, this, &LocationEditor::updateLevelControls);
  updateLevelControls();
  auto* layout = new QHBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(subFolders_);
  layout->addWidget(allLevels_);
  layout->addStretch();
  layout->addWidget(label);
  layout->addWidget(level_);
  return box;
}

QWidget* LocationEditor::buildTypeBox() {
  auto* box = new QGroupBox(this);
  allFiles_ = new QRadioButton("Scan All Files", box);
  allFiles_->setObjectName("Option1");
  allFiles_->setChecked(true);
  someFiles_ = new QRadioButton("Scans the following files", box);
  someFiles_->setObjectName("Option2");
  connect(someFiles_, &QRadioButton::toggled, this, &LocationEditor::updateTypeControls);
  types_ = new QTreeWidget(box);
  types_->setObjectName("FType");
  types_->setColumnCount(2);
  types_->setHeaderHidden(true);
  types_->setRootIsDecorated(false);
  types_->setColumnWidth(0, kTypeColumnPixels);
  addType_ = pictureButton("cmdFileAdd", icon(IconName::AddType), "Add a file type", box);
  deleteType_ =
      pictureButton("cmdFileDelete", icon(IconName::DeleteType), "Delete the file type", box);
  connect(addType_, &QToolButton::clicked, this, &LocationEditor::addFileType);
  connect(deleteType_, &QToolButton::clicked, this, &LocationEditor::deleteFileType);
  auto* typeButtons = new QVBoxLayout;
  typeButtons->addWidget(addType_);
  typeButtons->addWidget(deleteType_);
  typeButtons->addStretch();
  auto* list = new QHBoxLayout;
  list->addWidget(types_, 1);
  list->addLayout(typeButtons);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(allFiles_);
  layout->addWidget(someFiles_);
  layout->addLayout(list, 1);
  return box;
}

void LocationEditor::fillTypes() {
  for (const FileType& type : FileTypeList::loadOrDefaults()) {
    auto* item = new QTreeWidgetItem(types_, {type.extension, type.typeName});
    item->setCheckState(0, Qt::Unchecked);
  }
}

void LocationEditor::saveTypes() {
  QVector<FileType> types;
  for (int row = 0; row < types_->topLevelItemCount(); ++row) {
    QTreeWidgetItem* item = types_->topLevelItem(row);
    types.push_back(FileType{item->text(0), item->text(1)});
  }
  // The list on screen stays as it is when the store cannot be written.
  FileTypeList::save(types);
}

void LocationEditor::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (chooserShown_ || !editedFolderText_.isEmpty()) return;
  chooserShown_ = true;
  // After the editor is on screen, so the chooser opens over it.
  QTimer::singleShot(0, this, &LocationEditor::chooseFolder);
}

void LocationEditor::chooseFolder() {
  path_->setText(Dialogs::current().chooseFolder(this, "Choose Folder to Search"));
  ok_->setEnabled(!path_->text().trimmed().isEmpty());
}

void LocationEditor::updateLevelControls() {
  allLevels_->setEnabled(subFolders_->isChecked());
  level_->setEnabled(subFolders_->isChecked() && !allLevels_->isChecked());
}

void LocationEditor::updateTypeControls() {
  bool some = someFiles_->isChecked();
  types_->setEnabled(some);
  addType_->setEnabled(some);
  deleteType_->setEnabled(some && types_->topLevelItemCount() > 0);
}

void LocationEditor::addFileType() {
  QString text = Dialogs::current().inputText(this, "File Types", "Please type File Extension");
  text.remove('*').remove('.');
  ++insertionCounter_;
  if (!text.isEmpty()) {
    QString extension = "." + text;
    auto* item = new QTreeWidgetItem(QStringList{extension, FileTypeList::typeNameOf(extension)});
    item->setCheckState(0, Qt::Unchecked);
    // The n-th type added in this editor goes to position n, or to the end
    // when earlier deletions made the list shorter than that.
    int position = std::min(insertionCounter_ - 1, types_->topLevelItemCount());
    types_->insertTopLevelItem(position, item);
  }
  updateTypeControls();
  saveTypes();
}

void LocationEditor::deleteFileType() {
  delete types_->currentItem();
  updateTypeControls();
  saveTypes();
}

std::optional<int> LocationEditor::checkedLevel() {
  if (!subFolders_->isChecked() || allLevels_->isChecked()) return ScanLocation::kAllLevels;
  bool number = false;
  int level = level_->text().trimmed().toInt(&number);
  if (number && level >= 1 && level <= std::numeric_limits<int16_t>::max()) return level;
  Dialogs::current().message(this, "Error", kLevelRule, MessageIcon::Information);
  level_->setFocus();
  return std::nullopt;
}

void LocationEditor::confirm() {
  std::optional<int> level = checkedLevel();
  if (!level) return;
  ScanLocation location;
  location.folder = path_->text() == editedFolderText_ && !editedFolder_.empty()
                        ? editedFolder_
                        : path_->text().toStdString();
  location.subFolders = subFolders_->isChecked();
  location.level = *level;
  if (someFiles_->isChecked()) {
    QStringList checked;
    for (int row = 0; row < types_->topLevelItemCount(); ++row)
      if (types_->topLevelItem(row)->checkState(0) == Qt::Checked)
        checked << types_->topLevelItem(row)->text(0);
    if (checked.isEmpty()) {
      Dialogs::current().message(this, "Error", "Please select at least one file type",
                                 MessageIcon::None);
      return;
    }
    location.fileTypes = checked.join(';').toStdString();
  }
  result_ = location;
  accept();
}

void LocationEditor::editLocation(const ScanLocation& location) {
  editedFolder_ = location.folder;
  editedFolderText_ = LocationList::displayedFolder(location.folder);
  path_->setText(editedFolderText_);
  subFolders_->setChecked(location.subFolders);
  const bool limited = location.level != ScanLocation::kAllLevels;
  allLevels_->setChecked(!limited);
  if (limited) level_->setText(QString::number(location.level));
  updateLevelControls();
  if (location.fileTypes != "*.*") {
    someFiles_->setChecked(true);
    QStringList wanted = QString::fromStdString(location.fileTypes).split(';');
    for (int row = 0; row < types_->topLevelItemCount(); ++row) {
      QTreeWidgetItem* item = types_->topLevelItem(row);
      if (wanted.removeAll(item->text(0)) > 0) item->setCheckState(0, Qt::Checked);
    }
    // Types of the row that the list lacks are shown ticked at its end, so
    // that confirming the editor keeps the row's filter whole.
    for (const QString& extension : wanted) {
      if (extension.isEmpty()) continue;
      auto* item = new QTreeWidgetItem(types_, {extension, FileTypeList::typeNameOf(extension)});
      item->setCheckState(0, Qt::Checked);
    }
  }
  updateTypeControls();
}

ScanLocation LocationEditor::location() const {
  return result_;
}

QString LocationEditor::folderText() const {
  return path_->text();
}

}  // namespace tallyfold::gui
