#include "gui/save_as.h"

#include <QApplication>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "app/listing_export.h"
#include "gui/dialogs.h"
#include "gui/html_window.h"
#include "gui/page_window.h"
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
bool saveListing(const SaveAsRequest& request, const QString& path, OutputForm form,
                 std::string& error) {
  if (request.lastScan == nullptr || request.lastRun == nullptr) {
    error = "the CSV and JSON listings are made from a scan's records: scan first";
    return false;
  }
  RunControl control;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const ListingResult result =
      form == OutputForm::Csv
          ? writeCsvListing(*request.lastScan, *request.lastRun, path.toStdString(), control)
          : writeJsonListing(*request.lastScan, *request.lastRun, request.scanTime,
                             path.toStdString(), control);
  QApplication::restoreOverrideCursor();
  error = result.error;
  return result.written;
}

bool savePage(const SaveAsRequest& request, const QString& path, std::string& error) {
  if (request.lastScan == nullptr || request.lastRun == nullptr) {
    error = "the browsable page is made from a scan's records: scan first";
    return false;
  }
  PageWindow window(*request.lastScan, *request.lastRun, request.scanTime, path.toStdString(),
                    request.parent);
  window.exec();
  error = window.error().empty() ? "the page could not be written" : window.error();
  return window.written() || window.cancelled();
}

bool isPageFilter(const QString& selectedFilter) {
  return selectedFilter == kBrowsablePageFilter;
}

}  // namespace

std::optional<OutputForm> formOfFileName(const QString& path) {
  return outputFormOf(path.toStdString());
}

QString withFormExtension(const QString& path, const QString& selectedFilter) {
  if (formOfFileName(path)) return path;
  if (isPageFilter(selectedFilter)) return path + ".html";
  for (OutputForm form :
       {OutputForm::PlainText, OutputForm::Html, OutputForm::Csv, OutputForm::Json}) {
    QString extension = QString::fromLatin1(extensionOf(form));
    if (selectedFilter.contains("*" + extension)) return path + extension;
  }
  return path + QString::fromLatin1(extensionOf(OutputForm::RichText));
}

bool savePaneAsRichText(const QPlainTextEdit& pane, const QString& path, const QString& chosenFont,
                        std::string& error) {
  AtomicFileWriter file(path.toStdString());
  writeDocumentRtf(*pane.document(), chosenFont, file);
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
  // withFormExtension leaves no name without a form.
  const OutputForm form = formOfFileName(path).value_or(OutputForm::RichText);
  switch (form) {
    case OutputForm::PlainText:
      saved = savePaneAsPlainText(*request.pane, path, error);
      break;
    case OutputForm::RichText:
      saved = savePaneAsRichText(*request.pane, path, request.fontName, error);
      break;
    case OutputForm::Html:
      if (isPageFilter(selectedFilter)) {
        saved = savePage(request, path, error);
        break;
      }
      saved = saveHtml(request, path);
      if (!saved) error = "the page could not be written";
      break;
    case OutputForm::Csv:
    case OutputForm::Json:
      saved = saveListing(request, path, form, error);
      break;
  }
  if (!saved)
    Dialogs::current().message(
        request.parent, "Error",
        "The listing could not be saved to " + path + ": " + QString::fromStdString(error) + ".",
        MessageIcon::Critical);
}

}  // namespace tallyfold::gui
