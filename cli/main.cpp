// tallyfold-cli: the scan and the reports of Tallyfold without a window.

#include <clocale>
#include <cstdio>
#include <new>

#include "cli/cli_run.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  // Running out of memory anywhere in a run unwinds to here: the output not
  // yet in place is discarded on the way, and the user learns why.
  try {
    return tallyfold::cli::runCli(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("tallyfold-cli: out of memory\n", stderr);
    return tallyfold::cli::kExitOutOfMemory;
  }
}
