// x2x: the converter's operations on the command line.
#include <unistd.h>

#include <iostream>

#include "server/registration.h"
#include "x2x/terminal_prompt.h"
#include "x2x/x2x_command.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  kpx::RegisterStandInClasses();
  x2x::Console console{std::cin,
                       std::cout,
                       std::cerr,
                       isatty(STDIN_FILENO) == 1,
                       &x2x::AskOnTerminal,
                       isatty(STDERR_FILENO) == 1};
  int status = x2x::RunX2x(argc, argv, console);
  std::cout.flush();
  return status;
}
