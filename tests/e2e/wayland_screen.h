// Looking at a running program on a private sway from outside, as a person
// would: its windows by title from sway's window tree (swaymsg), the
// output's pixels read back through the screen-copy protocol at the
// output's own depth (so a 10-bit output gives every window's true levels),
// keys typed through the virtual keyboard (wtype) into the focused window,
// and windows closed as a person closes them (swaymsg kill).
#pragma once

#include <string>
#include <vector>

#include "private_compositor.h"
#include "x_screen.h"

// The compositor's first output, copied whole into image (maxLevel 1023 for
// a 10-bit output, 255 for an 8-bit one); false after writing why into error.
bool copyWaylandOutput(const std::string& socket, ScreenImage& image, std::string& error);

// A window of sway's tree as swaymsg -t get_tree prints it: the container
// id and its rectangle of the node whose name is title; false when none is.
bool findSwayWindow(const std::string& tree, const std::string& title, unsigned long& id,
                    ScreenRect& rect);

class SwayScreen {
 public:
  explicit SwayScreen(const PrivateCompositor& compositor);
  SwayScreen(const std::string& socket, const std::string& ipcSocket);

  bool ok() const { return !socket_.empty() && !ipcSocket_.empty(); }
  // The window with this exact title, waiting up to timeoutSeconds; its
  // container id, or 0 when there is none.
  unsigned long waitForWindow(const std::string& title, double timeoutSeconds);
  bool hasWindowTitled(const std::string& title);
  ScreenRect rectOf(unsigned long window);  // in output pixels
  // The rectangle of the output; an empty image after a failed copy (the
  // reason goes to standard error).
  ScreenImage grab(const ScreenRect& rect);
  // Types the key (an xdotool-style name: "b", "N", "1", "Escape", "space")
  // into the focused window; false when wtype failed or hung.
  bool typeKey(const std::string& key);
  // Several keys through one virtual keyboard, in order: each wtype call
  // joins the seat with a keyboard of its own, and keys sent by calls in
  // quick succession are now and then lost while the keymaps change.
  bool typeKeys(const std::vector<std::string>& keys);
  // The app ids of the windows in sway's tree, in the tree's order.
  std::vector<std::string> appIds();
  // The output's pixels under a window at the output's scale: a window
  // of 400 by 400 logical pixels on a scale-2 output is 800 by 800.
  ScreenImage grabScaled(const ScreenRect& rect, int scale);
  // What a person's click on a title bar's close button does.
  bool requestClose(unsigned long window);
  // Moves the window to the named workspace (a person's Mod+Shift+number);
  // the output keeps showing its workspace.
  bool moveToWorkspace(unsigned long window, const std::string& workspace);
  // Takes full screen away from the window, as a person's Mod+F does.
  bool endFullScreen(unsigned long window);

 private:
  std::string socket_, ipcSocket_;
  std::string tree();
};

// Mutter or KWin seen from outside through the compositor driver: keys
// typed into the focused window on both; on KWin its windows by title, each
// with its frame's rectangle (title bar included) and app id, and closed as
// a close button does. Neither copies the screen for a client.
class DrivenScreen {
 public:
  explicit DrivenScreen(PrivateCompositor& compositor) : compositor_(compositor) {}

  bool ok() const { return !compositor_.socket().empty(); }
  // Why the windows cannot be seen here, or null where they can.
  const char* cannotListWindows() const;
  unsigned long waitForWindow(const std::string& title, double timeoutSeconds);
  bool hasWindowTitled(const std::string& title) { return find(title, nullptr) != 0; }
  ScreenRect rectOf(unsigned long window);
  bool typeKeys(const std::vector<std::string>& keys);
  std::vector<std::string> appIds();
  bool requestClose(unsigned long window);

 private:
  PrivateCompositor& compositor_;
  // The window with this title (0 when none), its line of the driver's list.
  unsigned long find(const std::string& title, std::string* line);
};
