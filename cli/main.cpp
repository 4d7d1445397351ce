// quorvane-cli: the benchmark without a window.
#include <iostream>

#include "cli/CliProgram.h"

int main(int argc, char* argv[]) { return quorvane::RunCli(argc, argv, std::cout, std::cerr); }
