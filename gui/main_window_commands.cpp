// The main window's commands on the listing pane: the Edit menu (also the pane's
// context menu), find and replace, printing and page setup, and the Help menu.

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "gui/dialogs.h"
#include "gui/edit_commands.h"
#include "gui/find_window.h"
#include "gui/help_links.h"
#include "gui/listing_pane.h"
#include "gui/main_window.h"
#include "gui/print_job.h"

namespace tallyfold::gui {

namespace {

void addSeparator(QMenu* menu, const char* name) {
  QAction* action = menu->addSeparator();
  action->setObjectName(name);
}

}  // namespace

void MainWindow::buildPrintEntries(QWidget* file) {
  auto* menu = static_cast<QMenu*>(file);
  addSeparator(menu, "sep3");
  connect(addAction(file, "mnuPageSetup", "Page Setup"), &QAction::triggered, this,
          &MainWindow::pageSetup);
  connect(addAction(file, "mnuPrintPreview", "Print Preview..."), &QAction::triggered, this,
          &MainWindow::printPreview);
  connect(addAction(file, "mnuPrint", "Print...", QKeySequence("Ctrl+P")), &QAction::triggered,
          this, &MainWindow::print);
}

void MainWindow::buildEditMenu() {
  QMenu* edit = menuBar()->addMenu("&Edit");
  edit->setObjectName("mnuEdit");
  actions_["mnuEdit"] = edit->menuAction();
  // The pane's own commands act only while it has the focus, so Del or
  // Ctrl+A in the location list keep their meaning there.
  auto paneCommand = [&](const char* name, const QString& caption, const QKeySequence& keys,
                         void (EditCommands::*command)()) {
    QAction* action = addAction(edit, name, caption, keys);
    action->setShortcutContext(Qt::WidgetShortcut);
    pane_->addAction(action);
    connect(action, &QAction::triggered, this, [this, command] { (edit_.get()->*command)(); });
  };
  paneCommand("mnuUndo", "Undo", QKeySequence("Ctrl+Z"), &EditCommands::undo);
  paneCommand("mnuRedo", "Redo", QKeySequence("Ctrl+Y"), &EditCommands::redo);
  addSeparator(edit, "sep4");
  paneCommand("mnuCut", "Cut", QKeySequence("Ctrl+X"), &EditCommands::cut);
  paneCommand("mnuCopy", "Copy", QKeySequence("Ctrl+C"), &EditCommands::copy);
  paneCommand("mnuPaste", "Paste", QKeySequence("Ctrl+V"), &EditCommands::paste);
  paneCommand("mnuDelete", "Delete", QKeySequence(Qt::Key_Delete), &EditCommands::deleteSelection);
  addSeparator(edit, "spp");
  connect(addAction(edit, "mnuFind", "Find", QKeySequence("Ctrl+F")), &QAction::triggered, this,
          &MainWindow::showFind);
  connect(addAction(edit, "mnuFindReplace", "Find and Replace", QKeySequence("Ctrl+H")),
          &QAction::triggered, this, &MainWindow::showFind);
  addSeparator(edit, "spe");
  paneCommand("mnuSelect", "Select All", QKeySequence("Ctrl+A"), &EditCommands::selectAll);
  pane_->setContextMenu(edit);
}

void MainWindow::buildHelpMenu() {
  QMenu* help = menuBar()->addMenu("&Help");
  help->setObjectName("mnuHelp");
  actions_["mnuHelp"] = help->menuAction();
  connect(addAction(help, "mnuHelpTopics", "Help Topics", QKeySequence(Qt::Key_F1)),
          &QAction::triggered, this, &MainWindow::helpTopics);
  connect(addAction(help, "mnuCheckUpdate", "Check for updates"), &QAction::triggered, this,
          &MainWindow::checkForUpdates);
  addSeparator(help, "sep7");
  connect(addAction(help, "mnuTell", "Tell a Friend"), &QAction::triggered, this,
          &MainWindow::tellAFriend);
}

void MainWindow::showFind() {
  // A fresh window each time, discarded when it closes.
  FindWindow window(pane_, this);
  window.exec();
}

void MainWindow::print() {
  printJob_->print(this, *pane_->document(), margins_);
}

void MainWindow::printPreview() {
  printJob_->preview(this, *pane_->document(), margins_);
}

void MainWindow::pageSetup() {
  printJob_->pageSetup(this, margins_);
}

void MainWindow::helpTopics() {
  Dialogs::current().openUrl(helpFileUrl());
}

void MainWindow::checkForUpdates() {
  Dialogs::current().openUrl(updatePageUrl());
}

void MainWindow::tellAFriend() {
  Dialogs::current().openUrl(tellAFriendUrl());
}

}  // namespace tallyfold::gui
