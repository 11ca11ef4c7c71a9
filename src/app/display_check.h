// The measured report behind `--check` and key I: what each window's
// framebuffer holds, what reaches the screen, what the display output
// declares, and one verdict naming the weakest link seen. Everything here is
// plain data and arithmetic on what a front end measured, so the report and
// its verdicts are tested without a window; the measuring itself is the
// front end's (and render/level_count.h's, which also holds the
// measurement records).
#pragma once

#include <cstddef>
#include <string>

#include "app/compositor.h"
#include "app/edid.h"
#include "render/level_count.h"

// Bits per colour as the display side reports them (an output's "max bpc",
// what Windows drives a display at). Nothing reported is a state of its own,
// whatever number a property holds; a number no link carries (outside 6 to
// 16) is shown as reported and marked invalid, and never decides a verdict.
struct ReportedBits {
  enum class State { Unknown, Valid, Invalid };
  State state = State::Unknown;
  long long value = 0;  // as reported, where state is not Unknown
};
ReportedBits reportedBits(long long value);

// Windows: how the desktop compositor composes windows on the monitor. An
// SDR desktop is composed at 8 bits per colour, whatever the windows hold;
// with advanced colour on (HDR, or the wide colour of Auto Color
// Management) it is composed at higher precision and keeps 10 bits.
enum class DesktopComposition { Unknown, Sdr8, WideColour, Hdr };

// The display configuration's advanced colour answers for the monitor, as
// plain data. Windows 11 24H2 and later also name the active colour mode.
enum class ActiveColourMode { Unanswered, Sdr, WideColour, Hdr };
struct AdvancedColourAnswers {
  bool answered = false;  // where false, nothing else here was told
  bool supported = false, enabled = false, wideColourEnforced = false;
  int bitsPerColour = unknownCount;  // the link's, not the composition's
  ActiveColourMode activeMode = ActiveColourMode::Unanswered;
};
DesktopComposition desktopComposition(const AdvancedColourAnswers& answers);

enum class WindowSystem { Windows, X11, Wayland };

struct DisplayOutputFacts {
  std::string name;                // "DP-1", "\\.\DISPLAY1"; empty when none was found
  int screenDepth = unknownCount;  // X only
  ReportedBits maxBpc;             // X: the output's "max bpc" property
  EdidColour edid;  // the X output's "EDID" property, or the kernel's for the connector
  ReportedBits systemBitsPerColour;  // Windows: what the system drives the display at
  DesktopComposition composition = DesktopComposition::Unknown;  // Windows
  // Which window system measured it: the report's output lines and its
  // remedies follow it (xrandr on X11; on Wayland, where a client sees
  // neither the screen nor the output, the compositor's).
  WindowSystem windowSystem = WindowSystem::Windows;
  // Wayland: an output under a window has a fractional scale, which no
  // buffer scale matches, so the compositor resamples the window.
  bool fractionalScale = false;
  // Wayland: whether the compositor offers a copy of the output, the format
  // it hands the copy over in, which is the one it composes the output in
  // ("XRGB2101010"; empty where none came), and that format's bits per colour.
  bool screenCopyOffered = false;
  std::string compositionFormat;
  int compositionBits = unknownCount;
  // Wayland: the compositor, and KWIN_DRM_PREFER_COLOR_DEPTH as this
  // environment sets it (empty where unset); the remedy is that compositor's.
  Compositor compositor = Compositor::Unknown;
  std::string kwinColourDepth;
};

// Windows with --dxgi: a window's swap chain. With swap chains the ramps'
// onScreen counts are the levels read back from each back buffer, as far as
// a program can follow its frames.
struct SwapChainFacts {
  std::string format;  // "R10G10B10A2_UNORM"; empty without swap chains
  std::string effect;  // "flip discard", "flip sequential" or "discard"
};

// How the two pictures reach the screen: the two windows, or the split view
// of full screen on one surface (its left half the 8-bit picture, its right
// half the 10-bit one), which the system shows exclusively (a display mode of
// its own, no desktop compositor), as a borderless window covering the
// monitor, through a compositor that may scan it out directly, or through
// one that says it did (no composition).
enum class Presentation {
  TwoWindows,
  FullScreenExclusive,
  FullScreenBorderlessWindow,
  FullScreenCompositor,
  FullScreenScannedOut
};
// "two windows", "full screen, exclusive", "full screen, borderless window",
// "full screen (compositor)", "full screen, scanned out directly": the
// report's presentation line names it so.
const char* presentationName(Presentation presentation);

// Full screen's surface against the output it is on, in the same pixels;
// 0 where the front end does not know them.
struct SurfaceCoverage {
  int width = 0, height = 0, outputWidth = 0, outputHeight = 0;
};
// Whether the surface covers the output (true where either is unknown): a
// smaller one shows the desktop beside the two halves.
bool coversOutput(const SurfaceCoverage& coverage);
// "NOTE: ..." with its line end where the surface does not cover the
// output, else "".
std::string coverageNote(const SurfaceCoverage& coverage);

struct CheckReport {
  // In full screen window8 and window10 hold the left and the right half.
  WindowMeasurement window8, window10;
  Presentation presentation = Presentation::TwoWindows;
  SurfaceCoverage coverage;  // in full screen, where the front end knows it
  SwapChainFacts swapChain8, swapChain10;
  DisplayOutputFacts output;
};

struct CheckVerdict {
  bool tenBitsDelivered;  // the process exit status is 0 when true, 1 when not
  std::string line;       // "Verdict: ..." with its line end
};

// The count that passes for 10-bit levels: nine tenths of what 10 bits
// allow, and more than 8 bits allow.
bool holdsTenBitLevels(int count, const RampMeasurement& ramp);
CheckVerdict judgeDisplayChain(const CheckReport& report);

// The table, one column per window, then the verdict line.
std::string formatCheckReport(const CheckReport& report);

// Prints the table and the verdict; whether 10 bits reach the screen.
bool printCheckReport(const CheckReport& report);
