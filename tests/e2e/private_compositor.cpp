#include "private_compositor.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

constexpr uid_t nobody = 65534;
constexpr char kwinProgram[] = "/usr/bin/kwin_wayland";

// The first entry of the folder whose name starts with prefix and that is a
// socket; empty when there is none (yet).
std::string socketIn(const std::string& folder, const std::string& prefix) {
  std::string found;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return found;
  while (dirent* entry = readdir(dir)) {
    const std::string path = folder + "/" + entry->d_name;
    struct stat status = {};
    if (std::string(entry->d_name).rfind(prefix, 0) == 0 && stat(path.c_str(), &status) == 0 &&
        S_ISSOCK(status.st_mode)) {
      found = path;
      break;
    }
  }
  closedir(dir);
  return found;
}

// The compositor's own command line; sway's configuration is written first.
std::vector<std::string> compositorCommand(CompositorKind kind, const std::string& folder) {
  switch (kind) {
    case CompositorKind::SwayTenBit:
    case CompositorKind::SwayTenBitScaleTwo:
    case CompositorKind::SwayEightBit:
      std::ofstream(folder + "/config")
          << (kind == CompositorKind::SwayTenBit
                  ? "output HEADLESS-1 mode 800x400 position 0 0 render_bit_depth 10\n"
              : kind == CompositorKind::SwayEightBit
                  ? "output HEADLESS-1 mode 800x400 position 0 0\n"
                  : "output HEADLESS-1 mode 1600x800 position 0 0 render_bit_depth 10 scale 2\n")
          << "default_border none\n"
             "xwayland disable\n";
      return {"env",
              "WLR_BACKENDS=headless",
              "WLR_RENDERER=pixman",
              "WLR_LIBINPUT_NO_DEVICES=1",
              "sway",
              "-c",
              folder + "/config"};
    case CompositorKind::WestonWithoutRenderer:
      return {"weston", "--backend=headless-backend.so", "--no-config", "--idle-time=0",
              "--socket=wayland-1"};
    case CompositorKind::Mutter:
      return {"mutter",  "--headless",        "--wayland", "--no-x11", "--virtual-monitor",
              "800x600", "--wayland-display", "wayland-1"};
    case CompositorKind::Kwin:
      // A copy of the binary: it carries no file capability, which a
      // container may refuse ("Operation not permitted").
      return {folder + "/kwin_wayland",
              "--virtual",
              "--width",
              "1280",
              "--height",
              "1024",
              "--socket",
              "wayland-1",
              "--no-lockscreen",
              "--no-global-shortcuts",
              "--no-kactivities"};
  }
  return {};
}

bool drivenByTheDriver(CompositorKind kind) {
  return kind == CompositorKind::Mutter || kind == CompositorKind::Kwin;
}

// Copies the file into the folder under the same name, for the user nobody
// where the tests run as root; its path in the folder, or empty.
std::string copyInto(const std::string& file, const std::string& folder) {
  const std::string copy = folder + "/" + std::filesystem::path(file).filename().string();
  std::error_code error;
  std::filesystem::copy_file(file, copy, error);
  if (error || (getuid() == 0 && chown(copy.c_str(), nobody, nobody) != 0)) {
    std::fprintf(stderr, "cannot copy %s: %s\n", file.c_str(), error.message().c_str());
    return std::string();
  }
  return copy;
}

}  // namespace

std::vector<std::string> PrivateCompositor::asUser(const std::vector<std::string>& command) const {
  std::vector<std::string> full = {"env", "-i", "PATH=/usr/bin:/bin", "HOME=" + folder_ + "/home",
                                   "XDG_RUNTIME_DIR=" + folder_ + "/run"};
  if (getuid() == 0)
    full.insert(full.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  if (bus_) full.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + folder_ + "/run/bus");
  full.insert(full.end(), command.begin(), command.end());
  return full;
}

PrivateCompositor::PrivateCompositor(CompositorKind kind) : kind_(kind) {
  char pattern[] = "/tmp/lumivane-compositor-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return;
  folder_ = pattern;
  const std::string run = folder_ + "/run", home = folder_ + "/home";
  const std::string applications = home + "/.local/share/applications";
  std::filesystem::create_directories(applications);
  mkdir(run.c_str(), 0700);
  chmod(home.c_str(), 0700);
  const std::vector<std::string> command = compositorCommand(kind, folder_);
  if (drivenByTheDriver(kind) && copyInto(LUMIVANE_COMPOSITOR_DRIVER, folder_).empty()) return;
  if (kind == CompositorKind::Kwin) {
    // KWin offers its fake input and window management only to a program
    // that a desktop entry names, with those interfaces listed in it.
    std::ofstream(applications + "/lumivane-compositor-driver.desktop")
        << "[Desktop Entry]\nType=Application\nName=Lumivane compositor driver\nExec=" << folder_
        << "/compositor_driver\nNoDisplay=true\n"
           "X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input,org_kde_plasma_window_management\n";
    if (copyInto(kwinProgram, folder_).empty()) return;
  }
  if (getuid() == 0)
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_))
      if (lchown(entry.path().c_str(), nobody, nobody) != 0) std::perror(entry.path().c_str());
  if (getuid() == 0 && chown(folder_.c_str(), nobody, nobody) != 0) std::perror(folder_.c_str());
  if (drivenByTheDriver(kind)) {
    const std::vector<std::string> bus = {"dbus-daemon", "--session", "--nofork",
                                          "--address=unix:path=" + run + "/bus"};
    bus_ = std::make_unique<ChildProcess>(asUser(bus), std::vector<std::string>{});
    waitUntil([&] { return !bus_->running() || !socketIn(run, "bus").empty(); }, 10);
    if (kind == CompositorKind::Kwin && !runTool(asUser({"kbuildsycoca5"}), {}, 60))
      std::fprintf(stderr, "kbuildsycoca5 failed\n");
  }
  process_ = std::make_unique<ChildProcess>(asUser(command), std::vector<std::string>{});
  // Ready once its sockets exist (sway's IPC socket comes last).
  const bool sway = kind != CompositorKind::WestonWithoutRenderer && !drivenByTheDriver(kind);
  waitUntil(
      [&] {
        const std::string socket = socketIn(run, "wayland-");
        const std::string ipc = sway ? socketIn(run, "sway-ipc.") : std::string();
        if (socket.empty() || (sway && ipc.empty())) return !process_->running();
        socket_ = socket;
        ipcSocket_ = ipc;
        return true;
      },
      20);
  if (!socket_.empty() && drivenByTheDriver(kind) && !startDriver()) socket_.clear();
  if (socket_.empty()) std::fprintf(stderr, "the compositor did not start within 20 s\n");
}

bool PrivateCompositor::startDriver() {
  // Mutter's services join the bus a little after its socket appears: the
  // driver is started again until it finds them, for at most 20 seconds.
  const std::vector<std::string> command = {"WAYLAND_DISPLAY=wayland-1",
                                            folder_ + "/compositor_driver",
                                            kind_ == CompositorKind::Mutter ? "mutter" : "kwin"};
  std::vector<std::string> answer;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    driver_ = std::make_unique<ChildProcess>(asUser(command), std::vector<std::string>{}, true);
    driverRead_ = 0;
    if (drive("", answer)) return true;
    sleepSeconds(0.5);
  }
  std::fprintf(stderr, "the compositor driver found no way in\n");
  driver_.reset();
  return false;
}

bool PrivateCompositor::drive(const std::string& command, std::vector<std::string>& answer) {
  answer.clear();
  // An empty command only waits for the driver's first word.
  if (!driver_ || (!command.empty() && !driver_->write(command + "\n"))) return false;
  // Its answer's lines, until "ok" or "failed" (or its end), for at most 20 s.
  bool ok = false;
  waitUntil(
      [&] {
        const std::string& output = driver_->output();
        std::size_t end;
        while ((end = output.find('\n', driverRead_)) != std::string::npos) {
          const std::string line = output.substr(driverRead_, end - driverRead_);
          driverRead_ = end + 1;
          if (line == "ok" || line == "failed") {
            ok = line == "ok";
            return true;
          }
          answer.push_back(line);
        }
        return !driver_->running();
      },
      20);
  return ok;
}

std::string PrivateCompositor::name() const {
  switch (kind_) {
    case CompositorKind::Mutter:
      return "Mutter";
    case CompositorKind::Kwin:
      return "KWin";
    case CompositorKind::WestonWithoutRenderer:
      return "Weston";
    default:
      return "sway";
  }
}

int PrivateCompositor::outputWidth() const {
  return kind_ == CompositorKind::Kwin                 ? 1280
         : kind_ == CompositorKind::SwayTenBitScaleTwo ? 1600
                                                       : 800;
}

int PrivateCompositor::outputHeight() const {
  return kind_ == CompositorKind::Kwin                 ? 1024
         : kind_ == CompositorKind::Mutter             ? 600
         : kind_ == CompositorKind::SwayTenBitScaleTwo ? 800
                                                       : 400;
}

PrivateCompositor::~PrivateCompositor() {
  // The whole process groups go, the driver first.
  driver_.reset();
  process_.reset();
  bus_.reset();
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
}
