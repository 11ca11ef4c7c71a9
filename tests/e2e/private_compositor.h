// A private headless Wayland compositor for the end-to-end tests, so that
// they need nothing set up around them: started in a folder of its own
// (runtime folder, home and configuration) and stopped, with the folder
// removed, when the object goes. Compositors refuse to run as root, so under
// root it runs as the unprivileged user nobody; the tests, as root, reach it
// by its socket's full path.
//
// Mutter and KWin run with a private session bus of their own, and with the
// compositor driver (compositor_driver.cpp) as their user: the one way in for
// keys there, and on KWin to its windows.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "child_process.h"

enum class CompositorKind {
  // sway with its software renderer and a 10-bit output of 800 by 400: it
  // tiles the two windows side by side at 400 by 400 each, and offers
  // screen copies, a virtual keyboard and an IPC socket.
  SwayTenBit,
  // The same at scale 2: an output of 1600 by 800 pixels, 800 by 400
  // logical, where each window is 400 by 400 logical and 800 by 800 pixels.
  SwayTenBitScaleTwo,
  // The first at sway's default render_bit_depth: the output is composed at
  // 8 bits per colour, whatever the windows hold.
  SwayEightBit,
  // Weston without a renderer: it offers only 8-bit buffer formats, so no
  // client finds a 10-bit configuration.
  WestonWithoutRenderer,
  // Mutter headless with one virtual monitor of 800 by 600; it places the
  // windows itself and tells no client where, and libdecor draws their
  // title bars.
  Mutter,
  // KWin on a virtual output of 1280 by 1024, with its own title bars.
  Kwin,
};

class PrivateCompositor {
 public:
  explicit PrivateCompositor(CompositorKind kind);
  ~PrivateCompositor();
  PrivateCompositor(const PrivateCompositor&) = delete;
  PrivateCompositor& operator=(const PrivateCompositor&) = delete;

  // The Wayland socket's full path (what WAYLAND_DISPLAY takes), or empty
  // when the compositor did not start within 20 seconds.
  const std::string& socket() const { return socket_; }
  // sway's IPC socket for swaymsg; empty for Weston.
  const std::string& ipcSocket() const { return ipcSocket_; }
  // "WAYLAND_DISPLAY=..." for a client of this compositor.
  std::string environment() const { return "WAYLAND_DISPLAY=" + socket_; }
  CompositorKind kind() const { return kind_; }
  // As its report names it: "sway", "Mutter", "KWin", "Weston".
  std::string name() const;
  // The output's size in pixels (sway, Mutter, KWin).
  int outputWidth() const;
  int outputHeight() const;
  // Mutter and KWin: sends the driver one command and gives back the lines
  // of its answer; false when it failed or did not answer within 20 s.
  bool drive(const std::string& command, std::vector<std::string>& answer);

 private:
  CompositorKind kind_;
  std::string folder_, socket_, ipcSocket_;
  // Stopped in reverse order: the driver, the compositor, the bus.
  std::unique_ptr<ChildProcess> bus_, process_, driver_;
  std::size_t driverRead_ = 0;  // how much of the driver's output is answered
  std::vector<std::string> asUser(const std::vector<std::string>& command) const;
  bool startDriver();
};
