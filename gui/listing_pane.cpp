#include "gui/listing_pane.h"

#include "gui/listing_font.h"
#include "gui/listing_loader.h"

namespace tallyfold::gui {

ListingPane::ListingPane(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName("rTxt");
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setListingFont("Courier New", "9.75");
  loader_ = new ListingLoader(this);
  connect(loader_, &ListingLoader::finished, this, &ListingPane::loadFinished);
}

void ListingPane::setListingFont(const QString& name, const QString& size) {
  setFont(listingFont(name, size));
}

void ListingPane::loadReport(const std::string& path) {
  loader_->start(path);
}

void ListingPane::stopLoading() {
  loader_->stop();
}

bool ListingPane::loading() const {
  return loader_->running();
}

}  // namespace tallyfold::gui
