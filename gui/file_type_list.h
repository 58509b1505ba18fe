#pragma once
// The location editor's list of file types (".mp3" and its type name), kept in
// the settings store's section "File Types" as "1", "2", ... in list order.

#include <QString>
#include <QVector>
#include <optional>

namespace tallyfold::gui {

struct FileType {
  QString extension;  // ".mp3"
  QString typeName;   // from the shared MIME database
};

class FileTypeList {
 public:
  // The stored list; nullopt when the section does not exist.
  static std::optional<QVector<FileType>> load();
  // The stored list, or the ten default types when none is stored.
  static QVector<FileType> loadOrDefaults();
  // Rewrites the section in list order (an empty list removes it), unless it
  // holds that list already; a type read from the store is written back as
  // the bytes it was read as. False when the store could not be written.
  static bool save(const QVector<FileType>& types);
  static QVector<FileType> defaults();
  // The MIME database's name for files with this extension (".mp3").
  static QString typeNameOf(const QString& extension);
};

}  // namespace tallyfold::gui
