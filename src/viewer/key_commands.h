// The key table the three front ends share: which command a key runs, which
// light it switches and how many times both windows are refreshed afterwards.
// Each front end only turns its own key codes into a ViewerKey and supplies
// the six platform actions.
#pragma once

enum class ViewerKey {
  Other,
  Escape,
  Space,
  MainLight,
  SideLight,
  Shade,
  RampColour,
  Logo,
  Pause,
  Report,
  FullScreen,
  Left,  // the arrow keys: the blind test's answers
  Right
};

// The scene's two lights: the main light (GL_LIGHT0) and the side light
// (GL_LIGHT1).
enum class Light { Main, Side };

struct FrontEndActions {
  void (*quit)();                             // end the message loop
  void (*switchLight)(Light light, bool on);  // in both contexts
  void (*refreshBoth)();                      // paint the 10-bit window, then the 8-bit one
  // Measure both windows and print the check's report; the program goes on.
  // A front end without one leaves the key to the platform's default.
  void (*printReport)() = nullptr;
  // Key F: from the two windows to the full-screen split view and back. A
  // front end without full screen leaves it empty; the key then does nothing.
  void (*toggleFullScreen)() = nullptr;
  // Left or Right in the blind test: the half the person finds smoother;
  // true when that was the last answer, and the program then ends. A front
  // end without the blind test leaves it empty.
  bool (*pickHalf)(bool right) = nullptr;
};

// Runs the key's command and its refreshes. Returns false for a key without a
// row in the table, which the caller passes on to the platform's default.
bool handleViewerKey(ViewerKey key, const FrontEndActions& actions);
