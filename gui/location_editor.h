#pragma once
// The location editor. The user picks one folder and its options:
// sub-folders, depth and the file types to list. Made fresh for each use; for
// a new location the folder chooser opens once when the editor is shown, and
// again on the browse button. An existing location is shown as it is, and its
// folder keeps its bytes unless the user changes the path.

#include <QDialog>
#include <optional>
#include <string>

#include "scan/scan_location.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class QTreeWidget;

namespace tallyfold::gui {

class LocationEditor : public QDialog {
  Q_OBJECT

 public:
  explicit LocationEditor(QWidget* parent);

  // Shows a listed location for editing; the chooser does not open.
  void editLocation(const ScanLocation& location);

  // The row the editor describes; valid after OK.
  ScanLocation location() const;
  QString folderText() const;
  // Runs the folder chooser and puts its answer in the path box.
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
  // The folder of the edited location and the text the path box showed for it.
  std::string editedFolder_;
  QString editedFolderText_;
};

}  // namespace tallyfold::gui
