#pragma once
// Print..., Print Preview... and Page Setup: the listing pane printed as it
// shows, fonts and styles kept, page by page inside the four margins, with an
// optional "Page N of M" footer. A listing wider than the page wraps its long
// lines, or with "Fit to page width" is scaled down until its longest line
// fits. The printer chosen in a dialog stays the program's printer for the
// rest of the run; the orientation and the two switches are stored.

#include <QString>
#include <memory>

#include "gui/dialogs.h"
#include "gui/window_geometry.h"

class QPrinter;
class QTextDocument;
class QWidget;

namespace tallyfold::gui {

class PrintJob {
 public:
  PrintJob();
  ~PrintJob();

  QPrinter& printer();
  const PageOptions& options() const { return options_; }
  void setOptions(const PageOptions& options) { options_ = options; }

  // The print dialog, then the print; nothing when it is cancelled.
  void print(QWidget* owner, const QTextDocument& listing, const PageMargins& margins);
  void preview(QWidget* owner, const QTextDocument& listing, const PageMargins& margins);
  // The page-setup dialog in the locale's unit; on confirmation the margins,
  // the orientation and the switches change and are stored. False when
  // cancelled.
  bool pageSetup(QWidget* owner, PageMargins& margins);

  // Prints the document on the printer as it is set up. On failure nothing
  // more is printed and failure says why.
  bool render(const QTextDocument& listing, QPrinter& printer, const PageMargins& margins,
              QString* failure) const;

 private:
  std::unique_ptr<QPrinter> printer_;
  PageOptions options_;
};

}  // namespace tallyfold::gui
