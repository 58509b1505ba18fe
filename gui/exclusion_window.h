#pragma once
// The exclusion window (objectName ExcludeFrm): the three exclusion lists (file names, folders,
// extensions), kept in exclusion.lst, and the link setting kept in the settings store. Loaded
// hidden at start-up; OK and the close box both save, but only what changed. Every entry keeps the
// bytes it was read or added as.

#include <QDialog>
#include <string>

#include "scan/exclusions.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;

namespace tallyfold::gui {

class ExclusionWindow : public QDialog {
  Q_OBJECT

 public:
  void reject() override;
  explicit ExclusionWindow(QWidget* parent);

  ExclusionLists lists() const;
  bool followLinks() const;
  void loadLists();
  // Writes exclusion.lst and the link setting; false after telling the user.
  bool saveLists();

  void addFileName();
  void addFolder();
  void addExtension();

 private:
  struct Page {
    QListWidget* list = nullptr;
    QPushButton* remove = nullptr;
  };
  QWidget* buildPage(const char* frameName, const QString& caption, QWidget* entry,
                     const char* addName, const char* listName, const char* removeName, Page& page);
  QWidget* buildFileNamePage();
  QWidget* buildFolderPage();
  QWidget* buildExtensionPage();
  bool addEntry(Page& page, const std::string& bytes);
  void fillList(Page& page, const std::vector<std::string>& entries);
  void acceptLists();

  QStackedWidget* pages_ = nullptr;
  QLineEdit* fileName_ = nullptr;
  QLineEdit* extension_ = nullptr;
  QCheckBox* subFolders_ = nullptr;
  QCheckBox* followLinks_ = nullptr;
  QCheckBox* skipHidden_ = nullptr;
  Page fileNames_, folders_, extensions_;
  // What the file and the store held when last read or written, so that an
  // unchanged list is never rewritten.
  ExclusionLists stored_;
  bool storedFollowLinks_ = false;
};

}  // namespace tallyfold::gui
