#pragma once
// Private helpers of the platform layer for the per-user folders: the home
// folder, the XDG base folders and creating a folder with its parents.

#include <sys/types.h>
#include <string>

namespace tallyfold::detail {

// $HOME, or the password database's home folder of the current user; empty
// when neither is known.
std::string homeFolder();
// The value of an environment variable naming a folder, when it is set to an
// absolute path (relative values are ignored, as the XDG rules ask); empty
// otherwise. Trailing "/" are removed, except from "/" itself.
std::string absoluteFolderFromEnvironment(const char* name);
// folder + "/" + name, without doubling the "/" of the root folder.
std::string joinPath(const std::string& folder, const std::string& name);
// Creates a folder and any missing parents with the given mode (the umask
// applies). True when the folder exists afterwards.
bool makeFolders(const std::string& path, mode_t mode);

}  // namespace tallyfold::detail
