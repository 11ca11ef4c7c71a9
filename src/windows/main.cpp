#include <cstdio>

#include "windows/win32_front_end.h"

// The command line is ignored: there is nothing to configure. Console lines go
// out as they are printed, also when standard output is a pipe.
int main() {
  setvbuf(stdout, nullptr, _IONBF, 0);
  return win32::runApplication();
}
