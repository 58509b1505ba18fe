#include "gui/settings_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/dialogs.h"
#include "platform/settings_store.h"

namespace tallyfold::gui {

namespace {

// Each check box and the value it holds.
struct CheckBinding {
  const char* name;
  const char* caption;
  int ReportSettings::*value;
};

constexpr CheckBinding kListOptions[] = {
    {"v_FullPath", "Full path", &ReportSettings::fullPath},
    {"v_ListInUpper", "List in upper case", &ReportSettings::listInUpper},
    {"v_ListInLower", "List in lowercase", &ReportSettings::listInLower},
    {"v_IncludeFolderTitle", "Include Folder Title (Directory of)",
     &ReportSettings::includeFolderTitle},
    {"v_IncludeSeparator", "Include Separator (--------------------)",
     &ReportSettings::includeSeparator},
    {"v_IncludeFolderSum", "Include folder summary", &ReportSettings::includeFolderSum},
    {"v_IncludeFullSum", "Include full summary", &ReportSettings::includeFullSum},
};

constexpr CheckBinding kGeneralFields[] = {
    {"f_Filename", "File Name", &ReportSettings::fileName},
    {"f_Size", "Size", &ReportSettings::size},
    {"f_Date", "Date", &ReportSettings::date},
    {"f_Time", "Time", &ReportSettings::time},
    {"f_Attribute", "Attribute", &ReportSettings::attribute},
    {"f_Version", "Version", &ReportSettings::version},
    {"f_Owner", "Owner", &ReportSettings::owner},
    {"f_CRC32", "CRC32", &ReportSettings::crc32},
    {"f_SHA256", "SHA-256", &ReportSettings::sha256},
};

constexpr CheckBinding kTagFields[] = {
    {"f_Title", "Title", &ReportSettings::title},
    {"f_Artist", "Artist", &ReportSettings::artist},
    {"f_Album", "Album", &ReportSettings::album},
    {"f_Year", "Year", &ReportSettings::year},
    {"f_Genre", "Genre", &ReportSettings::genre},
    {"f_Comment", "Comment", &ReportSettings::comment},
    {"f_RemoveBlankSpaces", "Remove blank spaces", &ReportSettings::removeBlankSpaces},
};

constexpr CheckBinding kMediaFields[] = {
    {"f_Duration", "Duration (audio and video)", &ReportSettings::duration},
    {"f_Bitrate", "Bitrate", &ReportSettings::bitrate},
    {"f_AudioFormat", "Sample rate and channels", &ReportSettings::audioFormat},
    {"f_Dimensions", "Dimensions (images and video)", &ReportSettings::dimensions},
    {"f_Taken", "Date taken", &ReportSettings::taken},
    {"f_Camera", "Camera", &ReportSettings::camera},
    {"f_Codec", "Codec", &ReportSettings::codec},
};

template <class Visit>
void forEachBinding(Visit visit) {
  for (const auto& binding : kListOptions) visit(binding);
  for (const auto& binding : kGeneralFields) visit(binding);
  for (const auto& binding : kTagFields) visit(binding);
  for (const auto& binding : kMediaFields) visit(binding);
}

QGroupBox* checkFrame(const char* name, const QString& caption, QWidget* parent) {
  auto* frame = new QGroupBox(caption, parent);
  frame->setObjectName(name);
  new QVBoxLayout(frame);
  return frame;
}

// Beside the report settings, in the same store.
constexpr std::string_view kCatalogueSection = "Catalogue";
constexpr std::string_view kAddEveryScanKey = "AddEveryScan";

}  // namespace

SettingsWindow::SettingsWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("SettingsFrm");
  setWindowTitle("Settings");
  setModal(true);
  auto* tabs = new QTabWidget(this);
  tabs->setObjectName("SSTab1");
  tabs->addTab(buildGeneralPage(), "General");
  tabs->addTab(buildFieldsPage(), "Printing Fields");
  tabs->addTab(buildMediaPage(), "Media Fields");
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("Command1");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &SettingsWindow::acceptSettings);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs);
  layout->addLayout(buttons);
  loadFromStore();
}

QCheckBox* SettingsWindow::addCheck(const char* name, const QString& caption, QWidget* parent) {
  auto* check = new QCheckBox(caption, parent);
  check->setObjectName(name);
  parent->layout()->addWidget(check);
  checks_[name] = check;
  return check;
}

QWidget* SettingsWindow::buildGeneralPage() {
  auto* page = new QWidget(this);
  auto* frame = checkFrame("Frame1", "List options", page);
  for (const auto& binding : kListOptions) addCheck(binding.name, binding.caption, frame);
  // The two case options exclude each other; turning one off leaves the other.
  connect(checks_["v_ListInUpper"], &QCheckBox::toggled, this, [this](bool on) {
    if (on) checks_["v_ListInLower"]->setChecked(false);
  });
  connect(checks_["v_ListInLower"], &QCheckBox::toggled, this, [this](bool on) {
    if (on) checks_["v_ListInUpper"]->setChecked(false);
  });

  auto* sizes = new QGridLayout;
  auto* sizeLabel = new QLabel("Show Size in", frame);
  sizeLabel->setObjectName("Label1");
  showSizeIn_ = new QComboBox(frame);
  showSizeIn_->setObjectName("v_ShowSizeIn");
  showSizeIn_->addItems({"Bytes", "KB", "MB", "GB"});
  auto* columnLabel = new QLabel("Column Size", frame);
  columnLabel->setObjectName("Label2");
  // Only a whole number of characters in the range the reports accept can
  // be typed, so what is stored is always the width the listing gets.
  columnSize_ = new QSpinBox(frame);
  columnSize_->setObjectName("v_ColSize");
  columnSize_->setRange(kSmallestColumnSize, kLargestColumnSize);
  columnSize_->setSingleStep(5);
  columnSize_->setValue(kDefaultColumnSize);
  sizes->addWidget(sizeLabel, 0, 0);
  sizes->addWidget(showSizeIn_, 0, 1);
  sizes->addWidget(columnLabel, 1, 0);
  sizes->addWidget(columnSize_, 1, 1);
  static_cast<QVBoxLayout*>(frame->layout())->addLayout(sizes);

  auto* catalogue = checkFrame("catalogueFrame", "Catalogue", page);
  addEveryScan_ = new QCheckBox("Add every scan to the catalogue", catalogue);
  addEveryScan_->setObjectName("catalogueAddEveryScan");
  catalogue->layout()->addWidget(addEveryScan_);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(frame);
  layout->addWidget(catalogue);
  return page;
}

QWidget* SettingsWindow::buildFieldsPage() {
  auto* page = new QWidget(this);
  auto* general = checkFrame("Frame4", "General Fields", page);
  for (const auto& binding : kGeneralFields) addCheck(binding.name, binding.caption, general);
  auto* tags = checkFrame("Frame5", "Tags", page);
  for (const auto& binding : kTagFields) addCheck(binding.name, binding.caption, tags);
  auto* layout = new QHBoxLayout(page);
  layout->addWidget(general);
  layout->addWidget(tags);
  return page;
}

QWidget* SettingsWindow::buildMediaPage() {
  auto* page = new QWidget(this);
  auto* media = checkFrame("Frame6", "Music, photos and videos", page);
  for (const auto& binding : kMediaFields) addCheck(binding.name, binding.caption, media);
  static_cast<QVBoxLayout*>(media->layout())->addStretch();
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(media);
  return page;
}

ReportSettings SettingsWindow::settings() const {
  ReportSettings settings;
  forEachBinding([&](const CheckBinding& binding) {
    settings.*binding.value = checks_.at(binding.name)->isChecked() ? 1 : 0;
  });
  settings.showSizeIn = showSizeIn_->currentText().toStdString();
  settings.colSize = std::to_string(columnSize_->value());
  return settings;
}

bool SettingsWindow::addEveryScan() const {
  return addEveryScan_->isChecked();
}

void SettingsWindow::showSettings(const ReportSettings& settings) {
  forEachBinding([&](const CheckBinding& binding) {
    checks_.at(binding.name)->setChecked(settings.*binding.value != 0);
  });
  showSizeIn_->setCurrentText(QString::fromStdString(settings.showSizeIn));
  // A stored text that is no number shows as the width it gives the listing.
  columnSize_->setValue(settings.columnSize());
}

void SettingsWindow::loadFromStore() {
  SettingsStore store{std::string(kSettingsApplication)};
  showSettings(loadReportSettings(store));
  addEveryScan_->setChecked(store.get(kCatalogueSection, kAddEveryScanKey) == "1");
}

bool SettingsWindow::saveToStore() {
  SettingsStore store{std::string(kSettingsApplication)};
  if (saveReportSettings(store, settings()) &&
      store.set(kCatalogueSection, kAddEveryScanKey, addEveryScan_->isChecked() ? "1" : "0"))
    return true;
  Dialogs::current().message(this, "Error",
                             "The settings could not be saved to " +
                                 QString::fromStdString(store.filePath()) +
                                 ": the file could not be written.",
                             MessageIcon::Critical);
  return false;
}

void SettingsWindow::acceptSettings() {
  saveToStore();
  accept();
}

void SettingsWindow::reject() {
  loadFromStore();
  QDialog::reject();
}

void SettingsWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  checks_["v_FullPath"]->setFocus();
}

}  // namespace tallyfold::gui
