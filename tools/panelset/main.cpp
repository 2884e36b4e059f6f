#include <iostream>
#include <string>
#include <vector>

#include "panelset.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return kestrel::panelset::RunPanelset(args, std::cout, std::cerr);
}
