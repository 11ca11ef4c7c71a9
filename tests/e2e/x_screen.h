// Looking at a running program from outside, as a person would: its
// top-level windows on an X display, their pixels read from the root window
// (so that depth-30 screens give their 10-bit values), and keys typed with
// the pointer over a window.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

struct ScreenRect {
  int x = 0, y = 0, width = 0, height = 0;
};

struct ScreenPixel {
  int r, g, b;
};

struct ScreenImage {
  int width = 0, height = 0;
  int maxLevel = 255;               // 1023 on a depth-30 screen
  std::vector<ScreenPixel> pixels;  // rows top down
  const ScreenPixel& at(int x, int y) const { return pixels[y * width + x]; }
};

class XScreen {
 public:
  explicit XScreen(const std::string& display);
  ~XScreen();
  XScreen(const XScreen&) = delete;
  XScreen& operator=(const XScreen&) = delete;

  bool ok() const { return display_ != nullptr; }
  int depth() const;

  // The viewable window with this exact title, waiting up to timeoutSeconds;
  // 0 when there is none.
  Window waitForWindow(const std::string& title, double timeoutSeconds);
  bool hasWindowTitled(const std::string& title);
  ScreenRect rectOf(Window window);  // in root coordinates
  ScreenRect rootRect();             // the whole screen
  ScreenImage grab(const ScreenRect& rect);
  // The visual's bits per colour channel for the window, and its depth.
  int redBitsOf(Window window);
  int visualDepthOf(Window window);
  // A window's property of 32-bit CARDINAL items (_NET_WM_PID, _NET_WM_ICON),
  // empty where it has none.
  std::vector<unsigned long> cardinals(Window window, const std::string& property);
  // The window's WM_CLASS as "instance/class", empty where it has none.
  std::string windowClass(Window window);
  // Pixels of a depth-32 (ARGB) window's own contents that are less than
  // opaque; -1 for a window of another depth.
  int seeThroughPixels(Window window);
  // What a window manager does when the user drags a window's edge (under a
  // window manager: what a client asks of it).
  void resize(Window window, unsigned width, unsigned height);

  // The window with this exact title whether it is shown or not (minimised,
  // never mapped), waiting up to timeoutSeconds; 0 when there is none.
  Window waitForClient(const std::string& title, double timeoutSeconds);
  bool viewable(Window window);
  // Whether a window manager runs on the screen, waiting up to timeoutSeconds.
  bool waitForWindowManager(double timeoutSeconds);
  // What a person's maximise button asks of the window manager, both ways.
  void setMaximised(Window window, bool maximised);
  // What a rogue client can do to another's window.
  void destroy(Window window);

  // Moves the pointer over the rectangle's centre and types the key there
  // (an xdotool key name such as "b", "Escape", "1"); false when xdotool
  // failed or hung.
  bool typeKey(const ScreenRect& over, const std::string& key);
  // Runs xdotool on this display with these arguments (a command chain such
  // as {"mousemove", "10", "10", "mousedown", "1"}); false when it failed.
  bool xdotool(const std::vector<std::string>& arguments);
  // What a window manager sends when the user closes a window.
  void requestClose(Window window);
  // Gives the screen's first RandR output a "max bpc" property and an EDID,
  // as a real driver's output has them; false when there is no output.
  bool setOutputProperties(long maxBpc, const std::vector<unsigned char>& edid);

  // The screen's size and its first CRTC's mode and place as RandR tells
  // them ("1280x1024, crtc 1280x1024+0+0 mode 0x..."), for checking that a
  // program gave back any display mode it changed.
  std::string screenMode();

  // X errors this connection met, other than windows vanishing while the
  // window tree is searched (programs come and go): each as "request N:
  // error text". A test expects none.
  std::vector<std::string> unexpectedErrors() const;

 private:
  Display* display_ = nullptr;
  std::string name_;
  Window searchTree(const std::string& title, bool viewableOnly = true);
};

// Distinct grey levels among the pixels whose grey lies within [low, high]
// (fractions of full scale): the background's levels, with dark unlit
// objects and coloured ones left out.
int countGreyLevels(const ScreenImage& image, double low, double high);

// Pixels where blue stands well above red and green: the logo's colour.
int countStrongBluePixels(const ScreenImage& image, const ScreenRect& within);

// Same size and every pixel alike.
bool samePicture(const ScreenImage& a, const ScreenImage& b);

// Largest channel value in the image, as a fraction of full scale.
double brightest(const ScreenImage& image);
