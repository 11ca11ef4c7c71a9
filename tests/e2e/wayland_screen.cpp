#include "wayland_screen.h"

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "child_process.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"

namespace {

// wl_shm's formats for the pixels an output may hand back (the 8-bit ones
// have their own small numbers, the rest are DRM fourcc codes).
constexpr uint32_t argb8888 = 0, xrgb8888 = 1;
constexpr uint32_t fourcc(char a, char b, char c, char d) {
  return static_cast<uint32_t>(a) | static_cast<uint32_t>(b) << 8 | static_cast<uint32_t>(c) << 16 |
         static_cast<uint32_t>(d) << 24;
}
constexpr uint32_t xrgb2101010 = fourcc('X', 'R', '3', '0'),
                   argb2101010 = fourcc('A', 'R', '3', '0');
constexpr uint32_t xbgr2101010 = fourcc('X', 'B', '3', '0'),
                   abgr2101010 = fourcc('A', 'B', '3', '0');
constexpr uint32_t xbgr8888 = fourcc('X', 'B', '2', '4'), abgr8888 = fourcc('A', 'B', '2', '4');

struct Capture {
  wl_shm* shm = nullptr;
  wl_output* output = nullptr;
  zwlr_screencopy_manager_v1* manager = nullptr;
  uint32_t format = 0, width = 0, height = 0, stride = 0;
  bool bufferKnown = false, yInverted = false, ready = false, failed = false;
};

void globalAdded(void* data, wl_registry* registry, uint32_t name, const char* interface,
                 uint32_t) {
  auto& capture = *static_cast<Capture*>(data);
  if (std::strcmp(interface, wl_shm_interface.name) == 0)
    capture.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  else if (std::strcmp(interface, wl_output_interface.name) == 0 && capture.output == nullptr)
    capture.output =
        static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
  else if (std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name) == 0)
    capture.manager = static_cast<zwlr_screencopy_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_screencopy_manager_v1_interface, 1));
}
void globalRemoved(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener = {globalAdded, globalRemoved};

void bufferOffered(void* data, zwlr_screencopy_frame_v1*, uint32_t format, uint32_t width,
                   uint32_t height, uint32_t stride) {
  auto& capture = *static_cast<Capture*>(data);
  capture.format = format;
  capture.width = width;
  capture.height = height;
  capture.stride = stride;
  capture.bufferKnown = true;
}
void flagsGiven(void* data, zwlr_screencopy_frame_v1*, uint32_t flags) {
  static_cast<Capture*>(data)->yInverted = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
}
void frameReady(void* data, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {
  static_cast<Capture*>(data)->ready = true;
}
void frameFailed(void* data, zwlr_screencopy_frame_v1*) {
  static_cast<Capture*>(data)->failed = true;
}
const zwlr_screencopy_frame_v1_listener frameListener = {bufferOffered, flagsGiven, frameReady,
                                                         frameFailed};

// Dispatches until done() holds, for at most 10 seconds; false on a broken
// connection or when time ran out.
template <typename Done>
bool dispatchUntil(wl_display* display, Done done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (wl_display_dispatch_pending(display) < 0) return false;
    if (done()) break;
    if (wl_display_flush(display) < 0) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd input = {wl_display_get_fd(display), POLLIN, 0};
    if (poll(&input, 1, static_cast<int>(left.count())) > 0 && wl_display_dispatch(display) < 0)
      return false;
  }
  return true;
}

// One pixel of the copied buffer as levels of its own depth.
ScreenPixel decode(uint32_t format, uint32_t v) {
  switch (format) {
    case xrgb2101010:
    case argb2101010:
      return {static_cast<int>(v >> 20 & 1023), static_cast<int>(v >> 10 & 1023),
              static_cast<int>(v & 1023)};
    case xbgr2101010:
    case abgr2101010:
      return {static_cast<int>(v & 1023), static_cast<int>(v >> 10 & 1023),
              static_cast<int>(v >> 20 & 1023)};
    case xbgr8888:
    case abgr8888:
      return {static_cast<int>(v & 255), static_cast<int>(v >> 8 & 255),
              static_cast<int>(v >> 16 & 255)};
    default:  // xrgb8888, argb8888
      return {static_cast<int>(v >> 16 & 255), static_cast<int>(v >> 8 & 255),
              static_cast<int>(v & 255)};
  }
}

bool knownFormat(uint32_t format) {
  for (uint32_t known :
       {argb8888, xrgb8888, xrgb2101010, argb2101010, xbgr2101010, abgr2101010, xbgr8888, abgr8888})
    if (format == known) return true;
  return false;
}

bool copyInto(wl_display* display, Capture& capture, ScreenImage& image, std::string& error) {
  zwlr_screencopy_frame_v1* frame =
      zwlr_screencopy_manager_v1_capture_output(capture.manager, 0, capture.output);
  zwlr_screencopy_frame_v1_add_listener(frame, &frameListener, &capture);
  bool ok = dispatchUntil(display, [&] { return capture.bufferKnown || capture.failed; });
  if (!ok || capture.failed || !knownFormat(capture.format)) {
    error = !ok ? "no buffer offered" : capture.failed ? "copy refused" : "unknown pixel format";
    zwlr_screencopy_frame_v1_destroy(frame);
    return false;
  }
  const std::size_t size = static_cast<std::size_t>(capture.stride) * capture.height;
  const int fd = memfd_create("lumivane-screen-copy", MFD_CLOEXEC);
  void* pixels = MAP_FAILED;
  if (fd >= 0 && ftruncate(fd, static_cast<off_t>(size)) == 0)
    pixels = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (pixels == MAP_FAILED) {
    error = "no shared memory";
    if (fd >= 0) close(fd);
    zwlr_screencopy_frame_v1_destroy(frame);
    return false;
  }
  wl_shm_pool* pool = wl_shm_create_pool(capture.shm, fd, static_cast<int32_t>(size));
  wl_buffer* buffer = wl_shm_pool_create_buffer(
      pool, 0, static_cast<int32_t>(capture.width), static_cast<int32_t>(capture.height),
      static_cast<int32_t>(capture.stride), capture.format);
  zwlr_screencopy_frame_v1_copy(frame, buffer);
  ok = dispatchUntil(display, [&] { return capture.ready || capture.failed; });
  if (ok && capture.ready) {
    image.width = static_cast<int>(capture.width);
    image.height = static_cast<int>(capture.height);
    const bool tenBit = capture.format == xrgb2101010 || capture.format == argb2101010 ||
                        capture.format == xbgr2101010 || capture.format == abgr2101010;
    image.maxLevel = tenBit ? 1023 : 255;
    image.pixels.clear();
    image.pixels.reserve(static_cast<std::size_t>(image.width) * image.height);
    for (uint32_t y = 0; y < capture.height; ++y) {
      const uint32_t row = capture.yInverted ? capture.height - 1 - y : y;
      const auto* line = reinterpret_cast<const uint32_t*>(
          static_cast<const char*>(pixels) + static_cast<std::size_t>(row) * capture.stride);
      for (uint32_t x = 0; x < capture.width; ++x)
        image.pixels.push_back(decode(capture.format, line[x]));
    }
  } else {
    error = ok ? "copy failed" : "no answer to the copy";
  }
  wl_buffer_destroy(buffer);
  wl_shm_pool_destroy(pool);
  munmap(pixels, size);
  close(fd);
  zwlr_screencopy_frame_v1_destroy(frame);
  return ok && capture.ready;
}

// The number after "key": at or after from, or -1.
long numberAfter(const std::string& text, const std::string& key, std::size_t from) {
  const std::size_t at = text.find("\"" + key + "\":", from);
  if (at == std::string::npos) return -1;
  return std::strtol(text.c_str() + at + key.size() + 3, nullptr, 10);
}

}  // namespace

bool copyWaylandOutput(const std::string& socket, ScreenImage& image, std::string& error) {
  wl_display* display = wl_display_connect(socket.c_str());
  if (display == nullptr) {
    error = "cannot connect to " + socket;
    return false;
  }
  Capture capture;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registryListener, &capture);
  wl_display_roundtrip(display);
  bool ok = false;
  if (capture.shm == nullptr || capture.output == nullptr || capture.manager == nullptr)
    error = "the compositor offers no screen copies";
  else
    ok = copyInto(display, capture, image, error);
  if (capture.manager != nullptr) zwlr_screencopy_manager_v1_destroy(capture.manager);
  if (capture.output != nullptr) wl_output_destroy(capture.output);
  if (capture.shm != nullptr) wl_shm_destroy(capture.shm);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return ok;
}

bool findSwayWindow(const std::string& tree, const std::string& title, unsigned long& id,
                    ScreenRect& rect) {
  // sway writes a node's id first, its rectangle before its name, and its
  // children after it; the nearest id and rect before the name are its own
  // (the other rectangles are deco_rect, window_rect and geometry).
  std::size_t name = tree.find("\"name\": \"" + title + "\"");
  if (name == std::string::npos) name = tree.find("\"name\":\"" + title + "\"");
  if (name == std::string::npos) return false;
  const std::size_t idAt = tree.rfind("\"id\":", name);
  const std::size_t rectAt = tree.rfind("\"rect\":", name);
  if (idAt == std::string::npos || rectAt == std::string::npos) return false;
  id = static_cast<unsigned long>(numberAfter(tree, "id", idAt));
  rect.x = static_cast<int>(numberAfter(tree, "x", rectAt));
  rect.y = static_cast<int>(numberAfter(tree, "y", rectAt));
  rect.width = static_cast<int>(numberAfter(tree, "width", rectAt));
  rect.height = static_cast<int>(numberAfter(tree, "height", rectAt));
  return true;
}

SwayScreen::SwayScreen(const PrivateCompositor& compositor)
    : SwayScreen(compositor.socket(), compositor.ipcSocket()) {}

SwayScreen::SwayScreen(const std::string& socket, const std::string& ipcSocket)
    : socket_(socket), ipcSocket_(ipcSocket) {}

std::string SwayScreen::tree() {
  ChildProcess swaymsg({"swaymsg", "-s", ipcSocket_, "-t", "get_tree", "-r"}, {});
  int status = -1;
  if (!swaymsg.waitForExit(10, status) || status != 0) {
    std::fprintf(stderr, "swaymsg -t get_tree failed\n");
    return std::string();
  }
  return swaymsg.output();
}

unsigned long SwayScreen::waitForWindow(const std::string& title, double timeoutSeconds) {
  unsigned long id = 0;
  ScreenRect rect;
  // A window is there once it has a size: sway lists it as soon as it is mapped.
  return waitUntil([&] { return findSwayWindow(tree(), title, id, rect) && rect.width > 0; },
                   timeoutSeconds)
             ? id
             : 0;
}

bool SwayScreen::hasWindowTitled(const std::string& title) {
  unsigned long id = 0;
  ScreenRect rect;
  return findSwayWindow(tree(), title, id, rect);
}

ScreenRect SwayScreen::rectOf(unsigned long window) {
  const std::string text = tree();
  ScreenRect rect;
  const std::string key = "\"id\": " + std::to_string(window) + ",";
  std::size_t at = text.find(key);
  if (at == std::string::npos) at = text.find("\"id\":" + std::to_string(window) + ",");
  if (at == std::string::npos) return rect;
  const std::size_t rectAt = text.find("\"rect\":", at);
  rect.x = static_cast<int>(numberAfter(text, "x", rectAt));
  rect.y = static_cast<int>(numberAfter(text, "y", rectAt));
  rect.width = static_cast<int>(numberAfter(text, "width", rectAt));
  rect.height = static_cast<int>(numberAfter(text, "height", rectAt));
  return rect;
}

std::vector<std::string> SwayScreen::appIds() {
  const std::string text = tree();
  std::vector<std::string> ids;
  for (const std::string key : {"\"app_id\": \"", "\"app_id\":\""}) {
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at)) {
      at += key.size();
      ids.push_back(text.substr(at, text.find('"', at) - at));
    }
  }
  return ids;
}

ScreenImage SwayScreen::grabScaled(const ScreenRect& rect, int scale) {
  return grab({rect.x * scale, rect.y * scale, rect.width * scale, rect.height * scale});
}

ScreenImage SwayScreen::grab(const ScreenRect& rect) {
  ScreenImage output, image;
  std::string error;
  if (!copyWaylandOutput(socket_, output, error)) {
    std::fprintf(stderr, "screen copy: %s\n", error.c_str());
    return image;
  }
  image.maxLevel = output.maxLevel;
  const int right = std::min(rect.x + rect.width, output.width);
  const int bottom = std::min(rect.y + rect.height, output.height);
  image.width = std::max(right - std::max(rect.x, 0), 0);
  image.height = std::max(bottom - std::max(rect.y, 0), 0);
  for (int y = std::max(rect.y, 0); y < bottom; ++y)
    for (int x = std::max(rect.x, 0); x < right; ++x) image.pixels.push_back(output.at(x, y));
  return image;
}

bool SwayScreen::typeKey(const std::string& key) {
  return typeKeys({key});
}

bool SwayScreen::typeKeys(const std::vector<std::string>& keys) {
  // A tool's virtual keyboard joins the seat when the tool starts, and the
  // program can only ask for that keyboard once the compositor announces it:
  // a key sent at once would reach no keyboard of the program's yet.
  std::vector<std::string> command = {"wtype", "-s", "200"};
  for (const std::string& key : keys) {
    if (&key != &keys.front()) command.insert(command.end(), {"-s", "20"});
    command.insert(command.end(), {"-k", key});
  }
  return runTool(command, {"WAYLAND_DISPLAY=" + socket_});
}

bool SwayScreen::requestClose(unsigned long window) {
  return runTool({"swaymsg", "-s", ipcSocket_, "[con_id=" + std::to_string(window) + "] kill"}, {});
}

bool SwayScreen::moveToWorkspace(unsigned long window, const std::string& workspace) {
  return runTool(
      {"swaymsg", "-s", ipcSocket_,
       "[con_id=" + std::to_string(window) + "] move container to workspace " + workspace},
      {});
}

bool SwayScreen::endFullScreen(unsigned long window) {
  return runTool(
      {"swaymsg", "-s", ipcSocket_, "[con_id=" + std::to_string(window) + "] fullscreen disable"},
      {});
}

const char* DrivenScreen::cannotListWindows() const {
  return compositor_.kind() == CompositorKind::Mutter ? "Mutter tells no client of its windows"
                                                      : nullptr;
}

// The driver's list: a line "id x y width height", a tab, the app id, a tab
// and the title for each window.
unsigned long DrivenScreen::find(const std::string& title, std::string* line) {
  std::vector<std::string> windows;
  if (!compositor_.drive("windows", windows)) return 0;
  for (const std::string& window : windows)
    if (window.size() > title.size() &&
        window.compare(window.size() - title.size() - 1, std::string::npos, "\t" + title) == 0) {
      if (line != nullptr) *line = window;
      return std::strtoul(window.c_str(), nullptr, 10);
    }
  return 0;
}

unsigned long DrivenScreen::waitForWindow(const std::string& title, double timeoutSeconds) {
  unsigned long id = 0;
  waitUntil([&] { return (id = find(title, nullptr)) != 0; }, timeoutSeconds);
  return id;
}

ScreenRect DrivenScreen::rectOf(unsigned long window) {
  std::vector<std::string> windows;
  ScreenRect rect;
  if (compositor_.drive("windows", windows))
    for (const std::string& line : windows)
      if (std::strtoul(line.c_str(), nullptr, 10) == window)
        std::sscanf(line.c_str(), "%*u %d %d %d %d", &rect.x, &rect.y, &rect.width, &rect.height);
  return rect;
}

bool DrivenScreen::typeKeys(const std::vector<std::string>& keys) {
  std::vector<std::string> answer;
  for (const std::string& key : keys)
    if (!compositor_.drive("key " + key, answer)) return false;
  return true;
}

std::vector<std::string> DrivenScreen::appIds() {
  std::vector<std::string> windows, ids;
  if (compositor_.drive("windows", windows))
    for (const std::string& line : windows) {
      const std::size_t tab = line.find('\t');
      ids.push_back(line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1));
    }
  return ids;
}

bool DrivenScreen::requestClose(unsigned long window) {
  std::vector<std::string> answer;
  return compositor_.drive("close " + std::to_string(window), answer);
}
