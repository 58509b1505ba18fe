#pragma once
// Save As: the listing as rich text or plain text (from the pane, edits
// included), as an HTML page (from the report file) or as a CSV or JSON
// listing or a browsable page (from the last scan's records). The file name's own extension picks
// the form; a name without one of the five takes the extension of the filter
// chosen in the dialog.

#include <QString>
#include <optional>
#include <string>

#include "app/output_form.h"
#include "app/run_pipeline.h"

class QPlainTextEdit;
class QWidget;

namespace tallyfold::gui {

inline constexpr char kSaveAsFilter[] =
    "Rich text format(*.rtf);;Text file(*.txt);;Webpage HTML(*.htm);;"
    "CSV listing(*.csv);;JSON listing(*.json);;Browsable page (*.html)";
// The filter that makes an .html name the browsable page of the last scan
// instead of the HTML page of the report.
inline constexpr char kBrowsablePageFilter[] = "Browsable page (*.html)";

std::optional<OutputForm> formOfFileName(const QString& path);
// The path with the chosen filter's extension added when its name has none of
// the five.
QString withFormExtension(const QString& path, const QString& selectedFilter);

// Writes the pane's text; false with the reason when the file could not be
// written (an earlier file is then untouched).
// chosenFont is the listing font the file names (see writeDocumentRtf).
bool savePaneAsRichText(const QPlainTextEdit& pane, const QString& path, const QString& chosenFont,
                        std::string& error);
bool savePaneAsPlainText(const QPlainTextEdit& pane, const QString& path, std::string& error);

struct SaveAsRequest {
  QWidget* parent = nullptr;
  const QPlainTextEdit* pane = nullptr;
  std::string reportPath;
  QString fontName;
  QString fontSize;
  // The last scan, for the CSV and JSON listings; none before a scan.
  ScanResult* lastScan = nullptr;
  const RunSettings* lastRun = nullptr;
  int64_t scanTime = 0;
};

// The whole command: dialog, writing, and the message when writing failed.
void runSaveAs(const SaveAsRequest& request);

}  // namespace tallyfold::gui
