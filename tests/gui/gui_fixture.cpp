#include <gtest/gtest.h>

#include "gui_fixture.h"

#include <QElapsedTimer>
#include <QTimer>

namespace tallyfold::test {

namespace {

template <class T>
T take(std::deque<T>& queue, T fallback) {
  if (queue.empty()) return fallback;
  T value = queue.front();
  queue.pop_front();
  return value;
}

}  // namespace

QString ScriptedDialogs::chooseFolder(QWidget*, const QString&) {
  ++folderCalls;
  return take(folders, QString());
}

QString ScriptedDialogs::openFile(QWidget*, const QString&, const QString&) {
  return take(openFiles, QString());
}

QString ScriptedDialogs::saveFile(QWidget*, const QString&, const QString&, QString* selected) {
  if (selected != nullptr) *selected = selectedFilter;
  return take(saveFiles, QString());
}

void ScriptedDialogs::message(QWidget*, const QString& title, const QString& text,
                              gui::MessageIcon) {
  messages.push_back(Message{title, text});
}

bool ScriptedDialogs::askYesNo(QWidget*, const QString&, const QString&) {
  return take(answers, false);
}

std::optional<QColor> ScriptedDialogs::chooseColour(QWidget*) {
  return take(colours, std::optional<QColor>());
}

QString ScriptedDialogs::inputText(QWidget*, const QString&, const QString& prompt) {
  prompts << prompt;
  return take(inputs, QString());
}

bool ScriptedDialogs::choosePrinter(QWidget*, QPrinter& printer) {
  auto answer = take(printAnswers, std::function<bool(QPrinter&)>());
  return answer && answer(printer);
}

bool ScriptedDialogs::choosePageSetup(QWidget*, QPrinter& printer, gui::PageOptions& options) {
  auto answer = take(pageSetupAnswers, std::function<bool(QPrinter&, gui::PageOptions&)>());
  return answer && answer(printer, options);
}

QApplication& application() {
  // The window tests run headless, in CI and from a shell alike.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "gui_tests";
  static char* argv[] = {name, nullptr};
  // Never destroyed: the widgets' and fonts' own statics go first at exit,
  // and an application torn down after them crashes the test program.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

GuiTest::GuiTest() {
  application();
  gui::Dialogs::install(&dialogs);
}

GuiTest::~GuiTest() {
  gui::Dialogs::install(nullptr);
}

void whenModal(std::function<void(QWidget*)> answer) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, answer] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    answer(modal);
  });
  timer->start();
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

}  // namespace tallyfold::test
