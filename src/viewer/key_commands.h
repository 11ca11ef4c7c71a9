// The key table both front ends share: which command a key runs, which light
// it switches and how many times both windows are refreshed afterwards. Each
// front end only turns its own key codes into a ViewerKey and supplies the
// three platform actions.
#pragma once

enum class ViewerKey {
  Other,
  Escape,
  Space,
  MainLight,
  SideLight,
  Shade,
  Logo,
  Pause,
  Report,
  FullScreen
};

struct FrontEndActions {
  void (*quit)();                                 // end the message loop
  void (*switchLight)(int lightIndex, bool off);  // 0 main, 1 side; in both contexts
  void (*refreshBoth)();                          // paint the 10-bit window, then the 8-bit one
  // Measure both windows and print the check's report; the program goes on.
  // A front end without one leaves the key to the platform's default.
  void (*printReport)() = nullptr;
  // Key F: from the two windows to the full-screen split view and back. A
  // front end without full screen leaves it empty; the key then does nothing.
  void (*toggleFullScreen)() = nullptr;
};

// Runs the key's command and its refreshes. Returns false for a key without a
// row in the table, which the caller passes on to the platform's default.
bool handleViewerKey(ViewerKey key, const FrontEndActions& actions);
