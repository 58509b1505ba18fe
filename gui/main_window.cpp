#include "gui/main_window.h"

#include <QColor>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTextCharFormat>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/dialogs.h"
#include "gui/edit_commands.h"
#include "gui/exclusion_window.h"
#include "gui/icons.h"
#include "gui/listing_pane.h"
#include "gui/location_list.h"
#include "gui/print_job.h"
#include "gui/report_type_frame.h"
#include "gui/settings_window.h"
#include "gui/status_panels.h"

namespace tallyfold::gui {

namespace {

constexpr QSize kMinimumSize(600, 333);
constexpr int kReportTypeWidth = 355;
constexpr int kLocationListHeight = 92;
constexpr int kFontBoxWidth = 167;
constexpr int kFontSizeBoxWidth = 49;

// "Tallyfold v1.5" of version 1.5.0.
QString captionOfVersion(const QString& version) {
  const QStringList parts = version.split('.');
  return "Tallyfold v" + (parts.size() >= 2 ? parts[0] + '.' + parts[1] : version);
}

QAction* separator(QWidget* menu, const char* name) {
  auto* action = new QAction(menu);
  action->setSeparator(true);
  action->setObjectName(name);
  menu->addAction(action);
  return action;
}

}  // namespace

MainWindow::MainWindow() {
  setObjectName("MainFrm");
  setWindowTitle(captionOfVersion(TALLYFOLD_VERSION));
  setWindowIcon(icon(IconName::Application));
  setMinimumSize(kMinimumSize);
  // Loaded hidden: their stored values are in effect from the start.
  settings_ = new SettingsWindow(this);
  exclusions_ = new ExclusionWindow(this);
  // The pane comes first: the Edit menu and the print commands work on it.
  auto* central = new QWidget(this);
  pane_ = new ListingPane(central);
  edit_ = std::make_unique<EditCommands>(pane_);
  printJob_ = std::make_unique<PrintJob>();
  buildMenus();
  buildToolbar();

  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(2, 2, 2, 0);
  layout->addWidget(buildJobArea());
  layout->addWidget(buildFontBar());
  layout->addWidget(pane_, 1);
  setCentralWidget(central);
  status_ = new StatusPanels(this);
  setStatusBar(status_);
  status_->setPanelText(1, "Add search path and click on the scan button to start search.");

  clock_.setObjectName("Timer1");
  clock_.setInterval(1000);
  connect(&clock_, &QTimer::timeout, this,
          [this] { status_->setPanelText(5, QString::fromStdString(elapsed_.elapsedText())); });
  connect(&runner_, &ScanRunner::statusChanged, this,
          [this](const QString& text) { status_->setPanelText(1, text); });
  connect(&runner_, &ScanRunner::finished, this, &MainWindow::finishRun);
  connect(pane_, &ListingPane::loadFinished, this, &MainWindow::afterListingLoaded);
  connect(&catalogueTask_, &BackgroundTask::finished, this, &MainWindow::finishAddToCatalogue);
  enableControls(true);
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::addAction(QWidget* menu, const char* name, const QString& caption,
                               const QKeySequence& shortcut) {
  auto* action = new QAction(caption, this);
  action->setObjectName(name);
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  menu->addAction(action);
  actions_[name] = action;
  return action;
}

void MainWindow::buildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->setObjectName("mnuFile");
  connect(addAction(file, "mnuScan", "Scan", Qt::Key_F5), &QAction::triggered, this,
          &MainWindow::scan);
  connect(addAction(file, "mnuCancel", "Cancel", Qt::Key_F6), &QAction::triggered, this,
          &MainWindow::cancelScan);
  separator(file, "sep1");
  connect(addAction(file, "mnuNew", "New Job", QKeySequence("Ctrl+N")), &QAction::triggered, this,
          &MainWindow::newJob);
  connect(addAction(file, "mnuOpen", "Open Job", QKeySequence("Ctrl+O")), &QAction::triggered, this,
          &MainWindow::openJob);
  connect(addAction(file, "mnuSave", "Save Job", QKeySequence("Ctrl+S")), &QAction::triggered, this,
          &MainWindow::saveJobAs);
  recentMenu_ = file->addMenu("Recent Jobs");
  recentMenu_->setObjectName("mnuRecent");
  separator(file, "sep2");
  connect(addAction(file, "mnuSaveAs", "Save As"), &QAction::triggered, this, &MainWindow::saveAs);
  separator(file, "sepCatalogue");
  connect(addAction(file, "cmdAddToCatalogue", "Add to Catalogue"), &QAction::triggered, this,
          &MainWindow::addToCatalogue);
  connect(addAction(file, "mnuCatalogue", "Catalogue...", QKeySequence("Ctrl+K")),
          &QAction::triggered, this, &MainWindow::showCatalogue);
  buildPrintEntries(file);
  separator(file, "sep11");
  connect(addAction(file, "mnuClose", "Close", QKeySequence("Ctrl+Q")), &QAction::triggered, this,
          &QWidget::close);
  buildEditMenu();

  // The Format menu stays hidden; its Settings entry is reached from the toolbar.
  QMenu* format = menuBar()->addMenu("F&ormat");
  format->setObjectName("mnuFormat");
  format->menuAction()->setVisible(false);
  connect(addAction(format, "mnuOptions", "Settings"), &QAction::triggered, this,
          &MainWindow::showSettings);
  buildHelpMenu();
}

void MainWindow::buildToolbar() {
  commandBar_ = addToolBar("Commands");
  commandBar_->setObjectName("Toolbar1");
  commandBar_->setMovable(false);
  commandBar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  auto button = [this](const char* name, IconName picture, const QString& caption,
                       void (MainWindow::*command)()) {
    QAction* action = commandBar_->addAction(icon(picture), caption, this, command);
    action->setObjectName(name);
    actions_[name] = action;
  };
  button("Toolbar1Button1", IconName::Scan, "Scan", &MainWindow::scan);
  button("Toolbar1Button2", IconName::Cancel, "Cancel", &MainWindow::cancelScan);
  commandBar_->addSeparator();
  button("Toolbar1Button4", IconName::SaveAs, "Save As", &MainWindow::saveAs);
  button("Toolbar1Button5", IconName::Print, "Print", &MainWindow::print);
  button("Toolbar1Button6", IconName::Settings, "Settings", &MainWindow::showSettings);
  button("Toolbar1Button7", IconName::Catalogue, "Catalogue", &MainWindow::showCatalogue);
}

QToolButton* MainWindow::jobButton(const char* name, const QString& tip,
                                   void (MainWindow::*command)()) {
  auto* button = new QToolButton(this);
  button->setObjectName(name);
  button->setToolTip(tip);
  button->setIconSize(QSize(24, 24));
  connect(button, &QToolButton::clicked, this, command);
  return button;
}

QWidget* MainWindow::buildJobArea() {
  auto* area = new QWidget(this);
  locations_ = new LocationList(area);
  connect(locations_, &LocationList::editRequested, this, &MainWindow::editLocation);
  connect(locations_, &LocationList::foldersDropped, this, &MainWindow::addFolders);
  reportType_ = new ReportTypeFrame(area);
  reportType_->setFixedWidth(kReportTypeWidth);
  locations_->setFixedHeight(std::max(kLocationListHeight, reportType_->sizeHint().height()));

  QToolButton* add = jobButton("cmdAdd", "Add location", &MainWindow::addLocation);
  removeButton_ = jobButton("cmdRemove", "Remove location", &MainWindow::removeLocation);
  QToolButton* exclude = jobButton("cmdExclude", "Exclusions", &MainWindow::showExclusions);
  add->setIcon(icon(IconName::Add));
  removeButton_->setIcon(icon(IconName::Remove));
  exclude->setIcon(icon(IconName::Exclude));
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(add);
  buttons->addWidget(removeButton_);
  buttons->addStretch();
  buttons->addWidget(exclude);

  auto* layout = new QHBoxLayout(area);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(locations_, 1);
  layout->addLayout(buttons);
  layout->addWidget(reportType_);
  area->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  updateRemoveButton();
  return area;
}

QWidget* MainWindow::buildFontBar() {
  auto* bar = new QWidget(this);
  bar->setObjectName("Picture1");
  font_ = new QComboBox(bar);
  font_->setObjectName("cmbFont");
  font_->setEditable(true);
  font_->setFixedWidth(kFontBoxWidth);
  fontSize_ = new QComboBox(bar);
  fontSize_->setObjectName("cmbFontSize");
  fontSize_->setEditable(true);
  fontSize_->setFixedWidth(kFontSizeBoxWidth);
  // Only the user's own choices reach the selection: a job that sets the boxes
  // names the next report's font and leaves the pane alone.
  connect(font_, &QComboBox::textActivated, this,
          [this](const QString& t) { edit_->setFontName(t); });
  connect(font_->lineEdit(), &QLineEdit::textEdited, this,
          [this](const QString& t) { edit_->setFontName(t); });
  connect(fontSize_, &QComboBox::textActivated, this,
          [this](const QString& t) { edit_->setFontSize(t); });
  connect(fontSize_->lineEdit(), &QLineEdit::textEdited, this,
          [this](const QString& t) { edit_->setFontSize(t); });
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(font_);
  layout->addWidget(fontSize_);
  buildFormattingBar(bar);
  layout->addStretch();
  bar->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  return bar;
}

void MainWindow::buildFormattingBar(QWidget* bar) {
  auto* toolbar = new QToolBar("Formatting", bar);
  toolbar->setObjectName("Toolbar2");
  toolbar->setIconSize(QSize(20, 20));
  bar->layout()->addWidget(toolbar);
  auto button = [&](const char* name, IconName picture, const QString& tip) {
    QAction* action = toolbar->addAction(icon(picture), tip);
    action->setObjectName(name);
    actions_[name] = action;
    return action;
  };
  connect(button("Toolbar2Button1", IconName::Find, "Find"), &QAction::triggered, this,
          &MainWindow::showFind);
  connect(button("Toolbar2Button2", IconName::Undo, "Undo"), &QAction::triggered, this,
          [this] { edit_->undo(); });
  connect(button("Toolbar2Button3", IconName::Redo, "Redo"), &QAction::triggered, this,
          [this] { edit_->redo(); });
  toolbar->addSeparator();
  auto toggle = [&](const char* name, IconName picture, const QString& tip,
                    void (EditCommands::*apply)(bool)) {
    QAction* action = button(name, picture, tip);
    action->setCheckable(true);
    connect(action, &QAction::triggered, this,
            [this, apply](bool on) { (edit_.get()->*apply)(on); });
  };
  toggle("Toolbar2Button5", IconName::Bold, "Bold", &EditCommands::setBold);
  toggle("Toolbar2Button6", IconName::Italic, "Italic", &EditCommands::setItalic);
  toggle("Toolbar2Button7", IconName::Underline, "Underline", &EditCommands::setUnderline);
  connect(button("Toolbar2Button8", IconName::Colour, "Text colour"), &QAction::triggered, this,
          &MainWindow::chooseColour);
  colourSwatch_ = new QLabel(bar);
  colourSwatch_->setObjectName("Label2");
  colourSwatch_->setFixedSize(16, 16);
  colourSwatch_->setStyleSheet("background-color: #000000;");
  bar->layout()->addWidget(colourSwatch_);
  // The style buttons follow the selection: after typing, clicking, selecting
  // and any change of the text.
  connect(pane_, &QPlainTextEdit::cursorPositionChanged, this, &MainWindow::showFormatOfCursor);
  connect(pane_, &QPlainTextEdit::selectionChanged, this, &MainWindow::showFormatOfCursor);
  connect(pane_, &QPlainTextEdit::textChanged, this, &MainWindow::showFormatOfCursor);
}

void MainWindow::showFormatOfCursor() {
  SelectionStyle style = edit_->selectionStyle();
  actions_["Toolbar2Button5"]->setChecked(style.bold);
  actions_["Toolbar2Button6"]->setChecked(style.italic);
  actions_["Toolbar2Button7"]->setChecked(style.underline);
}

void MainWindow::chooseColour() {
  std::optional<QColor> colour = Dialogs::current().chooseColour(this);
  if (!colour) return;
  colourSwatch_->setStyleSheet("background-color: " + colour->name() + ";");
  textColour_ =
      uint32_t(colour->red()) | uint32_t(colour->green()) << 8 | uint32_t(colour->blue()) << 16;
  edit_->setColour(*colour);
}

void MainWindow::updateRemoveButton() {
  removeButton_->setEnabled(locations_->topLevelItemCount() > 0);
}

void MainWindow::enableControls(bool idle) {
  for (const char* name :
       {"mnuScan",         "mnuNew",          "mnuOpen",        "mnuSave",        "mnuSaveAs",
        "mnuPageSetup",    "mnuPrintPreview", "mnuPrint",       "mnuClose",       "mnuOptions",
        "mnuEdit",         "mnuUndo",         "mnuRedo",        "mnuCut",         "mnuCopy",
        "mnuPaste",        "mnuDelete",       "mnuFind",        "mnuFindReplace", "mnuSelect",
        "mnuHelp",         "mnuHelpTopics",   "mnuCheckUpdate", "mnuTell",        "Toolbar1Button1",
        "Toolbar1Button4", "Toolbar1Button5", "Toolbar1Button6"})
    actions_.at(name)->setEnabled(idle);
  actions_.at("mnuCancel")->setEnabled(!idle);
  actions_.at("Toolbar1Button2")->setEnabled(!idle);
  recentMenu_->menuAction()->setEnabled(idle && !recentJobs_.empty());
  actions_.at("cmdAddToCatalogue")->setEnabled(idle && canAddToCatalogue());
  locations_->setEnabled(idle);
  reportType_->setEnabled(idle);
}

bool MainWindow::scanning() const {
  return actions_.at("mnuCancel")->isEnabled();
}

void MainWindow::showSettings() {
  settings_->exec();
}

}  // namespace tallyfold::gui
