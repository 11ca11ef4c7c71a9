// The Windows console program: the demonstration, or with --check a
// measured report of both windows and the display; with --dxgi either one
// presents through DXGI swap chains. Console lines go out as
// they are printed, also when standard output is a pipe.
#include <cstdio>

#include "app/start_options.h"
#include "windows/win32_front_end.h"

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  const StartOptions options = startOptionsFromArguments(argc, argv, true);
  if (!options.valid) {
    printf("%s", usageLineWithDxgi);
    return 2;
  }
  return win32::runApplication(options);
}
