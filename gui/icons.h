#pragma once
// The pictures of the toolbar and picture buttons: the desktop theme's icon
// when it has one, else the picture shipped in the program's resources, so no
// button is ever blank.

#include <QIcon>

namespace tallyfold::gui {

enum class IconName {
  Scan,
  Cancel,
  SaveAs,
  Settings,
  Add,
  Remove,
  Exclude,
  Browse,
  AddType,
  DeleteType,
  Folder,
  FolderSkipped,
  Bold,
  Italic,
  Underline,
  Colour,
  Undo,
  Redo,
  Application,
  Print,
  Find,
  Catalogue,
};

QIcon icon(IconName name);
// The picture shipped with the program, whatever the theme holds.
QIcon shippedIcon(IconName name);

}  // namespace tallyfold::gui
