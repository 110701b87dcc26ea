#include <string>
#include <vector>

#include "prep/prep.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return fPrepMain(args, stdout, stderr);
}
