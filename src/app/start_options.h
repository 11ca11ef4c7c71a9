// What the command line asks for, and the usage lines that answer anything
// else.
#pragma once

// What the command line asks for: the demonstration or (--check) the check,
// either of them in full screen (--fullscreen), and presented through DXGI
// swap chains (--dxgi) where the program offers it (Windows alone). Any
// other argument, or one given twice, leaves `valid` false: the program
// prints the usage line and ends with status 2. The options come in any order.
struct StartOptions {
  bool valid = true;
  bool check = false;
  bool fullScreen = false;
  bool dxgi = false;
  bool blind = false;  // the blind test, in full screen; not with --check
};
StartOptions startOptionsFromArguments(int argc, const char* const* argv, bool dxgiOffered = false);
inline constexpr char usageLine[] = "Usage: lumivane [--fullscreen] [--check | --blind]\n";
inline constexpr char usageLineWithDxgi[] =
    "Usage: lumivane [--dxgi] [--fullscreen] [--check | --blind]\n";
