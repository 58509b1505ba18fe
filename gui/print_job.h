#pragma once
// Print..., Print Preview... and Page Setup: the listing pane printed as it
// shows, fonts and styles kept, page by page inside the four margins, with an
// optional "Page N of M" footer. The printer chosen in a dialog stays the
// program's printer for the rest of the run.

#include <QString>
#include <memory>

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
  bool pageNumbers() const { return pageNumbers_; }
  void setPageNumbers(bool on) { pageNumbers_ = on; }

  // The print dialog, then the print; nothing when it is cancelled.
  void print(QWidget* owner, const QTextDocument& listing, const PageMargins& margins);
  void preview(QWidget* owner, const QTextDocument& listing, const PageMargins& margins);
  // The page-setup dialog in the locale's unit; on confirmation the margins
  // and the footer switch change and are stored. False when cancelled.
  bool pageSetup(QWidget* owner, PageMargins& margins);

  // Prints the document on the printer as it is set up. On failure nothing
  // more is printed and failure says why.
  bool render(const QTextDocument& listing, QPrinter& printer, const PageMargins& margins,
              QString* failure) const;

 private:
  std::unique_ptr<QPrinter> printer_;
  bool pageNumbers_ = false;
};

}  // namespace tallyfold::gui
