#include "edit_probe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "gui/dialogs.h"
#include "gui/find_window.h"
#include "gui/listing_history.h"
#include "gui/listing_pane.h"
#include "gui/main_window.h"
#include "gui/print_job.h"

namespace tallyfold::bench {

using namespace gui;

namespace {

// Messages are counted, not shown: nobody is there to close them.
class SilentDialogs : public Dialogs {
 public:
  void message(QWidget*, const QString&, const QString& text, MessageIcon) override { last = text; }
  QString last;
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// Milliseconds of one call, with the events it caused (layout, paint).
template <class F>
double timed(F&& call) {
  QElapsedTimer clock;
  clock.start();
  call();
  QApplication::processEvents();
  return clock.nsecsElapsed() / 1e6;
}

}  // namespace

EditProbe::EditProbe(MainWindow* window) : QObject(window), window_(window) {}

void EditProbe::start() {
  auto* pane = window_->findChild<ListingPane*>("rTxt");
  connect(pane, &ListingPane::loadFinished, this, &EditProbe::measure);
  pane->loadReport(qEnvironmentVariable("TALLYFOLD_PROBE_REPORT").toStdString());
}

void EditProbe::measure() {
  static SilentDialogs silent;
  Dialogs::install(&silent);
  auto* pane = window_->findChild<ListingPane*>("rTxt");
  std::printf("listing lines:            %d\n", pane->document()->blockCount());

  QTextCursor middle(pane->document()->findBlockByNumber(pane->document()->blockCount() / 2));
  pane->setTextCursor(middle);
  pane->ensureCursorVisible();
  QApplication::processEvents();
  std::vector<double> keys;
  for (int i = 0; i < 30; ++i) {
    keys.push_back(timed([&] {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
      QApplication::sendEvent(pane, &press);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, "x");
      QApplication::sendEvent(pane, &release);
    }));
  }
  std::printf("typed character ms:       %.2f median, %.2f worst  (target < 16)\n", median(keys),
              *std::max_element(keys.begin(), keys.end()));

  // A wider or narrower window changes no line of an unwrapped listing.
  const QSize size = window_->size();
  const double widened = timed([&] { window_->resize(size.width() + 120, size.height()); });
  const double narrowed = timed([&] { window_->resize(size); });
  std::printf("window widened ms:        %.1f, narrowed again %.1f  (target < 50)\n", widened,
              narrowed);

  FindWindow find(pane, window_);
  find.findChild<QLineEdit*>("Text1")->setText("README");
  std::vector<double> finds;
  for (int i = 0; i < 20; ++i) finds.push_back(timed([&] { find.findNext(); }));
  std::printf("Find Next ms:             %.2f median, %.2f worst  (target < 50)\n", median(finds),
              *std::max_element(finds.begin(), finds.end()));
  find.findChild<QLineEdit*>("Text1")->setText("no such text anywhere");
  std::printf("Find Next, no match ms:   %.1f  (whole listing searched)\n",
              timed([&] { find.findNext(); }));

  find.findChild<QLineEdit*>("Text1")->setText(" 4 KB");
  find.findChild<QLineEdit*>("Text2")->setText(" 4 kB");
  int replaced = 0;
  const double all = timed([&] { replaced = find.replaceAll(); });
  std::printf("Replace All ms:           %.0f for %d matches  (target < 2000)\n", all, replaced);
  std::printf("  undo steps it made:     one (%s)\n", qPrintable(silent.last));
  std::printf("Undo of it ms:            %.0f\n", timed([&] { pane->history().undo(); }));

  QTextDocument tenThousand;
  QTextCursor from(pane->document());
  from.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, 10000);
  QTextCursor(&tenThousand).insertFragment(from.selection());
  tenThousand.setDefaultFont(pane->document()->defaultFont());
  PrintJob job;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  const QString pdf = qEnvironmentVariable("TALLYFOLD_PROBE_PDF", "/tmp/tallyfold-probe.pdf");
  printer.setOutputFileName(pdf);
  QString failure;
  const double printed = timed([&] { job.render(tenThousand, printer, PageMargins{}, &failure); });
  std::printf("print %d lines to PDF ms: %.0f  (target < 5000) %s\n", tenThousand.blockCount(),
              printed, qPrintable(failure));
  QApplication::quit();
}

}  // namespace tallyfold::bench
