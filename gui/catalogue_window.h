#pragma once
// The Catalogue window (objectName CatalogueWindow): the stored scans in a
// list (rename, remove), a search over all of them whose matches stream in as
// the user types, a scan opened as a folder tree whose folders can be listed
// into the main window's pane, and the differences between two scans. The
// window thread only ever asks the catalogue small questions (the scan list,
// one folder's sub-folders); searches and comparisons run on threads of
// their own.

#include <QWidget>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "gui/background_task.h"
#include "gui/catalogue_session.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeView;
class QTreeWidget;

namespace tallyfold::gui {

class CatalogueSearchModel;
class CatalogueSearcher;
class CatalogueTreeModel;

class CatalogueWindow : public QWidget {
  Q_OBJECT

 public:
  CatalogueWindow(std::string cataloguePath, QWidget* parent);
  ~CatalogueWindow() override;

  // Reads the scan list again (after an add elsewhere).
  void refreshScans();
  // The scan selected in the list, 0 when none.
  int64_t selectedScan() const;

  void renameScan();
  void removeScan();
  void openScan();
  void compareWith();
  void listSelectedFolder();

 signals:
  // A folder of a stored scan to be listed in the main window's pane.
  void listFolderRequested(qint64 scanId, qint64 folderId);

 private:
  QWidget* buildScanArea();
  QWidget* buildSearchPage();
  QWidget* buildTreePage();
  QWidget* buildDifferencesPage();
  QPushButton* addButton(QWidget* parent, const char* name, const QString& caption,
                         void (CatalogueWindow::*command)());
  void updateButtons();
  void startSearch(const QString& text);
  void showSearchEnd(quint64 found);
  void compareScans(int64_t older, int64_t newer);
  void showDifferences();
  bool tellIfClosed();

  std::string path_;
  CatalogueSession session_;
  std::unique_ptr<CatalogueSearcher> searcher_;
  CatalogueSearchModel* results_ = nullptr;
  CatalogueTreeModel* tree_ = nullptr;
  QTreeWidget* scans_ = nullptr;
  QLineEdit* search_ = nullptr;
  QLabel* searchStatus_ = nullptr;
  QTreeView* resultsView_ = nullptr;
  QTreeView* treeView_ = nullptr;
  QLabel* treeTitle_ = nullptr;
  QTreeWidget* differences_ = nullptr;
  QLabel* differencesTitle_ = nullptr;
  QTabWidget* pages_ = nullptr;

  BackgroundTask compareTask_;
  std::atomic<bool> compareCancel_{false};
  std::vector<CatalogueDifference> compared_;
  QString comparedTitle_;
};

}  // namespace tallyfold::gui
