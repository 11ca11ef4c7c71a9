// The check on Wayland: each window's framebuffer measured through the
// shared level count, read back from its back buffer before any swap; in full
// screen both halves of the split view in the one back buffer. Each window
// is measured at its buffer's size (its size times its scale), and the
// report says whether the compositor shows it 1:1.
//
// Where the compositor offers a copy of the output (the wlroots screen
// copy), each ramp is also shown and the output under the window copied: a
// client does not know where its windows stand, so the ramp is marked
// (render/window_marks.h) with marks of its own for each window and ramp,
// and only the window found whole by its marks is counted, between them.
// The copy's format is the compositor's composition depth. In full screen
// presentation feedback tells whether the compositor scanned the split view
// out directly. The monitor is the kernel's connector of the output's name.
#include <cstdio>
#include <cstdlib>

#include "app/display_check.h"
#include "drm/connector_edid.h"
#include "render/level_count.h"
#include "render/split_view.h"
#include "render/window_marks.h"
#include "wayland/wayland_front_end.h"

namespace wayland {

namespace {

// What the check sees of one window (or the split view) past its back buffer.
struct OnScreen {
  DisplayWindow* record;
  CheckReport* report;
  WindowMeasurement* measurement;  // the window's, or the left half's in full screen
  bool tenBit;
  bool scannedOut = false;  // its last frame went to the screen without composition
};

// Marks the ramp in the back buffer, shows it and copies the output under
// the window, noting the copy's format; where the marked picture stands whole
// in the copy, its place (left column and top row).
bool findShownRamp(OnScreen& seen, bool narrowRamp, CopiedScreen& copy, int& left, int& top) {
  DisplayWindow& record = *seen.record;
  const int width = record.width * record.scale, height = record.height * record.scale;
  const int picture = markedPicture(seen.tenBit, narrowRamp);
  drawWindowMarks(width, height, picture);
  const bool fullScreen = &record == &windowFull;
  const bool shown = showCheckFrame(record, fullScreen ? &seen.scannedOut : nullptr);
  if (!screenCopyOffered() || outputUnder(record) == nullptr) return false;
  // The output's composition shows in any copy, with the window or without.
  OutputCopy output;
  const bool copied = copyOutput(outputUnder(record), output) && shown;
  if (!output.format.empty()) {
    seen.report->output.compositionFormat = output.format;
    seen.report->output.compositionBits = output.bitsPerColour;
  }
  copy = std::move(output.pixels);
  return copied && findMarkedPicture(copy, width, height, picture, left, top);
}

// The columns between the marks hold every level of the vertical ramp.
void countWindowOnScreen(RampMeasurement& ramp, void* data) {
  OnScreen& seen = *static_cast<OnScreen*>(data);
  CopiedScreen copy;
  int left = 0, top = 0;
  if (!findShownRamp(seen, &ramp == &seen.measurement->narrowRamp, copy, left, top)) return;
  const int width = seen.record->width * seen.record->scale;
  ramp.onScreen =
      countCopiedLevels(copy, left + 1, top, width - 2, seen.record->height * seen.record->scale);
}

void countHalvesOnScreen(RampMeasurement& leftRamp, RampMeasurement& rightRamp, void* data) {
  OnScreen& seen = *static_cast<OnScreen*>(data);
  CopiedScreen copy;
  int left = 0, top = 0;
  if (!findShownRamp(seen, &leftRamp == &seen.measurement->narrowRamp, copy, left, top)) return;
  const int width = seen.record->width * seen.record->scale;
  const int height = seen.record->height * seen.record->scale;
  const int leftWidth = splitLeftWidth(width);
  leftRamp.onScreen = countCopiedLevels(copy, left + 1, top, leftWidth - 1, height);
  rightRamp.onScreen =
      countCopiedLevels(copy, left + leftWidth, top, width - leftWidth - 1, height);
}

void measureWindow(DisplayWindow& record, WindowMeasurement& measurement, bool tenBit,
                   CheckReport& report) {
  if (record.surface == nullptr || record.context == EGL_NO_CONTEXT) return;
  OnScreen seen = {&record, &report, &measurement, tenBit};
  makeContextCurrent(record);
  readFramebufferBits(measurement);
  measureRamps(measurement, record.width * record.scale, record.height * record.scale,
               screenCopyOffered() ? countWindowOnScreen : nullptr, &seen);
  releaseContext();
  measurement.pixels = record.drawnOneToOne ? PixelScaling::OneToOne : PixelScaling::Scaled;
}

// Both halves of the split view, in the full-screen window's back buffer,
// shown where the compositor can tell us how.
void measureFullScreen(CheckReport& report) {
  OnScreen seen = {&windowFull, &report, &report.window8, true};
  makeContextCurrent(windowFull);
  measureSplitView(
      report.window8, report.window10, windowFull.width * windowFull.scale,
      windowFull.height * windowFull.scale,
      screenCopyOffered() || presentationFeedbackOffered() ? countHalvesOnScreen : nullptr, &seen);
  releaseContext();
  report.presentation =
      seen.scannedOut ? Presentation::FullScreenScannedOut : Presentation::FullScreenCompositor;
  report.coverage = fullScreenCoverage();
  const PixelScaling pixels =
      windowFull.drawnOneToOne ? PixelScaling::OneToOne : PixelScaling::Scaled;
  report.window8.pixels = report.window10.pixels = pixels;
  report.output.fractionalScale = windowFull.fractionalScale;
}

// The output under the 10-bit picture, and its monitor as the kernel knows it.
void readDisplayOutput(DisplayOutputFacts& output) {
  const DisplayWindow& record = fullScreenShown() ? windowFull : window10;
  if (outputUnder(record) == nullptr) return;
  output.name = outputName(outputUnder(record));
  const std::vector<unsigned char> edid = readConnectorEdid(output.name);
  output.edid = parseEdid(edid.data(), edid.size());
}

}  // namespace

bool reportDisplayChain() {
  CheckReport report;
  report.output.windowSystem = WindowSystem::Wayland;
  report.output.screenCopyOffered = screenCopyOffered();
  report.output.compositor = frontEnd.connection.compositorKind;
  const char* kwinColourDepth = getenv("KWIN_DRM_PREFER_COLOR_DEPTH");
  if (kwinColourDepth != nullptr) report.output.kwinColourDepth = kwinColourDepth;
  if (fullScreenShown()) {
    measureFullScreen(report);
  } else {
    measureWindow(window8, report.window8, false, report);
    measureWindow(window10, report.window10, true, report);
    report.output.fractionalScale = window8.fractionalScale || window10.fractionalScale;
  }
  readDisplayOutput(report.output);
  return printCheckReport(report);
}

void printReportAndRepaint() {
  reportDisplayChain();
  // The windows show the last ramp measured (or their back buffers hold
  // it); the scene comes back at once.
  refreshBoth();
}

}  // namespace wayland
