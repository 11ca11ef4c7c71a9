#include "private_compositor.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

constexpr uid_t nobody = 65534;

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

std::vector<std::string> compositorCommand(CompositorKind kind, const std::string& folder) {
  if (kind != CompositorKind::WestonWithoutRenderer) {
    std::ofstream(folder + "/config")
        << (kind == CompositorKind::SwayTenBit
                ? "output HEADLESS-1 mode 800x400 position 0 0 render_bit_depth 10\n"
            : kind == CompositorKind::SwayEightBit
                ? "output HEADLESS-1 mode 800x400 position 0 0\n"
                : "output HEADLESS-1 mode 1600x800 position 0 0 render_bit_depth 10 scale 2\n")
        << "default_border none\n"
           "xwayland disable\n";
    return {
        "env", "WLR_BACKENDS=headless", "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1", "sway",
        "-c",  folder + "/config"};
  }
  return {"weston", "--backend=headless-backend.so", "--no-config", "--idle-time=0",
          "--socket=wayland-1"};
}

}  // namespace

PrivateCompositor::PrivateCompositor(CompositorKind kind) {
  char pattern[] = "/tmp/lumivane-compositor-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return;
  folder_ = pattern;
  const std::string run = folder_ + "/run", home = folder_ + "/home";
  mkdir(run.c_str(), 0700);
  mkdir(home.c_str(), 0700);
  std::vector<std::string> command = {"env", "-i", "PATH=/usr/bin:/bin", "HOME=" + home,
                                      "XDG_RUNTIME_DIR=" + run};
  if (getuid() == 0) {
    for (const std::string& path : {folder_, run, home})
      if (chown(path.c_str(), nobody, nobody) != 0) std::perror(path.c_str());
    command.insert(command.begin(),
                   {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  }
  for (const std::string& part : compositorCommand(kind, folder_)) command.push_back(part);
  if (getuid() == 0 && kind != CompositorKind::WestonWithoutRenderer)
    if (chown((folder_ + "/config").c_str(), nobody, nobody) != 0) std::perror("config");
  process_ = std::make_unique<ChildProcess>(command, std::vector<std::string>{});
  // Ready once its sockets exist (sway's IPC socket comes last).
  const std::string ipcPrefix = kind != CompositorKind::WestonWithoutRenderer ? "sway-ipc." : "";
  for (int i = 0; i < 400 && process_->running(); ++i) {
    const std::string socket = socketIn(run, "wayland-");
    const std::string ipc = ipcPrefix.empty() ? std::string() : socketIn(run, ipcPrefix);
    if (!socket.empty() && (ipcPrefix.empty() || !ipc.empty())) {
      socket_ = socket;
      ipcSocket_ = ipc;
      break;
    }
    sleepSeconds(0.05);
  }
  if (socket_.empty()) std::fprintf(stderr, "the compositor did not start within 20 s\n");
}

PrivateCompositor::~PrivateCompositor() {
  process_.reset();  // the whole process group goes
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
}
