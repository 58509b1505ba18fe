#include "platform/app_folder.h"

#include "platform/folder_paths.h"
#include "platform/path_text.h"

#include <cstdlib>

namespace tallyfold {

std::string applicationFolder() {
  const char* own = std::getenv("TALLYFOLD_HOME");
  if (own != nullptr && *own != '\0') return std::string(withoutTrailingSlash(own));
  std::string data = detail::absoluteFolderFromEnvironment("XDG_DATA_HOME");
  if (!data.empty()) return detail::joinPath(data, "tallyfold");
  return detail::homeFolder() + "/.local/share/tallyfold";
}

bool ensureApplicationFolder() {
  // The folder holds the user's own job and list files: private, like the
  // other per-user data folders.
  return detail::makeFolders(applicationFolder(), 0700);
}

std::string applicationFile(const std::string& name) {
  return detail::joinPath(applicationFolder(), name);
}

}  // namespace tallyfold
