#include "model/globals.h"

int main(int argc, char** argv) {
  globals::ARGUMENTS.assign(argv + 1, argv + argc);
  globals::INITCOMMS();
  return 0;
}
