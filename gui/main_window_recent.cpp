// The main window's Recent Jobs: the job files opened or saved last, newest
// first, kept in the settings store's section "Recent Jobs" as "1", "2", ...
// The paths are kept as bytes and shown escaped when they are no UTF-8.

#include <QAction>
#include <QMenu>

#include "gui/location_list.h"
#include "gui/main_window.h"
#include "platform/settings_store.h"

namespace tallyfold::gui {

namespace {

constexpr char kRecentSection[] = "Recent Jobs";
constexpr size_t kMostRecentJobs = 6;

}  // namespace

void MainWindow::loadRecentJobs() {
  SettingsStore store{std::string(kSettingsApplication)};
  recentJobs_.clear();
  for (size_t i = 1; i <= kMostRecentJobs; ++i) {
    std::string path = store.get(kRecentSection, std::to_string(i));
    if (!path.empty()) recentJobs_.push_back(std::move(path));
  }
  showRecentJobs();
}

void MainWindow::rememberJob(const std::string& path) {
  std::erase(recentJobs_, path);
  recentJobs_.insert(recentJobs_.begin(), path);
  if (recentJobs_.size() > kMostRecentJobs) recentJobs_.resize(kMostRecentJobs);
  std::vector<std::pair<std::string, std::string>> values;
  for (size_t i = 0; i < kMostRecentJobs; ++i)
    values.emplace_back(std::to_string(i + 1), i < recentJobs_.size() ? recentJobs_[i] : "");
  SettingsStore store{std::string(kSettingsApplication)};
  store.setMany(kRecentSection, values);  // a store that cannot be written loses only the list
  showRecentJobs();
}

void MainWindow::showRecentJobs() {
  recentMenu_->clear();
  for (size_t i = 0; i < recentJobs_.size(); ++i) {
    const std::string path = recentJobs_[i];
    QAction* entry = recentMenu_->addAction(
        QString("&%1 %2").arg(i + 1).arg(LocationList::displayedFolder(path)));
    entry->setObjectName(QString("mnuRecent%1").arg(i + 1));
    // Later, as the menu it rebuilds holds the entry being triggered.
    connect(
        entry, &QAction::triggered, this,
        [this, path] {
          if (scanning()) return;
          if (loadJobFile(path)) rememberJob(path);
        },
        Qt::QueuedConnection);
  }
  recentMenu_->menuAction()->setEnabled(!recentJobs_.empty() && !scanning());
}

}  // namespace tallyfold::gui
