// A private headless Wayland compositor for the end-to-end tests, so that
// they need nothing set up around them: started in a folder of its own
// (runtime folder, home and configuration) and stopped, with the folder
// removed, when the object goes. Compositors refuse to run as root, so under
// root it runs as the unprivileged user nobody; the tests, as root, reach it
// by its socket's full path.
#pragma once

#include <memory>
#include <string>

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

 private:
  std::string folder_, socket_, ipcSocket_;
  std::unique_ptr<ChildProcess> process_;
};
