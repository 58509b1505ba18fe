#pragma once
// What the window tests share: one application object, a fresh application
// folder and settings store per test, dialogs that answer from a script, and
// helpers that find widgets by name and answer the program's modal windows.

#include <QApplication>
#include <QStringList>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "gui/dialogs.h"

class QPrinter;
#include "support/environment.h"
#include "support/temp_dir.h"

namespace tallyfold::test {

// Answers the platform dialogs from queues and keeps what was asked.
class ScriptedDialogs : public gui::Dialogs {
 public:
  struct Message {
    QString title, text;
  };

  std::deque<QString> folders, openFiles, saveFiles, inputs;
  QString selectedFilter;
  std::deque<bool> answers;
  std::deque<std::optional<QColor>> colours;
  std::vector<Message> messages;
  QStringList urls;
  QStringList prompts;  // of the input boxes
  int folderCalls = 0;
  // The print and page-setup dialogs: each queued answer gets the printer the
  // program handed over (and the program's own switches) and says whether the user
  // confirmed; an empty queue cancels.
  std::deque<std::function<bool(QPrinter&)>> printAnswers;
  std::deque<std::function<bool(QPrinter&, gui::PageOptions&)>> pageSetupAnswers;

  QString chooseFolder(QWidget*, const QString&) override;
  QString openFile(QWidget*, const QString&, const QString&) override;
  QString saveFile(QWidget*, const QString&, const QString&, QString* selected) override;
  void message(QWidget*, const QString& title, const QString& text, gui::MessageIcon) override;
  bool askYesNo(QWidget*, const QString&, const QString&) override;
  std::optional<QColor> chooseColour(QWidget*) override;
  QString inputText(QWidget*, const QString&, const QString&) override;
  bool choosePrinter(QWidget*, QPrinter& printer) override;
  bool choosePageSetup(QWidget*, QPrinter& printer, gui::PageOptions& options) override;
  void openUrl(const QString& url) override { urls << url; }
};

QApplication& application();

// A test with its own application folder ($TALLYFOLD_HOME) and settings
// store ($XDG_CONFIG_HOME), and the scripted dialogs installed.
class GuiTest : public ::testing::Test {
 protected:
  GuiTest();
  ~GuiTest() override;

  std::string appFile(const std::string& name) const { return root / ("app/" + name); }
  std::string settingsFile() const { return root / "config/tallyfold/Corvane - Tallyfold.ini"; }

  TempDir root;
  EnvironmentValue home{"TALLYFOLD_HOME", root / "app"};
  EnvironmentValue config{"XDG_CONFIG_HOME", root / "config"};
  ScriptedDialogs dialogs;
};

template <class T>
T* child(QObject* parent, const char* name) {
  T* found = parent->findChild<T*>(name);
  if (found == nullptr) ADD_FAILURE() << "no " << name;
  return found;
}

// Runs answer on the next modal window the program opens (once it is shown).
void whenModal(std::function<void(QWidget*)> answer);
// Processes events until done() or the timeout; false on timeout.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 20000);

}  // namespace tallyfold::test
