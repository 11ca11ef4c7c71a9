// A window manager's hand on the program: openbox on a private depth-30
// Xvfb of its own, as a person's desktop would have it. Its configuration,
// cache and session files live in a temporary folder that goes with it.
#pragma once

#include <memory>
#include <string>

#include "child_process.h"
#include "private_x_server.h"

class WindowManagerSession {
 public:
  // With newWindowsMinimised, openbox opens every new window minimised, as
  // it can be told to for some or all applications.
  explicit WindowManagerSession(bool newWindowsMinimised);
  ~WindowManagerSession();
  WindowManagerSession(const WindowManagerSession&) = delete;
  WindowManagerSession& operator=(const WindowManagerSession&) = delete;

  // ":N" once the window manager runs on it; empty with error() saying why not.
  const std::string& display() const { return display_; }
  const std::string& error() const { return error_; }

 private:
  PrivateXServer server_;
  std::string folder_;
  std::unique_ptr<ChildProcess> openbox_;
  std::string display_, error_;
};
