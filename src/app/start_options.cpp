#include "app/start_options.h"

#include <cstring>

StartOptions startOptionsFromArguments(int argc, const char* const* argv, bool dxgiOffered) {
  StartOptions options;
  for (int i = 1; i < argc; ++i) {
    bool* option = nullptr;
    if (std::strcmp(argv[i], "--check") == 0) option = &options.check;
    if (std::strcmp(argv[i], "--fullscreen") == 0) option = &options.fullScreen;
    if (std::strcmp(argv[i], "--blind") == 0) option = &options.blind;
    if (dxgiOffered && std::strcmp(argv[i], "--dxgi") == 0) option = &options.dxgi;
    if (option == nullptr || *option) return StartOptions{false};
    *option = true;
  }
  // The check names the halves; the blind test must not.
  if (options.check && options.blind) return StartOptions{false};
  return options;
}
