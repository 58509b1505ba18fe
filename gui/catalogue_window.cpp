#include "gui/catalogue_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/catalogue_search_model.h"
#include "gui/catalogue_searcher.h"
#include "gui/catalogue_texts.h"
#include "gui/catalogue_tree_model.h"
#include "gui/dialogs.h"
#include "gui/entry_bytes.h"
#include "gui/icons.h"

namespace tallyfold::gui {

namespace {

constexpr int kScanIdRole = Qt::UserRole;
enum ScanColumn { LabelColumn, VolumeColumn, DateColumn, FilesColumn, SizeColumn };
enum Page { SearchPage, TreePage, DifferencesPage };

QTreeView* newListView(QWidget* parent, const char* name) {
  auto* view = new QTreeView(parent);
  view->setObjectName(name);
  view->setRootIsDecorated(false);
  view->setUniformRowHeights(true);
  view->setAlternatingRowColors(true);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  return view;
}

// Columns wide enough for their longest usual text, set once: sizing them to
// their contents would look at every row of a hundred thousand matches.
int widthOf(const QWidget* view, const char* sample) {
  constexpr int kPadding = 18;
  return view->fontMetrics().horizontalAdvance(QString::fromLatin1(sample)) + kPadding;
}

QString changeText(ChangeMark mark) {
  switch (mark) {
    case ChangeMark::Added:
      return QStringLiteral("Added");
    case ChangeMark::Removed:
      return QStringLiteral("Removed");
    case ChangeMark::Changed:
      break;
  }
  return QStringLiteral("Changed");
}

}  // namespace

CatalogueWindow::CatalogueWindow(std::string cataloguePath, QWidget* parent)
    : QWidget(parent, Qt::Window),
      path_(std::move(cataloguePath)),
      session_(path_),
      searcher_(std::make_unique<CatalogueSearcher>(path_, CatalogueSearchModel::kMostShown)),
      compareTask_(100) {
  setObjectName("CatalogueWindow");
  setWindowTitle("Catalogue");
  setWindowIcon(icon(IconName::Catalogue));
  results_ = new CatalogueSearchModel(this);
  tree_ = new CatalogueTreeModel(session_, this);

  pages_ = new QTabWidget(this);
  pages_->setObjectName("cataloguePages");
  pages_->addTab(buildSearchPage(), "Search");
  pages_->addTab(buildTreePage(), "Folders");
  pages_->addTab(buildDifferencesPage(), "Differences");

  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->addWidget(buildScanArea());
  splitter->addWidget(pages_);
  splitter->setStretchFactor(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter);
  resize(900, 640);

  connect(searcher_.get(), &CatalogueSearcher::hitsFound, this,
          [this](const std::vector<CatalogueHit>& batch) {
            results_->append(batch);
            searchStatus_->setText(QString("%1 found so far...").arg(results_->rowCount()));
          });
  connect(searcher_.get(), &CatalogueSearcher::searchEnded, this, &CatalogueWindow::showSearchEnd);
  connect(&compareTask_, &BackgroundTask::finished, this, &CatalogueWindow::showDifferences);
  refreshScans();
}

CatalogueWindow::~CatalogueWindow() {
  compareCancel_.store(true);
  compareTask_.wait();
}

QPushButton* CatalogueWindow::addButton(QWidget* parent, const char* name, const QString& caption,
                                        void (CatalogueWindow::*command)()) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  connect(button, &QPushButton::clicked, this, command);
  return button;
}

QWidget* CatalogueWindow::buildScanArea() {
  auto* area = new QWidget(this);
  scans_ = new QTreeWidget(area);
  scans_->setObjectName("catalogueScans");
  scans_->setRootIsDecorated(false);
  scans_->setUniformRowHeights(true);
  scans_->setAlternatingRowColors(true);
  scans_->setHeaderLabels({"Label", "Volume", "Date", "Files", "Size"});
  scans_->header()->setStretchLastSection(false);
  scans_->header()->setSectionResizeMode(LabelColumn, QHeaderView::Stretch);
  scans_->header()->setSectionResizeMode(VolumeColumn, QHeaderView::Stretch);
  connect(scans_, &QTreeWidget::itemSelectionChanged, this, &CatalogueWindow::updateButtons);
  connect(scans_, &QTreeWidget::itemActivated, this, [this] { openScan(); });

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(addButton(area, "catalogueOpen", "Open", &CatalogueWindow::openScan));
  buttons->addWidget(addButton(area, "catalogueRename", "Rename...", &CatalogueWindow::renameScan));
  buttons->addWidget(addButton(area, "catalogueRemove", "Remove", &CatalogueWindow::removeScan));
  buttons->addWidget(
      addButton(area, "catalogueCompare", "Compare with...", &CatalogueWindow::compareWith));
  buttons->addStretch();
  auto* layout = new QHBoxLayout(area);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scans_, 1);
  layout->addLayout(buttons);
  return area;
}

QWidget* CatalogueWindow::buildSearchPage() {
  auto* page = new QWidget(this);
  search_ = new QLineEdit(page);
  search_->setObjectName("catalogueSearch");
  search_->setPlaceholderText("Name, part of a name or a pattern (*.flac, IMG_20??*)");
  search_->setClearButtonEnabled(true);
  connect(search_, &QLineEdit::textChanged, this, &CatalogueWindow::startSearch);
  searchStatus_ = new QLabel(page);
  searchStatus_->setObjectName("catalogueSearchStatus");
  resultsView_ = newListView(page, "catalogueResults");
  resultsView_->setModel(results_);
  resultsView_->header()->setStretchLastSection(false);
  resultsView_->header()->setSectionResizeMode(CatalogueSearchModel::PathColumn,
                                               QHeaderView::Stretch);
  resultsView_->header()->resizeSection(CatalogueSearchModel::SizeColumn,
                                        widthOf(resultsView_, "000,000,000,000"));
  resultsView_->header()->resizeSection(CatalogueSearchModel::DateColumn,
                                        widthOf(resultsView_, "0000-00-00 00:00"));
  resultsView_->header()->resizeSection(CatalogueSearchModel::ScanColumn,
                                        widthOf(resultsView_, "A label of a scan"));
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(search_);
  layout->addWidget(resultsView_, 1);
  layout->addWidget(searchStatus_);
  return page;
}

QWidget* CatalogueWindow::buildTreePage() {
  auto* page = new QWidget(this);
  treeTitle_ = new QLabel("Open a scan to see its folders.", page);
  treeTitle_->setObjectName("catalogueTreeTitle");
  treeView_ = new QTreeView(page);
  treeView_->setObjectName("catalogueTree");
  treeView_->setUniformRowHeights(true);
  treeView_->setModel(tree_);
  treeView_->header()->setStretchLastSection(false);
  treeView_->header()->setSectionResizeMode(CatalogueTreeModel::NameColumn, QHeaderView::Stretch);
  treeView_->header()->resizeSection(CatalogueTreeModel::SizeColumn,
                                     widthOf(treeView_, "000,000,000,000,000"));
  treeView_->header()->resizeSection(CatalogueTreeModel::FilesColumn,
                                     widthOf(treeView_, "00,000,000"));
  connect(treeView_, &QTreeView::activated, this, [this] { listSelectedFolder(); });
  auto* list =
      addButton(page, "catalogueListFolder", "List in pane", &CatalogueWindow::listSelectedFolder);
  list->setToolTip("List the folder in the main window, as the report type chosen there");
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(treeTitle_, 1);
  bottom->addWidget(list);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(treeView_, 1);
  layout->addLayout(bottom);
  return page;
}

QWidget* CatalogueWindow::buildDifferencesPage() {
  auto* page = new QWidget(this);
  differencesTitle_ = new QLabel("Choose a scan, then Compare with...", page);
  differencesTitle_->setObjectName("catalogueDifferencesTitle");
  differences_ = new QTreeWidget(page);
  differences_->setObjectName("catalogueDifferences");
  differences_->setRootIsDecorated(false);
  differences_->setUniformRowHeights(true);
  differences_->setHeaderLabels({"Change", "Path"});
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(differencesTitle_);
  layout->addWidget(differences_, 1);
  return page;
}

bool CatalogueWindow::tellIfClosed() {
  if (session_.isOpen()) return false;
  Dialogs::current().message(this, "Catalogue",
                             "The catalogue " + bytesForDisplay(path_) + " could not be opened: " +
                                 bytesForDisplay(session_.error().message),
                             MessageIcon::Critical);
  return true;
}

void CatalogueWindow::refreshScans() {
  const int64_t selected = selectedScan();
  scans_->clear();
  for (const ScanSummary& scan : session_.scans()) {
    auto* item = new QTreeWidgetItem(scans_);
    item->setText(LabelColumn, bytesForDisplay(scan.label));
    item->setText(VolumeColumn, bytesForDisplay(scan.volume));
    item->setText(DateColumn, catalogueTimeText(scan.time));
    item->setText(FilesColumn, QLocale().toString(qulonglong(scan.files)));
    item->setText(SizeColumn, catalogueSizeText(scan.bytes));
    item->setTextAlignment(FilesColumn, Qt::AlignRight | Qt::AlignVCenter);
    item->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
    item->setData(LabelColumn, kScanIdRole, qint64(scan.id));
    if (scan.id == selected) scans_->setCurrentItem(item);
  }
  for (int column = DateColumn; column <= SizeColumn; ++column)
    scans_->resizeColumnToContents(column);
  updateButtons();
}

int64_t CatalogueWindow::selectedScan() const {
  const QTreeWidgetItem* item = scans_->currentItem();
  if (item == nullptr || !item->isSelected()) return 0;
  return item->data(LabelColumn, kScanIdRole).toLongLong();
}

void CatalogueWindow::updateButtons() {
  const bool chosen = selectedScan() != 0;
  for (const char* name : {"catalogueOpen", "catalogueRename", "catalogueRemove"})
    findChild<QPushButton*>(name)->setEnabled(chosen);
  findChild<QPushButton*>("catalogueCompare")
      ->setEnabled(chosen && scans_->topLevelItemCount() > 1);
}

void CatalogueWindow::renameScan() {
  const int64_t scan = selectedScan();
  if (scan == 0) return;
  const QString label = Dialogs::current().inputText(
      this, "Rename scan", "New label for \"" + scans_->currentItem()->text(LabelColumn) + "\":");
  if (label.trimmed().isEmpty()) return;
  if (!session_.rename(scan, label.trimmed().toStdString())) {
    Dialogs::current().message(
        this, "Rename scan",
        "The scan could not be renamed: " + bytesForDisplay(session_.error().message),
        MessageIcon::Critical);
    return;
  }
  refreshScans();
}

void CatalogueWindow::removeScan() {
  const int64_t scan = selectedScan();
  if (scan == 0) return;
  const QString label = scans_->currentItem()->text(LabelColumn);
  if (!Dialogs::current().askYesNo(
          this, "Remove scan",
          "Remove the scan \"" + label + "\" from the catalogue? This cannot be undone."))
    return;
  if (!session_.remove(scan)) {
    Dialogs::current().message(
        this, "Remove scan",
        "The scan could not be removed: " + bytesForDisplay(session_.error().message),
        MessageIcon::Critical);
    return;
  }
  if (tree_->scanId() == scan) {
    tree_->showScan(0);
    treeTitle_->setText("Open a scan to see its folders.");
  }
  refreshScans();
  // Matches of the removed scan would lead nowhere.
  startSearch(search_->text());
}

void CatalogueWindow::openScan() {
  const int64_t scan = selectedScan();
  if (scan == 0 || tellIfClosed()) return;
  tree_->showScan(scan);
  treeTitle_->setText("Folders of \"" + scans_->currentItem()->text(LabelColumn) + "\"");
  pages_->setCurrentIndex(TreePage);
}

void CatalogueWindow::listSelectedFolder() {
  const QModelIndex index = treeView_->currentIndex();
  if (!index.isValid() || tree_->scanId() == 0) return;
  emit listFolderRequested(tree_->scanId(), tree_->folder(index).id);
}

void CatalogueWindow::startSearch(const QString& text) {
  results_->clear();
  const QString pattern = text.trimmed();
  if (pattern.isEmpty()) {
    searcher_->cancel();
    searchStatus_->clear();
    return;
  }
  pages_->setCurrentIndex(SearchPage);
  searchStatus_->setText("Searching...");
  SearchQuery query;
  query.pattern = pattern.toStdString();
  searcher_->search(std::move(query));
}

void CatalogueWindow::showSearchEnd(quint64 found) {
  if (found == 0) {
    searchStatus_->setText("Nothing found.");
    return;
  }
  const QString count = QLocale().toString(found);
  if (results_->full())
    searchStatus_->setText(QString("%1 found; the first %2 are listed.")
                               .arg(count, QLocale().toString(results_->rowCount())));
  else
    searchStatus_->setText(count + " found.");
}

void CatalogueWindow::compareWith() {
  const int64_t newer = selectedScan();
  if (newer == 0) return;
  QStringList others;
  std::vector<int64_t> ids;
  for (int row = 0; row < scans_->topLevelItemCount(); ++row) {
    const QTreeWidgetItem* item = scans_->topLevelItem(row);
    const int64_t id = item->data(LabelColumn, kScanIdRole).toLongLong();
    if (id == newer) continue;
    others << item->text(LabelColumn) + "  (" + item->text(DateColumn) + ")";
    ids.push_back(id);
  }
  if (ids.empty()) return;
  QInputDialog chooser(this);
  chooser.setObjectName("catalogueCompareWith");
  chooser.setWindowTitle("Compare with");
  chooser.setLabelText("Compare \"" + scans_->currentItem()->text(LabelColumn) +
                       "\" with the earlier scan:");
  chooser.setComboBoxItems(others);
  if (chooser.exec() != QDialog::Accepted) return;
  const qsizetype chosen = others.indexOf(chooser.textValue());
  if (chosen < 0) return;
  compareScans(ids[size_t(chosen)], newer);
}

void CatalogueWindow::compareScans(int64_t older, int64_t newer) {
  compareCancel_.store(true);
  compareTask_.wait();
  compareCancel_.store(false);
  differences_->clear();
  comparedTitle_.clear();
  for (int row = 0; row < scans_->topLevelItemCount(); ++row) {
    const QTreeWidgetItem* item = scans_->topLevelItem(row);
    const int64_t id = item->data(LabelColumn, kScanIdRole).toLongLong();
    if (id == older) comparedTitle_.prepend("\"" + item->text(LabelColumn) + "\" against ");
    if (id == newer) comparedTitle_.append("\"" + item->text(LabelColumn) + "\"");
  }
  differencesTitle_->setText("Comparing " + comparedTitle_ + "...");
  pages_->setCurrentIndex(DifferencesPage);
  compareTask_.start([this, older, newer, path = path_] {
    CatalogueSession session(path);
    compared_ = session.compare(older, newer, &compareCancel_);
  });
}

void CatalogueWindow::showDifferences() {
  std::vector<CatalogueDifference> found = std::move(compared_);
  compared_.clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(qsizetype(found.size()));
  for (const CatalogueDifference& difference : found) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, changeText(difference.mark));
    item->setText(1, bytesForDisplay(difference.path));
    items << item;
  }
  differences_->addTopLevelItems(items);
  differences_->resizeColumnToContents(0);
  differencesTitle_->setText(
      QString("%1: %2 differences.")
          .arg(comparedTitle_, QLocale().toString(qulonglong(found.size()))));
}

}  // namespace tallyfold::gui
