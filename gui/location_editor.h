#pragma once
// FolderFrm: the location editor. The user picks one folder and its options:
// sub-folders, depth and the file types to list. Made fresh for each use; the
// folder chooser opens once when the editor is shown, and again on Command2.

#include <QDialog>

#include "scan/scan_location.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class QTreeWidget;

namespace tallyfold::gui {

class FolderWindow : public QDialog {
  Q_OBJECT

 public:
  explicit FolderWindow(QWidget* parent);

  // The row the editor describes; valid after OK.
  ScanLocation location() const;
  QString folderText() const;
  // Runs the folder chooser and puts its answer in Text1.
  void chooseFolder();
  void addFileType();
  void deleteFileType();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* buildPathRow();
  QWidget* buildLevelBox();
  QWidget* buildTypeBox();
  void fillTypes();
  void saveTypes();
  void updateLevelControls();
  void updateTypeControls();
  // The level typed, or nullopt after telling the user why it is refused.
  std::optional<int> checkedLevel();
  void confirm();

  QLineEdit* path_ = nullptr;
  QPushButton* ok_ = nullptr;
  QCheckBox* subFolders_ = nullptr;
  QCheckBox* allLevels_ = nullptr;
  QLineEdit* level_ = nullptr;
  QRadioButton* allFiles_ = nullptr;
  QRadioButton* someFiles_ = nullptr;
  QTreeWidget* types_ = nullptr;
  QToolButton* addType_ = nullptr;
  QToolButton* deleteType_ = nullptr;
  ScanLocation result_;
  int insertionCounter_ = 0;
  bool chooserShown_ = false;
};

}  // namespace tallyfold::gui
