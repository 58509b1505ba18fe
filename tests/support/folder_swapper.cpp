#include "support/folder_swapper.h"

#include <stdio.h>
#include <unistd.h>

#include <utility>

namespace tallyfold::test {

FolderSwapper::FolderSwapper(std::vector<std::string> folders, std::string target)
    : folders_(std::move(folders)), target_(std::move(target)), thread_([this] { run(); }) {}

FolderSwapper::~FolderSwapper() {
  stop_ = true;
  thread_.join();
}

void FolderSwapper::run() {
  while (!stop_) {
    for (const std::string& folder : folders_) {
      if (stop_) return;
      swapOnce(folder);
    }
  }
}

void FolderSwapper::swapOnce(const std::string& folder) {
  const std::string away = folder + ".away";
  if (rename(folder.c_str(), away.c_str()) != 0) return;
  if (symlink(target_.c_str(), folder.c_str()) == 0) {
    std::this_thread::yield();
    unlink(folder.c_str());
  }
  rename(away.c_str(), folder.c_str());
  ++swaps_;
}

}  // namespace tallyfold::test
