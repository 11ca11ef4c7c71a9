// The native Linux program. The command line is ignored: there is nothing to
// configure. Console lines go out as they are printed, also into a pipe.
#include <cstdio>

#include "linux/x11_front_end.h"

int main() {
  setvbuf(stdout, nullptr, _IONBF, 0);
  return x11::runApplication();
}
