// tallyfold-cli: the scan and the reports of Tallyfold without a window.

#include <clocale>

#include "cli/cli_run.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  return tallyfold::cli::runCli(argc, argv);
}
