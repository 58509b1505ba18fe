#include "gui/help_links.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace tallyfold::gui {

QString helpFilePath() {
  const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../" +
                                            QString(TALLYFOLD_INSTALLED_MANUAL));
  for (const QString& path : {installed, QString(TALLYFOLD_SOURCE_MANUAL)})
    if (QFileInfo(path).isFile()) return path;
  return installed;
}

QString helpFileUrl() {
  return QUrl::fromLocalFile(helpFilePath()).toString();
}

QString updatePageUrl() {
  return TALLYFOLD_HOME_PAGE;
}

QString tellAFriendUrl() {
  const QByteArray subject = QUrl::toPercentEncoding("Just Try Tallyfold!");
  const QByteArray body = QUrl::toPercentEncoding(
      QString("Click the link to download Tallyfold: ") + TALLYFOLD_HOME_PAGE);
  return "mailto:?subject=" + QString::fromLatin1(subject) + "&body=" + QString::fromLatin1(body);
}

QString supportAddress() {
  return TALLYFOLD_SUPPORT_ADDRESS;
}

}  // namespace tallyfold::gui
