#include "gui/file_type_list.h"

#include <QHash>
#include <QMimeDatabase>

#include "platform/settings_store.h"

namespace tallyfold::gui {

namespace {

constexpr char kSection[] = "File Types";

SettingsStore store() {
  return SettingsStore{std::string(kSettingsApplication)};
}

template <typename Stored>
bool sameValues(const Stored& stored,
                const std::vector<std::pair<std::string, std::string>>& values) {
  if (stored.size() != values.size()) return false;
  size_t i = 0;
  for (const auto& [key, value] : stored) {
    if (key != values[i].first || value != values[i].second) return false;
    ++i;
  }
  return true;
}

}  // namespace

std::optional<QVector<FileType>> FileTypeList::load() {
  SettingsStore settings = store();
  auto values = settings.section(kSection);
  if (values.empty()) return std::nullopt;
  QVector<FileType> types;
  for (const auto& [key, value] : values) {
    QString text = QString::fromStdString(value);
    // A value without ";" is an extension without a type name.
    int split = text.indexOf(';');
    types.push_back(split < 0 ? FileType{text, QString()}
                              : FileType{text.left(split), text.mid(split + 1)});
  }
  return types;
}

QVector<FileType> FileTypeList::loadOrDefaults() {
  std::optional<QVector<FileType>> stored = load();
  return stored ? *stored : defaults();
}

bool FileTypeList::save(const QVector<FileType>& types) {
  SettingsStore settings = store();
  const auto stored = settings.section(kSection);
  // A stored value that is no UTF-8 reads as a text with U+FFFD in it; a
  // type whose text is that reading is the stored one, saved as its bytes.
  QHash<QString, std::string> storedBytes;
  for (const auto& [key, value] : stored) storedBytes.insert(QString::fromStdString(value), value);
  std::vector<std::pair<std::string, std::string>> values;
  for (int i = 0; i < types.size(); ++i) {
    const QString text = types[i].extension + ";" + types[i].typeName;
    auto kept = storedBytes.constFind(text);
    values.emplace_back(std::to_string(i + 1),
                        kept != storedBytes.constEnd() ? *kept : text.toStdString());
  }
  if (sameValues(stored, values)) return true;
  if (!settings.deleteSection(kSection)) return false;
  if (types.isEmpty()) return true;
  return settings.setMany(kSection, values);
}

QVector<FileType> FileTypeList::defaults() {
  QVector<FileType> types;
  for (const char* extension :
       {".mp3", ".wma", ".jpg", ".gif", ".exe", ".zip", ".mpg", ".wav", ".ra", ".avi"})
    types.push_back(FileType{extension, typeNameOf(extension)});
  return types;
}

QString FileTypeList::typeNameOf(const QString& extension) {
  static QMimeDatabase database;
  QMimeType type = database.mimeTypeForFile("file" + extension, QMimeDatabase::MatchExtension);
  return type.isDefault() ? QString() : type.comment();
}

}  // namespace tallyfold::gui
