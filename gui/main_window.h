#pragma once
// The main window: the job (locations, report type, sort, font), the listing
// pane and the commands that scan, keep jobs and save listings. Start-up
// restores the last session; closing the window by any road saves it.

#include <QMainWindow>
#include <QTimer>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/job.h"
#include "gui/background_task.h"
#include "gui/scan_runner.h"
#include "gui/window_geometry.h"
#include "scan/scan_run.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;

namespace tallyfold::gui {

class CatalogueWindow;
class EditCommands;
class ExclusionWindow;
class ListingPane;
class LocationList;
class PrintJob;
class ReportTypeFrame;
class SettingsWindow;
class StatusPanels;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow();
  ~MainWindow() override;

  // Restores the last session; jobPath (bytes, as the command line gave
  // them), when not empty, is opened instead of the default job.
  void startUp(const std::string& jobPath = {});

  Job currentJob() const;
  void applyJob(const Job& job);
  // True while a scan (or the loading of its listing) runs.
  bool scanning() const;
  QAction* action(const char* name) const { return actions_.at(name); }
  // The jobs opened or saved last, newest first, as the File menu lists them.
  const std::vector<std::string>& recentJobs() const { return recentJobs_; }

  // The commands.
  void scan();
  void cancelScan();
  void newJob();
  void openJob();
  void saveJobAs();
  // False (after telling the user) when the file could not be read.
  bool loadJobFile(const std::string& path);
  void addLocation();
  void editLocation(int row);
  void addFolders(const std::vector<std::string>& folders);
  void removeLocation();
  void showExclusions();
  void showSettings();
  void saveAs();
  void enableControls(bool idle);
  // The listing pane's commands (main_window_commands.cpp).
  void showFind();
  void print();
  void printPreview();
  void pageSetup();
  void helpTopics();
  void checkForUpdates();
  void tellAFriend();
  // The catalogue (main_window_catalogue.cpp).
  void showCatalogue();
  CatalogueWindow* catalogueWindow();
  void addToCatalogue();
  bool canAddToCatalogue() const;
  // Lists a folder of a stored scan (0: the whole scan) in the pane, in the
  // report type and settings chosen now.
  void listCatalogueFolder(int64_t scanId, int64_t folderId);

 signals:
  // Once per scan: the report file holds the new report; the scan has ended.
  void reportWritten();
  void scanEnded();
  // After Add to catalogue (by hand or by the setting) ended.
  void catalogueAddEnded(bool added);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus();
  void buildPrintEntries(QWidget* file);
  void buildEditMenu();
  void buildHelpMenu();
  void buildToolbar();
  void buildFormattingBar(QWidget* bar);
  QWidget* buildJobArea();
  QWidget* buildFontBar();
  QAction* addAction(QWidget* menu, const char* name, const QString& caption,
                     const QKeySequence& shortcut = {});
  QToolButton* jobButton(const char* name, const QString& tip, void (MainWindow::*command)());
  void showFormatOfCursor();
  void chooseColour();
  void updateRemoveButton();

  void restoreGeometryFromStore();
  void fillFontBoxes();
  bool saveDefaultJob();
  void shutDown();
  void tellSaveFailed(const QString& what, const QString& path, const QString& reason);
  // Recent Jobs (main_window_recent.cpp).
  void loadRecentJobs();
  void rememberJob(const std::string& path);
  void showRecentJobs();

  void startRun();
  void beginRunDisplay();
  std::string cataloguePath() const;
  void updateCatalogueCommand();
  void finishAddToCatalogue();
  RunSettings runSettings() const;
  void finishRun();
  void afterListingLoaded();
  void endRun();
  void tellUnreadable(const std::vector<ReadFailure>& unreadable);

  std::map<std::string, QAction*> actions_;
  QToolBar* commandBar_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  std::vector<std::string> recentJobs_;
  SettingsWindow* settings_ = nullptr;
  ExclusionWindow* exclusions_ = nullptr;
  LocationList* locations_ = nullptr;
  QToolButton* removeButton_ = nullptr;
  ReportTypeFrame* reportType_ = nullptr;
  QComboBox* font_ = nullptr;
  QComboBox* fontSize_ = nullptr;
  QLabel* colourSwatch_ = nullptr;
  uint32_t textColour_ = 0;  // the swatch's colour, which the next report's text takes
  ListingPane* pane_ = nullptr;
  StatusPanels* status_ = nullptr;
  PageMargins margins_;
  std::unique_ptr<EditCommands> edit_;
  std::unique_ptr<PrintJob> printJob_;
  std::string reportPath_;

  QTimer clock_;  // the elapsed time, once a second while a scan runs
  ElapsedTimer elapsed_;
  ScanRunner runner_;
  ScanReport lastRun_;
  // The records of the last scan that wrote a report, for Save As.
  struct LastScan {
    std::shared_ptr<ScanResult> scan;
    RunSettings settings;
    int64_t startTime = 0;
    bool stored = false;  // in the catalogue already (added, or listed from it)
    // What settings.storedDetails points into.
    std::shared_ptr<const DetailSource> details;
  } lastScan_;
  bool listingStored_ = false;  // the run lists records of the catalogue
  CatalogueWindow* catalogue_ = nullptr;
  // Written by the add's worker; the task, declared after it, is waited for first.
  struct AddOutcome {
    std::optional<int64_t> id;
    std::string error;
  } addOutcome_;
  // Set when the window closes during an add: the add is rolled back rather
  // than waited for, which with checksums on may take hours.
  CancelFlag addCancel_{false};
  BackgroundTask catalogueTask_{100};
  bool cancelled_ = false;
};

}  // namespace tallyfold::gui
