#pragma once
// The application folder holds the program's own files: default.dif,
// exclusion.lst and the report file tmpfile.dmp. It is $TALLYFOLD_HOME when set,
// else $XDG_DATA_HOME/tallyfold (default ~/.local/share/tallyfold).

#include <string>

namespace tallyfold {

// The folder's path, without trailing "/". Does not create it.
std::string applicationFolder();
// Creates the folder (and its parents) if missing; false when that fails.
bool ensureApplicationFolder();
// A file in the application folder: applicationFolder() + "/" + name.
std::string applicationFile(const std::string& name);

}  // namespace tallyfold
