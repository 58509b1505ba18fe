#pragma once
// Where the Help menu leads: the HTML manual installed with the program, the
// project's home page (the update page) and the recommendation mail.

#include <QString>

namespace tallyfold::gui {

// The manual that ships with the program: share/doc/tallyfold beside the
// program's bin folder once installed, else the one in the source tree (a
// program run from its build folder). When neither exists, the installed
// path, which the desktop then reports missing.
QString helpFilePath();
QString helpFileUrl();
QString updatePageUrl();
// A new mail without recipient: subject and body percent-encoded.
QString tellAFriendUrl();
QString supportAddress();

}  // namespace tallyfold::gui
