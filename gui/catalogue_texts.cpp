#include "gui/catalogue_texts.h"

#include <QDateTime>
#include <QLocale>

namespace tallyfold::gui {

QString catalogueSizeText(uint64_t bytes) {
  return QLocale().toString(qulonglong(bytes));
}

QString catalogueTimeText(int64_t secondsSinceEpoch) {
  return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch).toString("yyyy-MM-dd HH:mm");
}

}  // namespace tallyfold::gui
