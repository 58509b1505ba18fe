// The window program's benchmark twin: the real main window, driven and
// measured from inside its event loop.
//   tallyfold-window-probe startup [JOB]  quits once the window is shown
//   tallyfold-window-probe scan JOB       scans at once and prints the figures
//   tallyfold-window-probe edit           the pane's commands on
//                                         $TALLYFOLD_PROBE_REPORT
//   tallyfold-window-probe catalogue [PATTERN...]
//                                         opens the Catalogue window, types
//                                         each search, prints the figures
//   tallyfold-window-probe catalogue-open quits once the Catalogue window is shown

#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <string>

#include "catalogue_probe.h"
#include "edit_probe.h"
#include "gui/main_window.h"
#include "platform/memory_tuning.h"
#include "scan_probe.h"

int main(int argc, char* argv[]) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const bool catalogue = mode == "catalogue" || mode == "catalogue-open";
  if (mode != "startup" && mode != "scan" && mode != "edit" && !catalogue) {
    std::fputs(
        "Usage: tallyfold-window-probe startup|scan|edit [JOB.dif]\n"
        "       tallyfold-window-probe catalogue [PATTERN...] | catalogue-open\n",
        stderr);
    return 2;
  }
  const std::string jobPath = argc > 2 && !catalogue ? argv[2] : "";
  tallyfold::keepLargeBlocksMapped();
  QApplication application(argc, argv);
  QApplication::setApplicationName("Tallyfold");
  tallyfold::gui::MainWindow window;
  window.startUp(jobPath);
  window.show();
  // After the window's first paint, as a user's F5 would come.
  constexpr int kAfterFirstPaintMs = 500;
  if (mode == "startup") QTimer::singleShot(0, &application, &QApplication::quit);
  if (mode == "scan") {
    auto* probe = new tallyfold::bench::ScanProbe(&window);
    QTimer::singleShot(kAfterFirstPaintMs, probe, &tallyfold::bench::ScanProbe::start);
  }
  if (mode == "catalogue-open") {
    QTimer::singleShot(0, &window, [&window, &application] {
      window.showCatalogue();
      QTimer::singleShot(0, &application, &QApplication::quit);
    });
  }
  if (mode == "catalogue") {
    QStringList patterns;
    for (int i = 2; i < argc; ++i) patterns << QString::fromLocal8Bit(argv[i]);
    const int keyMs = qEnvironmentVariableIsSet("TALLYFOLD_PROBE_KEY_MS")
                          ? qEnvironmentVariableIntValue("TALLYFOLD_PROBE_KEY_MS")
                          : 120;
    auto* probe = new tallyfold::bench::CatalogueProbe(&window, patterns, keyMs);
    QTimer::singleShot(kAfterFirstPaintMs, probe, &tallyfold::bench::CatalogueProbe::start);
  }
  if (mode == "edit") {
    auto* probe = new tallyfold::bench::EditProbe(&window);
    QTimer::singleShot(kAfterFirstPaintMs, probe, &tallyfold::bench::EditProbe::start);
  }
  return QApplication::exec();
}
