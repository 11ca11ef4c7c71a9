// The check on Wayland: each window's framebuffer measured through the
// shared level count, read back from its back buffer before any swap; in full
// screen both halves of the split view in the one back buffer. What
// the compositor makes of the buffers, and what the output carries, stay
// out of the report: a Wayland client cannot read the screen in general
// (screen copies are a few compositors' own protocol, and a client does not
// even know where its window stands), nor the output's bits per colour. Each
// window is measured at its buffer's size (its size times its scale), and
// the report says whether the compositor shows it 1:1.
#include <cstdio>
#include <cstdlib>

#include "app/display_check.h"
#include "render/level_count.h"
#include "render/split_view.h"
#include "wayland/wayland_front_end.h"

namespace wayland {

namespace {

void measureWindow(const DisplayWindow& record, WindowMeasurement& measurement) {
  if (record.surface == nullptr || record.context == EGL_NO_CONTEXT) return;
  makeContextCurrent(record);
  readFramebufferBits(measurement);
  measureRamps(measurement, record.width * record.scale, record.height * record.scale, nullptr,
               nullptr);
  releaseContext();
  measurement.pixels = record.drawnOneToOne ? PixelScaling::OneToOne : PixelScaling::Scaled;
}

}  // namespace

bool reportDisplayChain() {
  CheckReport report;
  report.output.windowSystem = WindowSystem::Wayland;
  report.output.compositor = frontEnd.connection.compositorKind;
  const char* kwinColourDepth = getenv("KWIN_DRM_PREFER_COLOR_DEPTH");
  if (kwinColourDepth != nullptr) report.output.kwinColourDepth = kwinColourDepth;
  if (fullScreenShown()) {
    // Both halves of the split view, in the full-screen window's back buffer;
    // the compositor may scan it out directly.
    report.presentation = Presentation::FullScreenCompositor;
    report.coverage = fullScreenCoverage();
    makeContextCurrent(windowFull);
    measureSplitView(report.window8, report.window10, windowFull.width * windowFull.scale,
                     windowFull.height * windowFull.scale, nullptr, nullptr);
    releaseContext();
    const PixelScaling pixels =
        windowFull.drawnOneToOne ? PixelScaling::OneToOne : PixelScaling::Scaled;
    report.window8.pixels = report.window10.pixels = pixels;
    report.output.fractionalScale = windowFull.fractionalScale;
  } else {
    measureWindow(window8, report.window8);
    measureWindow(window10, report.window10);
    report.output.fractionalScale = window8.fractionalScale || window10.fractionalScale;
  }
  return printCheckReport(report);
}

void printReportAndRepaint() {
  reportDisplayChain();
  // The back buffers hold the last ramp measured; the scene comes back at once.
  refreshBoth();
}

}  // namespace wayland
