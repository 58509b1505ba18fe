#include "gui/save_as.h"

#include <QApplication>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "app/listing_export.h"
#include "gui/dialogs.h"
#include "gui/html_window.h"
#include "gui/rtf_writer.h"
#include "platform/text_file.h"

namespace tallyfold::gui {

namespace {

bool commit(AtomicFileWriter& file, const QString& path, std::string& error) {
  if (file.commit()) return true;
  error = file.error().empty() ? "cannot write " + path.toStdString() : file.error();
  return false;
}

bool saveHtml(const SaveAsRequest& request, const QString& path) {
  HtmlWindow window(request.reportPath, path.toStdString(), request.fontName.toStdString(),
                    request.fontSize.toStdString(), request.parent);
  window.exec();
  return window.written() || window.cancelled();
}

// The listings come from the last scan's records, not from the pane.
bool saveListing(const SaveAsRequest& request, const QString& path, ListingForm form,
                 std::string& error) {
  if (request.lastScan == nullptr || request.lastRun == nullptr) {
    error = "the CSV and JSON listings are made from a scan's records: scan first";
    return false;
  }
  RunControl control;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const ListingResult result =
      form == ListingForm::Csv
          ? writeCsvListing(*request.lastScan, *request.lastRun, path.toStdString(), control)
          : writeJsonListing(*request.lastScan, *request.lastRun, request.scanTime,
                             path.toStdString(), control);
  QApplication::restoreOverrideCursor();
  error = result.error;
  return result.written;
}

}  // namespace

ListingForm formOfFileName(const QString& path) {
  QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == "txt") return ListingForm::PlainText;
  if (suffix == "rtf") return ListingForm::RichText;
  if (suffix == "htm" || suffix == "html") return ListingForm::Html;
  if (suffix == "csv") return ListingForm::Csv;
  if (suffix == "json") return ListingForm::Json;
  return ListingForm::None;
}

QString withFormExtension(const QString& path, const QString& selectedFilter) {
  if (formOfFileName(path) != ListingForm::None) return path;
  if (selectedFilter.contains("*.txt")) return path + ".txt";
  if (selectedFilter.contains("*.htm")) return path + ".htm";
  if (selectedFilter.contains("*.csv")) return path + ".csv";
  if (selectedFilter.contains("*.json")) return path + ".json";
  return path + ".rtf";
}

bool savePaneAsRichText(const QPlainTextEdit& pane, const QString& path, std::string& error) {
  AtomicFileWriter file(path.toStdString());
  writeDocumentRtf(*pane.document(), file);
  file.write("\r\n");
  return commit(file, path, error);
}

bool savePaneAsPlainText(const QPlainTextEdit& pane, const QString& path, std::string& error) {
  AtomicFileWriter file(path.toStdString());
  const QTextDocument& document = *pane.document();
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    // The empty block after the last line end is no line of its own.
    if (!block.next().isValid() && block.text().isEmpty() && block != document.begin()) break;
    file.write(block.text().toStdString());
    file.write("\n");
  }
  return commit(file, path, error);
}

void runSaveAs(const SaveAsRequest& request) {
  QString selectedFilter;
  QString path =
      Dialogs::current().saveFile(request.parent, "Save As", kSaveAsFilter, &selectedFilter);
  if (path.isEmpty()) return;
  path = withFormExtension(path, selectedFilter);
  std::string error;
  bool saved = true;
  switch (formOfFileName(path)) {
    case ListingForm::PlainText:
      saved = savePaneAsPlainText(*request.pane, path, error);
      break;
    case ListingForm::RichText:
      saved = savePaneAsRichText(*request.pane, path, error);
      break;
    case ListingForm::Html:
      saved = saveHtml(request, path);
      if (!saved) error = "the page could not be written";
      break;
    case ListingForm::Csv:
    case ListingForm::Json:
      saved = saveListing(request, path, formOfFileName(path), error);
      break;
    case ListingForm::None:
      break;
  }
  if (!saved)
    Dialogs::current().message(
        request.parent, "Error",
        "The listing could not be saved to " + path + ": " + QString::fromStdString(error) + ".",
        MessageIcon::Critical);
}

}  // namespace tallyfold::gui
