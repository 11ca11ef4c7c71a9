// What the check sees past its own framebuffers, where the compositor lets
// a client see it: a copy of the output through the wlroots screen-copy
// protocol (sway, Hyprland, river, labwc, Wayfire), which hands the copy
// over in the one format the compositor composes that output in, and
// presentation feedback (wp_presentation), whose zero-copy flag says the
// compositor put a frame on the screen without composing it. Nothing copied
// is kept beyond the check's count.
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "wayland/wayland_front_end.h"
// Its request wp_presentation_feedback has the name of the object it makes.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow"
#include "presentation-time-client-protocol.h"
#pragma GCC diagnostic pop
#include "wlr-screencopy-unstable-v1-client-protocol.h"

namespace wayland {

namespace {

constexpr uint32_t fourcc(char a, char b, char c, char d) {
  return static_cast<uint32_t>(a) | static_cast<uint32_t>(b) << 8 | static_cast<uint32_t>(c) << 16 |
         static_cast<uint32_t>(d) << 24;
}

// The shared-memory formats of 32 bits a pixel that a compositor composes
// in, with where each colour lies (wl_shm numbers the two oldest 0 and 1,
// the rest by their DRM codes); 64-bit ones are named with their depth but
// not read.
struct CopyFormat {
  uint32_t code;
  const char* name;
  int bits;
  int redShift, greenShift, blueShift;  // -1: not read
};
constexpr CopyFormat copyFormats[] = {
    {0, "ARGB8888", 8, 16, 8, 0},
    {1, "XRGB8888", 8, 16, 8, 0},
    {fourcc('A', 'B', '2', '4'), "ABGR8888", 8, 0, 8, 16},
    {fourcc('X', 'B', '2', '4'), "XBGR8888", 8, 0, 8, 16},
    {fourcc('A', 'R', '3', '0'), "ARGB2101010", 10, 20, 10, 0},
    {fourcc('X', 'R', '3', '0'), "XRGB2101010", 10, 20, 10, 0},
    {fourcc('A', 'B', '3', '0'), "ABGR2101010", 10, 0, 10, 20},
    {fourcc('X', 'B', '3', '0'), "XBGR2101010", 10, 0, 10, 20},
    {fourcc('X', 'R', '4', '8'), "XRGB16161616", 16, -1, -1, -1},
    {fourcc('X', 'B', '4', '8'), "XBGR16161616", 16, -1, -1, -1},
    {fourcc('X', 'R', '4', 'H'), "XRGB16161616F", 16, -1, -1, -1},
    {fourcc('X', 'B', '4', 'H'), "XBGR16161616F", 16, -1, -1, -1},
};

const CopyFormat* copyFormat(uint32_t code) {
  for (const CopyFormat& format : copyFormats)
    if (format.code == code) return &format;
  return nullptr;
}

// A format this program does not know, by its DRM code's four letters.
std::string codeName(uint32_t code) {
  std::string name;
  for (int i = 0; i < 4; ++i) {
    const char c = static_cast<char>(code >> (8 * i) & 0xff);
    name += c >= ' ' && c <= '~' ? c : '?';
  }
  return name;
}

// Runs the compositor's events until done() holds, for at most that many
// milliseconds. False on a broken connection or when time ran out.
template <typename Done>
bool dispatchUntil(Done done, int milliseconds) {
  wl_display* display = frontEnd.connection.display;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done()) {
    if (wl_display_dispatch_pending(display) < 0) return false;
    if (done()) break;
    if (wl_display_flush(display) < 0 && errno != EAGAIN) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || endingSignal() != 0) return false;
    pollfd input = {wl_display_get_fd(display), POLLIN, 0};
    if (poll(&input, 1, static_cast<int>(left.count())) > 0 && wl_display_dispatch(display) < 0)
      return false;
  }
  return true;
}

// One copy of the output, as the compositor describes and fills it.
struct Copying {
  uint32_t format = 0, width = 0, height = 0, stride = 0;
  bool described = false, yInverted = false, ready = false, failed = false;
};

void copyDescribed(void* data, zwlr_screencopy_frame_v1*, uint32_t format, uint32_t width,
                   uint32_t height, uint32_t stride) {
  Copying& copying = *static_cast<Copying*>(data);
  copying.format = format;
  copying.width = width;
  copying.height = height;
  copying.stride = stride;
  copying.described = true;
}
void copyFlags(void* data, zwlr_screencopy_frame_v1*, uint32_t flags) {
  static_cast<Copying*>(data)->yInverted = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
}
void copyReady(void* data, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {
  static_cast<Copying*>(data)->ready = true;
}
void copyFailed(void* data, zwlr_screencopy_frame_v1*) {
  static_cast<Copying*>(data)->failed = true;
}
const zwlr_screencopy_frame_v1_listener copyListener = {copyDescribed, copyFlags, copyReady,
                                                        copyFailed};

void decodeCopy(const Copying& copying, const CopyFormat& format, const void* pixels,
                CopiedScreen& screen) {
  const int mask = (1 << format.bits) - 1;
  screen.width = static_cast<int>(copying.width);
  screen.height = static_cast<int>(copying.height);
  screen.maxLevel = mask;
  screen.pixels.clear();
  screen.pixels.reserve(static_cast<std::size_t>(copying.width) * copying.height);
  for (uint32_t y = 0; y < copying.height; ++y) {
    const uint32_t row = copying.yInverted ? copying.height - 1 - y : y;
    const auto* line = reinterpret_cast<const uint32_t*>(
        static_cast<const char*>(pixels) + static_cast<std::size_t>(row) * copying.stride);
    for (uint32_t x = 0; x < copying.width; ++x)
      screen.pixels.push_back({static_cast<int>(line[x] >> format.redShift) & mask,
                               static_cast<int>(line[x] >> format.greenShift) & mask,
                               static_cast<int>(line[x] >> format.blueShift) & mask});
  }
}

// Fills the compositor's copy into shared memory of our own and reads it.
bool receiveCopy(zwlr_screencopy_frame_v1* frame, Copying& copying, const CopyFormat& format,
                 CopiedScreen& screen) {
  const std::size_t size = static_cast<std::size_t>(copying.stride) * copying.height;
  const int fd = memfd_create("lumivane-check", MFD_CLOEXEC);
  void* pixels = MAP_FAILED;
  if (fd >= 0 && ftruncate(fd, static_cast<off_t>(size)) == 0)
    pixels = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (pixels == MAP_FAILED) {
    if (fd >= 0) close(fd);
    return false;
  }
  wl_shm_pool* pool = wl_shm_create_pool(frontEnd.shm, fd, static_cast<int32_t>(size));
  wl_buffer* buffer = wl_shm_pool_create_buffer(
      pool, 0, static_cast<int32_t>(copying.width), static_cast<int32_t>(copying.height),
      static_cast<int32_t>(copying.stride), copying.format);
  zwlr_screencopy_frame_v1_copy(frame, buffer);
  const bool copied =
      dispatchUntil([&] { return copying.ready || copying.failed; }, 1000) && copying.ready;
  if (copied) decodeCopy(copying, format, pixels, screen);
  wl_buffer_destroy(buffer);
  wl_shm_pool_destroy(pool);
  munmap(pixels, size);
  close(fd);
  return copied;
}

// The frame the check shows, until the compositor answers it: the frame
// callback and the presentation feedback, each null once answered.
struct ShownFrame {
  wl_callback* callback = nullptr;
  struct wp_presentation_feedback* feedback = nullptr;
  bool zeroCopy = false;
};

void frameAnswered(void* data, wl_callback* callback, uint32_t) {
  static_cast<ShownFrame*>(data)->callback = nullptr;
  wl_callback_destroy(callback);
}
const wl_callback_listener frameListener = {frameAnswered};

void feedbackOutput(void*, struct wp_presentation_feedback*, wl_output*) {}
void feedbackPresented(void* data, struct wp_presentation_feedback* feedback, uint32_t, uint32_t,
                       uint32_t, uint32_t, uint32_t, uint32_t, uint32_t flags) {
  ShownFrame& frame = *static_cast<ShownFrame*>(data);
  frame.feedback = nullptr;
  frame.zeroCopy = (flags & WP_PRESENTATION_FEEDBACK_KIND_ZERO_COPY) != 0;
  wp_presentation_feedback_destroy(feedback);
}
void feedbackDiscarded(void* data, struct wp_presentation_feedback* feedback) {
  static_cast<ShownFrame*>(data)->feedback = nullptr;
  wp_presentation_feedback_destroy(feedback);
}
const wp_presentation_feedback_listener feedbackListener = {feedbackOutput, feedbackPresented,
                                                            feedbackDiscarded};

}  // namespace

bool addCheckGlobal(wl_registry* registry, uint32_t name, const char* interface) {
  if (strcmp(interface, wl_shm_interface.name) == 0 && frontEnd.shm == nullptr) {
    frontEnd.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  } else if (strcmp(interface, zwlr_screencopy_manager_v1_interface.name) == 0) {
    frontEnd.screenCopies = static_cast<zwlr_screencopy_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_screencopy_manager_v1_interface, 1));
  } else if (strcmp(interface, wp_presentation_interface.name) == 0) {
    frontEnd.presentation = static_cast<wp_presentation*>(
        wl_registry_bind(registry, name, &wp_presentation_interface, 1));
  } else {
    return false;
  }
  return true;
}

void forgetCheckGlobals() {
  if (frontEnd.screenCopies != nullptr) zwlr_screencopy_manager_v1_destroy(frontEnd.screenCopies);
  if (frontEnd.presentation != nullptr) wp_presentation_destroy(frontEnd.presentation);
  if (frontEnd.shm != nullptr) wl_shm_destroy(frontEnd.shm);
  frontEnd.screenCopies = nullptr;
  frontEnd.presentation = nullptr;
  frontEnd.shm = nullptr;
}

bool screenCopyOffered() {
  return frontEnd.screenCopies != nullptr && frontEnd.shm != nullptr;
}

bool presentationFeedbackOffered() {
  return frontEnd.presentation != nullptr;
}

bool showCheckFrame(DisplayWindow& record, bool* scannedOut) {
  ShownFrame frame;
  frame.callback = wl_surface_frame(record.surface);
  wl_callback_add_listener(frame.callback, &frameListener, &frame);
  if (scannedOut != nullptr && frontEnd.presentation != nullptr) {
    frame.feedback = wp_presentation_feedback(frontEnd.presentation, record.surface);
    wp_presentation_feedback_add_listener(frame.feedback, &feedbackListener, &frame);
  }
  eglSwapBuffers(frontEnd.connection.eglDisplay, record.eglSurface);
  // The compositor answers the frame callback once it has drawn the output
  // with this frame, and the feedback once the frame is on screen, a refresh
  // or two later (headless sway never answers it).
  const bool shown = dispatchUntil([&] { return frame.callback == nullptr; }, 1000);
  if (shown && frame.feedback != nullptr)
    dispatchUntil([&] { return frame.feedback == nullptr; }, 200);
  // An answer that comes later goes to no handler of ours.
  if (frame.callback != nullptr) wl_callback_destroy(frame.callback);
  if (frame.feedback != nullptr) {
    wp_presentation_feedback_destroy(frame.feedback);
  } else if (scannedOut != nullptr) {
    *scannedOut = frame.zeroCopy;
  }
  return shown;
}

bool copyOutput(wl_output* output, OutputCopy& copy) {
  if (!screenCopyOffered() || output == nullptr) return false;
  Copying copying;
  zwlr_screencopy_frame_v1* frame =
      zwlr_screencopy_manager_v1_capture_output(frontEnd.screenCopies, 0, output);
  zwlr_screencopy_frame_v1_add_listener(frame, &copyListener, &copying);
  bool copied = false;
  if (dispatchUntil([&] { return copying.described || copying.failed; }, 1000) &&
      copying.described) {
    const CopyFormat* format = copyFormat(copying.format);
    copy.format = format != nullptr ? format->name : codeName(copying.format);
    copy.bitsPerColour = format != nullptr ? format->bits : unknownCount;
    copied = format != nullptr && format->redShift >= 0 &&
             receiveCopy(frame, copying, *format, copy.pixels);
  }
  zwlr_screencopy_frame_v1_destroy(frame);
  return copied;
}

}  // namespace wayland
