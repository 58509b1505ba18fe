#pragma once
// The platform's own dialogs (folder chooser, file dialogs, message boxes,
// colour and text prompts) and the shell's open command, behind one object so
// the tests can answer them. The windows of this program are never behind it.

#include <QColor>
#include <QString>
#include <optional>

class QMessageBox;
class QPrinter;
class QWidget;

namespace tallyfold::gui {

enum class MessageIcon { None, Information, Warning, Critical };

// The program's own choices in the page-setup dialog, beside the system's.
struct PageOptions {
  bool pageNumbers = false;  // "Page N of M" at the foot of each page
  bool fitToWidth = false;   // the listing scaled so its longest line fits
};

// A message box of the program: OK alone, or Yes and No (No the default) for
// a question, which shows no icon. It is at least as wide as its title, which
// a window manager would otherwise cut short.
QMessageBox* newMessageBox(QWidget* parent, const QString& title, const QString& text,
                           MessageIcon icon);
QMessageBox* newQuestionBox(QWidget* parent, const QString& title, const QString& text);

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // The chosen folder, or "" when cancelled.
  virtual QString chooseFolder(QWidget* parent, const QString& title);
  // The chosen file, or "" when cancelled. filter is a Qt filter list
  // ("Tallyfold (*.dif)"); selectedFilter receives the chosen one.
  virtual QString openFile(QWidget* parent, const QString& title, const QString& filter);
  virtual QString saveFile(QWidget* parent, const QString& title, const QString& filter,
                           QString* selectedFilter);
  virtual void message(QWidget* parent, const QString& title, const QString& text,
                       MessageIcon icon);
  // Yes or No, No being the default answer.
  virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text);
  virtual std::optional<QColor> chooseColour(QWidget* parent);
  // The typed text, or "" when cancelled.
  virtual QString inputText(QWidget* parent, const QString& title, const QString& prompt);
  // The print dialog for the printer; true when the user confirmed. The
  // printer keeps what was chosen (device, copies, output file).
  virtual bool choosePrinter(QWidget* parent, QPrinter& printer);
  // The page-setup dialog on the printer's page layout (paper, orientation,
  // margins in the layout's units) with the program's own check boxes.
  virtual bool choosePageSetup(QWidget* parent, QPrinter& printer, PageOptions& options);
  // Hands an address (mailto:, file:) to the desktop.
  virtual void openUrl(const QString& url);

  // The dialogs in use; the platform's unless a test installed its own.
  static Dialogs& current();
  // Installs replacement dialogs (nullptr puts the platform's back).
  static void install(Dialogs* dialogs);
};

}  // namespace tallyfold::gui
