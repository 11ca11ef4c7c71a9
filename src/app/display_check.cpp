#include "app/display_check.h"

#include <cstdarg>
#include <cstdio>

const char* presentationName(Presentation presentation) {
  switch (presentation) {
    case Presentation::FullScreenExclusive:
      return "full screen, exclusive";
    case Presentation::FullScreenBorderlessWindow:
      return "full screen, borderless window";
    case Presentation::FullScreenCompositor:
      return "full screen (compositor)";
    case Presentation::FullScreenScannedOut:
      return "full screen, scanned out directly";
    case Presentation::TwoWindows:
      break;
  }
  return "two windows";
}

ReportedBits reportedBits(long long value) {
  const bool plausible = value >= 6 && value <= 16;
  return {plausible ? ReportedBits::State::Valid : ReportedBits::State::Invalid, value};
}

DesktopComposition desktopComposition(const AdvancedColourAnswers& answers) {
  switch (answers.activeMode) {
    case ActiveColourMode::Sdr:
      return DesktopComposition::Sdr8;
    case ActiveColourMode::WideColour:
      return DesktopComposition::WideColour;
    case ActiveColourMode::Hdr:
      return DesktopComposition::Hdr;
    case ActiveColourMode::Unanswered:
      break;
  }
  if (!answers.answered) return DesktopComposition::Unknown;
  if (!answers.enabled) return DesktopComposition::Sdr8;
  // Advanced colour enforced on an SDR display is Auto Color Management.
  return answers.wideColourEnforced ? DesktopComposition::WideColour : DesktopComposition::Hdr;
}

bool holdsTenBitLevels(int count, const RampMeasurement& ramp) {
  return count != unknownCount && count > ramp.allowed8 && count * 10 >= ramp.allowed10 * 9;
}

namespace {

std::string printed(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string printed(const char* format, ...) {
  char text[512];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  return text;
}

int fewestColourBits(const WindowMeasurement& w) {
  int bits = w.redBits;
  if (w.greenBits < bits) bits = w.greenBits;
  if (w.blueBits < bits) bits = w.blueBits;
  return bits;
}

bool fullScreen(const CheckReport& report) {
  return report.presentation != Presentation::TwoWindows;
}

// What the report calls the two pictures.
const char* name10(const CheckReport& report) {
  return fullScreen(report) ? "10-bit half" : "10-bit window";
}
const char* name8(const CheckReport& report) {
  return fullScreen(report) ? "8-bit half" : "8-bit window";
}

// Where the program last saw a window's levels: on screen, in the swap
// chain's back buffer, or (where it cannot see further) in its framebuffer.
int levelsSeen(const RampMeasurement& ramp) {
  return ramp.onScreen != unknownCount ? ramp.onScreen : ramp.drawn;
}
const char* whereSeen(const CheckReport& report, const RampMeasurement& ramp) {
  if (ramp.onScreen == unknownCount) return "";
  return report.swapChain10.format.empty() ? " on screen" : " in the swap chain's back buffer";
}

// A true 8-bit reference: 8 bits per colour, and no more levels than 8 bits
// allow where the program last sees them (one more is rounding at the ramp's
// ends). The 8-bit half of full screen lies in the 10-bit framebuffer,
// narrowed to 8 bits: its levels alone tell.
bool trueEightBitReference(const CheckReport& report) {
  const WindowMeasurement& w = report.window8;
  const int seen = levelsSeen(w.narrowRamp);
  const bool eightBits = w.redBits == 8 && w.greenBits == 8 && w.blueBits == 8;
  return (eightBits || fullScreen(report)) && seen != unknownCount &&
         seen <= w.narrowRamp.allowed8 + 1;
}

// A reported figure that may decide the verdict: one below 10 bits loses bits.
bool validBelowTen(const ReportedBits& bits) {
  return bits.state == ReportedBits::State::Valid && bits.value < 10;
}

bool valid(const ReportedBits& bits) {
  return bits.state == ReportedBits::State::Valid;
}

std::string outputName(const DisplayOutputFacts& output) {
  return output.name.empty() ? std::string("the display output") : "output " + output.name;
}

// The compositor's remedy, naming the output where its name is known:
// "sway: output HEADLESS-1 render_bit_depth 10".
std::string compositorRemedyFor(const DisplayOutputFacts& output) {
  std::string remedy = compositorRemedy(output.compositor, output.kwinColourDepth);
  const std::size_t name = remedy.find("NAME");
  if (name != std::string::npos && !output.name.empty()) remedy.replace(name, 4, output.name);
  return remedy;
}

// A Wayland compositor that composes the output at fewer than 10 bits per
// colour, with its remedy: "the compositor composes output HEADLESS-1 at 8
// bits per colour (sway: output HEADLESS-1 render_bit_depth 10)"; "" where
// it composes at 10 bits or more, or nobody knows. A client learns the
// depth from the format the compositor hands its screen copies over in,
// which wlroots also drives the link at (its "max bpc" follows it), also
// for a surface it scans out directly.
std::string compositionLoss(const DisplayOutputFacts& output) {
  if (output.compositionBits == unknownCount || output.compositionBits >= 10) return "";
  return printed("the compositor composes %s at %d bits per colour (%s)",
                 outputName(output).c_str(), output.compositionBits,
                 compositorRemedyFor(output).c_str());
}

// What the weakest link of the 10-bit window's own path is, or "" when it
// delivers 10-bit levels to the screen.
std::string tenBitWindowLoss(const CheckReport& report) {
  const WindowMeasurement& w = report.window10;
  const RampMeasurement& ramp = w.narrowRamp;
  if (fewestColourBits(w) < 10)
    return printed("the %s's framebuffer has only %d bits per colour.", name10(report),
                   fewestColourBits(w));
  if (!holdsTenBitLevels(ramp.drawn, ramp))
    return printed(
        "the %s's framebuffer holds only %d of %d levels (8 bits allow %d): the "
        "driver renders it at fewer bits than its format has.",
        name10(report), ramp.drawn, ramp.allowed10, ramp.allowed8);
  if (ramp.onScreen != unknownCount && !holdsTenBitLevels(ramp.onScreen, ramp)) {
    std::string line =
        printed("the %s holds %d of %d levels in its framebuffer, but only %d reach the %s",
                name10(report), ramp.drawn, ramp.allowed10, ramp.onScreen,
                report.swapChain10.format.empty() ? "screen" : "swap chain's back buffer");
    if (report.output.screenDepth != unknownCount && report.output.screenDepth < 30)
      line += printed(" (the X screen has depth %d: run the X server at depth 30).",
                      report.output.screenDepth);
    else if (!compositionLoss(report.output).empty())
      line += ": " + compositionLoss(report.output) + ".";
    else
      line += ": the window system converts it to fewer bits.";
    return line;
  }
  return "";
}

// What the 10-bit window holds where the program last saw it: on screen, in
// the swap chain's back buffer, or in its framebuffer.
std::string heldLevels(const CheckReport& report) {
  const RampMeasurement& ramp = report.window10.narrowRamp;
  return printed("the %s holds %d of %d levels%s", name10(report), levelsSeen(ramp), ramp.allowed10,
                 whereSeen(report, ramp));
}

// The compositor, between the window and the output: a Wayland compositor
// that composes the output at 8 bits, where the window's levels on screen
// were not seen; Windows' SDR desktop, which takes every window at 8 bits
// per colour. Exclusive full screen bypasses Windows' compositor; whether a
// borderless full-screen window is handed the screen directly only the
// system knows.
std::string compositorLoss(const CheckReport& report) {
  if (!compositionLoss(report.output).empty())
    return heldLevels(report) + ", but " + compositionLoss(report.output) + ".";
  if (report.output.composition != DesktopComposition::Sdr8 ||
      report.presentation == Presentation::FullScreenExclusive)
    return "";
  const std::string held =
      heldLevels(report) + ", but Windows composes this SDR desktop at 8 bits per colour";
  if (report.presentation == Presentation::TwoWindows)
    return held + ": press F for full screen, or turn on HDR or Auto Color Management.";
  return held +
         ", a borderless full-screen window too unless the system hands it the screen "
         "directly, which a program cannot see: " +
         (report.swapChain10.format.empty()
              ? "start lumivane --dxgi --fullscreen for exclusive full screen, or turn on HDR "
                "or Auto Color Management."
              : "turn on HDR or Auto Color Management.");
}

// What the display output says it carries, where it says less than 10 bits.
std::string outputLoss(const CheckReport& report) {
  const DisplayOutputFacts& output = report.output;
  const std::string held = heldLevels(report);
  const std::string name = outputName(output);
  if (validBelowTen(output.maxBpc)) {
    std::string line =
        printed("%s, but %s runs at max bpc %lld", held.c_str(), name.c_str(), output.maxBpc.value);
    if (!output.name.empty())
      line += printed(" (xrandr --output %s --set \"max bpc\" 10)", output.name.c_str());
    return line + ".";
  }
  if (validBelowTen(output.systemBitsPerColour))
    return printed(
        "%s, but Windows drives %s at %lld bits per colour (set 10 bpc in the graphics driver's "
        "control panel).",
        held.c_str(), name.c_str(), output.systemBitsPerColour.value);
  if (output.edid.bitsPerColour != unknownCount && output.edid.bitsPerColour < 10)
    return printed(
        "%s, but the monitor on %s declares only %d bits per colour: it cannot show 10 bits "
        "(at best it dithers).",
        held.c_str(), name.c_str(), output.edid.bitsPerColour);
  return "";
}

const char* scalingRemedy(const DisplayOutputFacts& output) {
  return output.fractionalScale
             ? "the output's scale is fractional: a whole-number scale such as 1 or 2 avoids it"
             : "a whole-number display scale, such as 100 % or 200 %, avoids it";
}

// Scaling is the window system's link between the framebuffer and the screen.
std::string scalingLoss(const CheckReport& report) {
  if (report.window10.pixels != PixelScaling::Scaled) return "";
  return printed(
      "%s, but the system scales the 10-bit window, which blends neighbouring levels "
      "(%s).",
      heldLevels(report).c_str(), scalingRemedy(report.output));
}

}  // namespace

bool coversOutput(const SurfaceCoverage& coverage) {
  const bool known = coverage.width > 0 && coverage.height > 0 && coverage.outputWidth > 0 &&
                     coverage.outputHeight > 0;
  return !known ||
         (coverage.width >= coverage.outputWidth && coverage.height >= coverage.outputHeight);
}

std::string coverageNote(const SurfaceCoverage& coverage) {
  if (coversOutput(coverage)) return "";
  return printed(
      "NOTE: The full-screen window got %dx%d of the %dx%d output: the desktop shows beside "
      "the two halves.\n",
      coverage.width, coverage.height, coverage.outputWidth, coverage.outputHeight);
}

CheckVerdict judgeDisplayChain(const CheckReport& report) {
  std::string loss = tenBitWindowLoss(report);
  if (loss.empty()) loss = scalingLoss(report);
  if (loss.empty()) loss = compositorLoss(report);
  if (loss.empty()) loss = outputLoss(report);
  if (!loss.empty()) return {false, "Verdict: " + loss + "\n"};

  const DisplayOutputFacts& output = report.output;
  const std::string held = heldLevels(report);
  if (report.window8.pixels == PixelScaling::Scaled)
    return {true, printed("Verdict: %s, but the system scales the 8-bit window, which blends its "
                          "bands, so it is no true 8-bit reference (%s).\n",
                          held.c_str(), scalingRemedy(output))};
  if (!trueEightBitReference(report)) {
    const RampMeasurement& ramp = report.window8.narrowRamp;
    return {true, printed("Verdict: %s, but the %s is not a true 8-bit reference on "
                          "this display: it holds %d levels%s where 8 bits allow %d, so both "
                          "%s look alike.\n",
                          held.c_str(), name8(report), levelsSeen(ramp), whereSeen(report, ramp),
                          ramp.allowed8, fullScreen(report) ? "halves" : "windows")};
  }
  if (output.windowSystem == WindowSystem::Wayland && output.compositionBits == unknownCount)
    return {true, "Verdict: no link seen loses bits: " + held +
                      "; a Wayland client sees neither the screen nor the display output, so "
                      "check that the compositor drives the output at 10 bits per colour (" +
                      compositorRemedyFor(output) + ") and the monitor's own settings.\n"};
  const bool outputKnown = valid(output.maxBpc) || valid(output.systemBitsPerColour);
  const bool monitorKnown = output.edid.bitsPerColour != unknownCount;
  if (outputKnown && monitorKnown)
    return {true, "Verdict: every link seen carries 10 bits: " + held + ", " + outputName(output) +
                      " and its monitor take 10 bits or more.\n"};
  return {true, "Verdict: no link seen loses bits: " + held + "; " +
                    (outputKnown ? std::string("the monitor's") : outputName(output) + "'s") +
                    " bits per colour are unknown here, so check the monitor's own settings.\n"};
}

namespace {

std::string bitsCell(const WindowMeasurement& w) {
  if (w.redBits == unknownCount) return "-";
  return printed("%d %d %d %d", w.redBits, w.greenBits, w.blueBits, w.alphaBits);
}

std::string countCell(int count) {
  return count == unknownCount ? std::string("unknown") : printed("%d", count);
}

std::string reportedCell(const ReportedBits& bits) {
  if (bits.state == ReportedBits::State::Unknown) return "unknown";
  const bool invalid = bits.state == ReportedBits::State::Invalid;
  return printed("%lld%s", bits.value, invalid ? " (invalid)" : "");
}

std::string row(const char* label, const std::string& cell8, const std::string& cell10) {
  return printed("%-31s %-17s %s\n", label, cell8.c_str(), cell10.c_str());
}

std::string rampRows(const char* name, const RampMeasurement& r8, const RampMeasurement& r10,
                     bool onScreenKnown, bool swapChains) {
  std::string rows =
      row(printed("%s: levels drawn", name).c_str(), countCell(r8.drawn), countCell(r10.drawn));
  rows += row("  levels 8 / 10 bits allow", printed("%d / %d", r8.allowed8, r8.allowed10),
              printed("%d / %d", r10.allowed8, r10.allowed10));
  if (onScreenKnown)
    rows += row(swapChains ? "  levels in the back buffer" : "  levels on screen",
                countCell(r8.onScreen), countCell(r10.onScreen));
  return rows;
}

const char* compositionText(DesktopComposition composition) {
  switch (composition) {
    case DesktopComposition::Sdr8:
      return "SDR at 8 bits per colour";
    case DesktopComposition::WideColour:
      return "advanced colour (wide colour, Auto Color Management)";
    case DesktopComposition::Hdr:
      return "advanced colour (HDR)";
    case DesktopComposition::Unknown:
      break;
  }
  return "unknown";
}

// A Wayland compositor's composition, as its screen copy shows it.
std::string compositionText(const DisplayOutputFacts& output) {
  if (!output.screenCopyOffered) return "unknown (the compositor offers no screen copy)";
  if (output.compositionFormat.empty()) return "unknown (the compositor's screen copy failed)";
  const std::string bits = output.compositionBits == unknownCount
                               ? std::string("unknown")
                               : printed("%d bits per colour", output.compositionBits);
  return bits + " (the compositor's screen copy is " + output.compositionFormat + ")";
}

std::string monitorText(const EdidColour& edid) {
  if (!edid.present) return "unknown";
  if (!edid.valid) return printed("EDID %d.%d (invalid)", edid.version, edid.revision);
  std::string text = edid.digital ? "digital" : "analogue";
  if (*edid.interface != '\0') text += printed(" %s", edid.interface);
  text += edid.bitsPerColour != unknownCount ? printed(", %d bits per colour", edid.bitsPerColour)
                                             : std::string(", bits per colour unknown");
  return text + printed(" (EDID %d.%d)", edid.version, edid.revision);
}

std::string pixelsLine(const char* window, PixelScaling pixels, const DisplayOutputFacts& output) {
  if (pixels == PixelScaling::Unknown) return "";
  if (pixels == PixelScaling::OneToOne) return printed("%s pixels: 1:1\n", window);
  return printed("%s pixels: scaled by the system%s\n", window,
                 output.fractionalScale
                     ? " (the compositor resamples: the output's scale is fractional)"
                     : "");
}

}  // namespace

std::string formatCheckReport(const CheckReport& report) {
  const WindowMeasurement& w8 = report.window8;
  const WindowMeasurement& w10 = report.window10;
  const DisplayOutputFacts& output = report.output;
  const bool onScreenKnown = w10.narrowRamp.onScreen != unknownCount;
  std::string text = "Display chain check\n";
  text += printed("Presentation: %s", presentationName(report.presentation));
  const SurfaceCoverage& coverage = report.coverage;
  if (fullScreen(report) && !coversOutput(coverage))
    text += printed(", %dx%d of a %dx%d output", coverage.width, coverage.height,
                    coverage.outputWidth, coverage.outputHeight);
  text += "\n";
  if (fullScreen(report)) text += coverageNote(coverage);
  text += row("", name8(report), name10(report));
  text += row("Framebuffer bits (R G B A)", bitsCell(w8), bitsCell(w10));
  const bool swapChains = !report.swapChain10.format.empty();
  if (swapChains) {
    text += row("DXGI swap chain", report.swapChain8.format, report.swapChain10.format);
    text += row("  swap effect", report.swapChain8.effect, report.swapChain10.effect);
  }
  text += rampRows("Full ramp", w8.fullRamp, w10.fullRamp, onScreenKnown, swapChains);
  text += rampRows("Narrow ramp", w8.narrowRamp, w10.narrowRamp, onScreenKnown, swapChains);
  text += pixelsLine(name8(report), w8.pixels, output);
  text += pixelsLine(name10(report), w10.pixels, output);
  if (output.windowSystem == WindowSystem::X11) {
    text += printed("Screen depth: %s\n", countCell(output.screenDepth).c_str());
    text += printed("Output: %s, max bpc %s, monitor %s\n",
                    output.name.empty() ? "unknown" : output.name.c_str(),
                    reportedCell(output.maxBpc).c_str(), monitorText(output.edid).c_str());
  } else if (output.windowSystem == WindowSystem::Wayland) {
    text +=
        printed("Output: %s, monitor %s\n", output.name.empty() ? "unknown" : output.name.c_str(),
                monitorText(output.edid).c_str());
    text += printed("Compositor: %s\n", compositorName(output.compositor));
    text += "Composition: " + compositionText(output) + "\n";
  } else {
    text += printed("Output: %s, %s bits per colour\n",
                    output.name.empty() ? "unknown" : output.name.c_str(),
                    reportedCell(output.systemBitsPerColour).c_str());
    const bool bypassed = output.composition != DesktopComposition::Unknown &&
                          report.presentation == Presentation::FullScreenExclusive;
    text += printed("Desktop composition: %s%s\n", compositionText(output.composition),
                    bypassed ? " (bypassed in exclusive full screen)" : "");
  }
  return text + judgeDisplayChain(report).line;
}

bool printCheckReport(const CheckReport& report) {
  printf("%s", formatCheckReport(report).c_str());
  return judgeDisplayChain(report).tenBitsDelivered;
}
