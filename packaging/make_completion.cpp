// Writes the bash completion script of quorvane-cli to the file named by its one argument.
#include <fstream>
#include <iostream>

#include "cli/BashCompletion.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::cerr << "usage: quorvane_completion FILE\n";
    return 2;
  }
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file << quorvane::BashCompletionScript();
  file.close();
  if (!file) {
    std::cerr << "quorvane_completion: cannot write " << argv[1] << '\n';
    return 1;
  }
  return 0;
}
