#include "gui/exclusion_window.h"

#include <QCheckBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include "gui/dialogs.h"
#include "gui/entry_bytes.h"
#include "platform/settings_store.h"

namespace tallyfold::gui {

namespace {

constexpr char kLinkSection[] = "Exclusions";
constexpr char kLinkKey[] = "FollowLinks";
constexpr char kSkipHiddenKey[] = "SkipHiddenFolders";

QPushButton* namedButton(const char* name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

// Each item carries its entry's bytes; its text is only for showing them.
constexpr int kBytesRole = Qt::UserRole;

std::string bytesOf(const QListWidgetItem* item) {
  return item->data(kBytesRole).toByteArray().toStdString();
}

std::vector<std::string> entriesOf(const QListWidget* list) {
  std::vector<std::string> entries;
  for (int row = 0; row < list->count(); ++row) entries.push_back(bytesOf(list->item(row)));
  return entries;
}

void addItem(QListWidget* list, const std::string& bytes) {
  auto* item = new QListWidgetItem(bytesForDisplay(bytes), list);
  item->setData(kBytesRole, QByteArray::fromStdString(bytes));
}

bool sameEntries(const ExclusionLists& a, const ExclusionLists& b) {
  return a.fileNames == b.fileNames && a.folders == b.folders && a.extensions == b.extensions;
}

// The chooser's path as the walker compares it: no trailing "/" but "/" itself.
QString withoutTrailingSlash(QString path) {
  while (path.size() > 1 && path.endsWith('/')) path.chop(1);
  return path;
}

}  // namespace

ExclusionWindow::ExclusionWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("ExcludeFrm");
  setWindowTitle("Exclusion List");
  setModal(true);
  auto* tabs = new QTabBar(this);
  tabs->setObjectName("TabStrip1");
  for (const char* caption : {"File Names", "Folders", "Extensions"}) tabs->addTab(caption);
  pages_ = new QStackedWidget(this);
  pages_->addWidget(buildFileNamePage());
  pages_->addWidget(buildFolderPage());
  pages_->addWidget(buildExtensionPage());
  connect(tabs, &QTabBar::currentChanged, pages_, &QStackedWidget::setCurrentIndex);

  auto* ok = namedButton("Command6", "&OK", this);
  connect(ok, &QPushButton::clicked, this, &ExclusionWindow::acceptLists);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs);
  layout->addWidget(pages_);
  layout->addLayout(buttons);
  loadLists();
}

QWidget* ExclusionWindow::buildPage(const char* frameName, const QString& caption, QWidget* entry,
                                    const char* addName, const char* listName,
                                    const char* removeName, Page& page) {
  auto* frame = new QWidget(this);
  frame->setObjectName(frameName);
  auto* label = new QLabel(caption, frame);
  page.list = new QListWidget(frame);
  page.list->setObjectName(listName);
  page.remove = namedButton(removeName, "Remove", frame);
  page.remove->setEnabled(false);
  auto* add = namedButton(addName, "Add", frame);
  auto* row = new QHBoxLayout;
  if (entry != nullptr) row->addWidget(entry, 1);
  row->addWidget(add);
  row->addWidget(page.remove);
  auto* layout = new QVBoxLayout(frame);
  layout->addWidget(label);
  layout->addLayout(row);
  layout->addWidget(page.list, 1);
  connect(page.remove, &QPushButton::clicked, this, [&page] {
    delete page.list->currentItem();
    page.remove->setEnabled(page.list->count() > 0);
  });
  return frame;
}

QWidget* ExclusionWindow::buildFileNamePage() {
  fileName_ = new QLineEdit(this);
  fileName_->setObjectName("txtFileName");
  QWidget* page =
      buildPage("FrameFileNames", "Ignore these filenames (e.g filename.ext) from scanning",
                fileName_, "cmdFileAdd", "lstFileName", "cmdFileRemove", fileNames_);
  connect(page->findChild<QPushButton*>("cmdFileAdd"), &QPushButton::clicked, this,
          &ExclusionWindow::addFileName);
  connect(fileName_, &QLineEdit::returnPressed, this, &ExclusionWindow::addFileName);
  return page;
}

QWidget* ExclusionWindow::buildFolderPage() {
  QWidget* page = buildPage("FrameFolders", "Ignore these folders from scanning", nullptr,
                            "cmdFolderAdd", "lstFolder", "cmdFolderRemove", folders_);
  connect(page->findChild<QPushButton*>("cmdFolderAdd"), &QPushButton::clicked, this,
          &ExclusionWindow::addFolder);
  subFolders_ = new QCheckBox("Include Sub Folders", page);
  subFolders_->setObjectName("chkFolderSubFolder");
  followLinks_ = new QCheckBox("Follow links to folders", page);
  followLinks_->setObjectName("chkFollowLinks");
  skipHidden_ = new QCheckBox("Skip hidden folders", page);
  skipHidden_->setObjectName("chkSkipHiddenFolders");
  skipHidden_->setToolTip("Neither enter nor list folders whose names begin with \".\"");
  page->layout()->addWidget(subFolders_);
  page->layout()->addWidget(followLinks_);
  page->layout()->addWidget(skipHidden_);
  return page;
}

QWidget* ExclusionWindow::buildExtensionPage() {
  extension_ = new QLineEdit(this);
  extension_->setObjectName("txtExtension");
  // Letters and digits only: the "*." is added by the list itself.
  extension_->setValidator(
      new QRegularExpressionValidator(QRegularExpression("[A-Za-z0-9]*"), extension_));
  QWidget* page =
      buildPage("FrameExtensions", "Ignore these file extensions from scanning", extension_,
                "cmdExtensionAdd", "lstExtension", "cmdExtensionRemove", extensions_);
  connect(page->findChild<QPushButton*>("cmdExtensionAdd"), &QPushButton::clicked, this,
          &ExclusionWindow::addExtension);
  connect(extension_, &QLineEdit::returnPressed, this, &ExclusionWindow::addExtension);
  return page;
}

// False when the entry is empty or already listed (compared without case).
bool ExclusionWindow::addEntry(Page& page, const std::string& bytes) {
  if (bytes.empty()) return false;
  const QString shown = bytesForDisplay(bytes);
  for (int row = 0; row < page.list->count(); ++row)
    if (page.list->item(row)->text().compare(shown, Qt::CaseInsensitive) == 0) return false;
  addItem(page.list, bytes);
  page.remove->setEnabled(true);
  return true;
}

void ExclusionWindow::addFileName() {
  if (!addEntry(fileNames_, fileName_->text().toStdString())) return;
  fileName_->clear();
  fileName_->setFocus();
}

void ExclusionWindow::addFolder() {
  QString folder = Dialogs::current().chooseFolder(this, "Choose Folder to exclude");
  // The path's bytes on disk, as the walker meets them.
  if (!folder.isEmpty())
    addEntry(folders_, QFile::encodeName(withoutTrailingSlash(folder)).toStdString());
}

void ExclusionWindow::addExtension() {
  if (extension_->text().isEmpty() ||
      !addEntry(extensions_, "*." + extension_->text().toStdString()))
    return;
  extension_->clear();
  extension_->setFocus();
}

void ExclusionWindow::fillList(Page& page, const std::vector<std::string>& entries) {
  page.list->clear();
  for (const std::string& entry : entries) addItem(page.list, entry);
  page.remove->setEnabled(page.list->count() > 0);
}

ExclusionLists ExclusionWindow::lists() const {
  ExclusionLists lists;
  lists.fileNames = entriesOf(fileNames_.list);
  lists.folders = entriesOf(folders_.list);
  lists.extensions = entriesOf(extensions_.list);
  lists.skipExcludedFolderTrees = subFolders_->isChecked();
  lists.skipHiddenFolders = skipHidden_->isChecked();
  return lists;
}

bool ExclusionWindow::followLinks() const {
  return followLinks_->isChecked();
}

void ExclusionWindow::loadLists() {
  stored_ = loadExclusionList(exclusionListPath());
  fillList(fileNames_, stored_.fileNames);
  fillList(folders_, stored_.folders);
  fillList(extensions_, stored_.extensions);
  SettingsStore store{std::string(kSettingsApplication)};
  storedFollowLinks_ = store.get(kLinkSection, kLinkKey, "0") == "1";
  stored_.skipHiddenFolders = store.get(kLinkSection, kSkipHiddenKey, "0") == "1";
  followLinks_->setChecked(storedFollowLinks_);
  skipHidden_->setChecked(stored_.skipHiddenFolders);
}

bool ExclusionWindow::saveLists() {
  const ExclusionLists shown = lists();
  SettingsStore store{std::string(kSettingsApplication)};
  bool linksSaved = true;
  if (followLinks() != storedFollowLinks_ || shown.skipHiddenFolders != stored_.skipHiddenFolders) {
    linksSaved = store.set(kLinkSection, kLinkKey, followLinks() ? "1" : "0") &&
                 store.set(kLinkSection, kSkipHiddenKey, shown.skipHiddenFolders ? "1" : "0");
    if (linksSaved) {
      storedFollowLinks_ = followLinks();
      stored_.skipHiddenFolders = shown.skipHiddenFolders;
    }
  }
  std::string path = exclusionListPath();
  bool listsSaved = sameEntries(shown, stored_) || saveExclusionList(path, shown);
  if (listsSaved) {
    stored_.fileNames = shown.fileNames;
    stored_.folders = shown.folders;
    stored_.extensions = shown.extensions;
  }
  if (listsSaved && linksSaved) return true;
  QString file = QString::fromStdString(listsSaved ? store.filePath() : path);
  Dialogs::current().message(
      this, "Error",
      "The exclusion list could not be saved to " + file + ": the file could not be written.",
      MessageIcon::Critical);
  return false;
}

void ExclusionWindow::acceptLists() {
  saveLists();
  accept();
}

// The close box and Escape keep the edits too, as OK does.
void ExclusionWindow::reject() {
  saveLists();
  QDialog::reject();
}

}  // namespace tallyfold::gui
