#include "window_manager.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "x_screen.h"

namespace {

// Only what differs from openbox's defaults.
std::string configuration(bool newWindowsMinimised) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<openbox_config xmlns=\"http://openbox.org/3.4/rc\">\n";
  if (newWindowsMinimised)
    text +=
        "  <applications><application class=\"*\"><iconic>yes</iconic></application>"
        "</applications>\n";
  return text + "</openbox_config>\n";
}

}  // namespace

WindowManagerSession::WindowManagerSession(bool newWindowsMinimised) : server_(30) {
  if (server_.name().empty()) {
    error_ = "Xvfb at depth 30 did not start";
    return;
  }
  std::string pattern = (std::filesystem::temp_directory_path() / "lumivane-openbox-XXXXXX");
  if (mkdtemp(pattern.data()) == nullptr) {
    error_ = "no temporary folder for openbox";
    return;
  }
  folder_ = pattern;
  const std::string config = folder_ + "/rc.xml";
  std::ofstream(config) << configuration(newWindowsMinimised);
  // Its log and session files go to the temporary folder, not the home.
  openbox_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{"openbox", "--sm-disable", "--config-file", config},
      std::vector<std::string>{"DISPLAY=" + server_.name(), "XDG_CACHE_HOME=" + folder_,
                               "XDG_CONFIG_HOME=" + folder_, "XDG_DATA_HOME=" + folder_});
  XScreen screen(server_.name());
  if (!openbox_->started() || !screen.waitForWindowManager(20)) {
    error_ = "openbox did not take over the screen within 20 s";
    return;
  }
  display_ = server_.name();
}

WindowManagerSession::~WindowManagerSession() {
  openbox_.reset();
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
}
