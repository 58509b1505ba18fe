#pragma once
// ListingPane (rTxt): the listing, editable, word wrap off. A report is
// streamed into it; its text is saved as rich text or plain text.

#include <QPlainTextEdit>
#include <string>

namespace tallyfold::gui {

class ListingLoader;

class ListingPane : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit ListingPane(QWidget* parent);

  void setListingFont(const QString& name, const QString& size);
  // Replaces the text by the report document in the file, streamed.
  void loadReport(const std::string& path);
  void stopLoading();
  bool loading() const;

 signals:
  void loadFinished();

 private:
  ListingLoader* loader_;
};

}  // namespace tallyfold::gui
