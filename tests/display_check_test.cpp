// The check's pure parts: the command line, the levels a ramp allows and
// the verdict for each weakest link.
#include "app/display_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/start_options.h"
#include "support/edid_bytes.h"
#include "viewer/viewer_state.h"

namespace {

// The options as a compact word: c check, f full screen, d DXGI, b blind;
// "usage" where the program prints the usage line.
std::string optionsOf(std::vector<const char*> arguments, bool dxgiOffered = false) {
  arguments.insert(arguments.begin(), "lumivane");
  const StartOptions options =
      startOptionsFromArguments(static_cast<int>(arguments.size()), arguments.data(), dxgiOffered);
  if (!options.valid) return "usage";
  return std::string(options.check ? "c" : "") + (options.fullScreen ? "f" : "") +
         (options.dxgi ? "d" : "") + (options.blind ? "b" : "");
}

TEST(CheckCommandLine, CheckAndFullScreenInEitherOrderOnce) {
  EXPECT_EQ(optionsOf({}), "");
  EXPECT_EQ(optionsOf({"--check"}), "c");
  EXPECT_EQ(optionsOf({"--fullscreen"}), "f");
  EXPECT_EQ(optionsOf({"--fullscreen", "--check"}), "cf");
  EXPECT_EQ(optionsOf({"--check", "--fullscreen"}), "cf");
  EXPECT_EQ(optionsOf({"--chek"}), "usage");
  EXPECT_EQ(optionsOf({"--check", "--check"}), "usage");
  EXPECT_EQ(optionsOf({"--fullscreen", "--fullscreen"}), "usage");
  EXPECT_EQ(optionsOf({"--fullscreen", "--full"}), "usage");
  EXPECT_EQ(optionsOf({"--blind"}), "b");
  EXPECT_EQ(optionsOf({"--blind", "--fullscreen"}), "fb");
  EXPECT_EQ(optionsOf({"--blind", "--check"}), "usage") << "the check would name the halves";
  EXPECT_EQ(optionsOf({"--dxgi", "--blind"}, true), "db");
}

TEST(CheckCommandLine, DxgiOnlyWhereOfferedInAnyOrderOnce) {
  EXPECT_EQ(optionsOf({"--dxgi"}), "usage") << "not offered: unknown";
  EXPECT_EQ(optionsOf({"--dxgi", "--check"}), "usage");
  EXPECT_EQ(optionsOf({"--dxgi"}, true), "d");
  EXPECT_EQ(optionsOf({"--dxgi", "--check"}, true), "cd");
  EXPECT_EQ(optionsOf({"--check", "--dxgi"}, true), "cd");
  EXPECT_EQ(optionsOf({"--fullscreen", "--dxgi", "--check"}, true), "cfd");
  EXPECT_EQ(optionsOf({"--dxgi", "--dxgi"}, true), "usage");
  EXPECT_EQ(optionsOf({"--dxgi", "--chek"}, true), "usage");
  EXPECT_EQ(optionsOf({"--check"}, true), "c");
}

TEST(CheckRamps, PresetsAndTheLevelsTheyAllow) {
  EXPECT_EQ(shadePresets[widestRampPreset()].shadeTop, 1.0f);
  EXPECT_EQ(shadePresets[widestRampPreset()].shadeBottom, 0.0f);
  EXPECT_EQ(shadePresets[narrowestRampPreset()].shadeTop, 0.55f) << "not the flat preset";
  // The narrow ramp over a 400-pixel window: the figures people see.
  EXPECT_EQ(rampLevelsAllowed(0.45f, 0.55f, 400, 400, 8), 26);
  EXPECT_EQ(rampLevelsAllowed(0.45f, 0.55f, 400, 400, 10), 104);
  // The full ramp: every level at 8 bits, one per row at 10.
  EXPECT_EQ(rampLevelsAllowed(0.0f, 1.0f, 400, 400, 8), 256);
  EXPECT_EQ(rampLevelsAllowed(0.0f, 1.0f, 400, 400, 10), 400);
  // A wide, low window shows only the lower part of the square viewport.
  EXPECT_EQ(rampLevelsAllowed(0.0f, 1.0f, 800, 200, 10), 200);
  EXPECT_LT(rampLevelsAllowed(0.45f, 0.55f, 800, 200, 10), 30);
  EXPECT_EQ(rampLevelsAllowed(0.5f, 0.5f, 400, 400, 10), 1) << "a flat grey is one level";
}

EdidColour parsed(const std::vector<unsigned char>& bytes) {
  return parseEdid(bytes.data(), bytes.size());
}

// Both windows as a depth-30 X screen shows them, 400 pixels square.
CheckReport depth30Report() {
  CheckReport r;
  r.window8 = {8, 8, 8, 8, {256, 256, 256, 400}, {26, 26, 26, 104}};
  r.window10 = {10, 10, 10, 2, {400, 400, 256, 400}, {104, 104, 26, 104}};
  r.output.name = "DP-1";
  r.output.windowSystem = WindowSystem::X11;
  r.output.screenDepth = 30;
  return r;
}

// The verdict's line, once it has said whether 10 bits reach the screen.
std::string verdictLine(const CheckReport& r, bool tenBitsDelivered) {
  const CheckVerdict v = judgeDisplayChain(r);
  EXPECT_EQ(v.tenBitsDelivered, tenBitsDelivered) << v.line;
  return v.line;
}

// The same windows on an output that is no X screen: only what the front
// end fills in is known of it.
CheckReport depth30WindowsOn(const DisplayOutputFacts& output) {
  CheckReport r = depth30Report();
  r.output = output;
  return r;
}

DisplayOutputFacts windowsDisplay() {
  DisplayOutputFacts output;
  output.name = "\\\\.\\DISPLAY1";
  return output;
}

DisplayOutputFacts waylandOutput(bool fractionalScale) {
  DisplayOutputFacts output;
  output.windowSystem = WindowSystem::Wayland;
  output.fractionalScale = fractionalScale;
  output.compositor = Compositor::Sway;
  return output;
}

// Where nothing reads the levels back from the screen.
void forgetLevelsOnScreen(CheckReport& r) {
  for (WindowMeasurement* w : {&r.window8, &r.window10})
    w->fullRamp.onScreen = w->narrowRamp.onScreen = unknownCount;
}

TEST(CheckVerdicts, EachWeakestLinkIsNamed) {
  CheckReport r = depth30Report();
  r.output.maxBpc = reportedBits(10);
  r.output.edid = parsed(edidBlock(4, 0xb5));
  CheckVerdict v = judgeDisplayChain(r);
  EXPECT_TRUE(v.tenBitsDelivered);
  EXPECT_EQ(v.line.rfind("Verdict: every link seen carries 10 bits", 0), 0u) << v.line;

  r.output.maxBpc = reportedBits(8);
  EXPECT_EQ(verdictLine(r, false),
            "Verdict: the 10-bit window holds 104 of 104 levels on screen, but output DP-1 runs "
            "at max bpc 8 (xrandr --output DP-1 --set \"max bpc\" 10).\n");

  r.output.maxBpc = reportedBits(12);
  r.output.edid = parsed(edidBlock(4, 0xa5));
  v = judgeDisplayChain(r);
  EXPECT_FALSE(v.tenBitsDelivered);
  EXPECT_NE(v.line.find("the monitor on output DP-1 declares only 8 bits per colour"),
            std::string::npos)
      << v.line;

  // Lost before the output: the X server holds 8-bit levels only.
  r = depth30Report();
  r.window10.narrowRamp.onScreen = 26;
  v = judgeDisplayChain(r);
  EXPECT_FALSE(v.tenBitsDelivered);
  EXPECT_NE(v.line.find("only 26 reach the screen"), std::string::npos) << v.line;

  // A 10-bit format whose content came back at 8 bits.
  r = depth30Report();
  r.window10.narrowRamp.drawn = 26;
  v = judgeDisplayChain(r);
  EXPECT_FALSE(v.tenBitsDelivered);
  EXPECT_NE(v.line.find("holds only 26 of 104 levels"), std::string::npos) << v.line;

  r = depth30Report();
  r.window10.blueBits = 8;
  EXPECT_FALSE(judgeDisplayChain(r).tenBitsDelivered);
}

// An EDID of another version with a good header and checksum.
std::vector<unsigned char> edidOfVersion(unsigned char version, unsigned char revision) {
  std::vector<unsigned char> e = edidBlock(4, 0xd5);  // 14 bits, were it 1.4
  const int change = version - e[18] + revision - e[19];
  e[18] = version;
  e[19] = revision;
  e[127] = static_cast<unsigned char>(e[127] - change);
  return e;
}

// Whatever the display reports out of range is shown as reported, marked
// invalid, and never decides the verdict; nothing reported stays unknown.
TEST(CheckVerdicts, NonsenseFromTheDisplayIsInvalidAndDecidesNothing) {
  for (const long long maxBpc : {0LL, -1LL, 5LL, 17LL, 1000LL, 2147483647LL, -2147483648LL}) {
    CheckReport r = depth30Report();
    r.output.maxBpc = reportedBits(maxBpc);
    r.output.edid = parsed(edidBlock(4, 0xb5));
    const CheckVerdict v = judgeDisplayChain(r);
    EXPECT_TRUE(v.tenBitsDelivered) << maxBpc;
    EXPECT_NE(v.line.find("output DP-1's bits per colour are unknown"), std::string::npos)
        << v.line;
    const std::string text = formatCheckReport(r);
    EXPECT_NE(text.find("Output: DP-1, max bpc " + std::to_string(maxBpc) + " (invalid), monitor "),
              std::string::npos)
        << text;
    // Nor does nonsense mask what the monitor says.
    r.output.edid = parsed(edidBlock(4, 0xa5));
    EXPECT_FALSE(judgeDisplayChain(r).tenBitsDelivered) << maxBpc;
  }
  for (const long long bits : {6LL, 16LL})
    EXPECT_EQ(reportedBits(bits).state, ReportedBits::State::Valid);
  EXPECT_EQ(ReportedBits().state, ReportedBits::State::Unknown);
  CheckReport windows = depth30Report();
  windows.output.windowSystem = WindowSystem::Windows;
  windows.output.systemBitsPerColour = reportedBits(4);
  EXPECT_TRUE(judgeDisplayChain(windows).tenBitsDelivered);
  EXPECT_NE(formatCheckReport(windows).find("Output: DP-1, 4 (invalid) bits per colour\n"),
            std::string::npos)
      << formatCheckReport(windows);

  // A whole, checksummed EDID of a version this program does not know.
  for (const std::vector<unsigned char>& e :
       {edidOfVersion(163, 194), edidOfVersion(2, 0), edidOfVersion(0, 4)}) {
    const EdidColour edid = parsed(e);
    EXPECT_TRUE(edid.present);
    EXPECT_FALSE(edid.valid) << edid.version << "." << edid.revision;
    EXPECT_EQ(edid.bitsPerColour, unknownCount);
    CheckReport r = depth30Report();
    r.output.maxBpc = reportedBits(10);
    r.output.edid = edid;
    EXPECT_NE(judgeDisplayChain(r).line.find("the monitor's bits per colour are unknown"),
              std::string::npos)
        << judgeDisplayChain(r).line;
    const std::string text = formatCheckReport(r);
    EXPECT_NE(text.find(", monitor EDID " + std::to_string(edid.version) + "." +
                        std::to_string(edid.revision) + " (invalid)\n"),
              std::string::npos)
        << text;
  }
  EXPECT_TRUE(parsed(edidOfVersion(1, 5)).valid) << "any 1.x is version 1";
}

TEST(CheckVerdicts, AShallowReferenceOrUnknownOutputKeepsStatusZero) {
  // Wine on a depth-30 screen: the 8-bit window got 10 bits, and nothing
  // tells the display's bits.
  CheckReport r = depth30WindowsOn(windowsDisplay());
  r.window8 = r.window10;
  r.window10.narrowRamp.onScreen = r.window8.narrowRamp.onScreen = unknownCount;
  CheckVerdict v = judgeDisplayChain(r);
  EXPECT_TRUE(v.tenBitsDelivered);
  EXPECT_NE(v.line.find("the 8-bit window is not a true 8-bit reference on this display"),
            std::string::npos)
      << v.line;

  r = depth30Report();
  v = judgeDisplayChain(r);
  EXPECT_TRUE(v.tenBitsDelivered);
  EXPECT_NE(v.line.find("output DP-1's bits per colour are unknown"), std::string::npos) << v.line;

  // Windows says what it drives the display at.
  r.output.windowSystem = WindowSystem::Windows;
  r.output.systemBitsPerColour = reportedBits(8);
  EXPECT_NE(verdictLine(r, false).find("Windows drives output DP-1 at 8 bits per colour"),
            std::string::npos);
}

// On Wayland without a screen copy only the framebuffers are measured: the
// report says so and points at the compositor, and every loss the
// framebuffers show still decides the status.
TEST(CheckVerdicts, OnWaylandTheCompositorIsTheLinkOutOfSight) {
  CheckReport r = depth30WindowsOn(waylandOutput(false));
  forgetLevelsOnScreen(r);
  EXPECT_EQ(verdictLine(r, true),
            "Verdict: no link seen loses bits: the 10-bit window holds 104 of 104 levels; a "
            "Wayland client sees neither the screen nor the display output, so check that the "
            "compositor drives the output at 10 bits per colour (sway: output NAME "
            "render_bit_depth 10) and the monitor's own settings.\n");
  const std::string text = formatCheckReport(r);
  EXPECT_EQ(text.find("levels on screen"), std::string::npos) << text;
  EXPECT_EQ(text.find("Screen depth"), std::string::npos) << text;
  EXPECT_NE(text.find("\nOutput: unknown, monitor unknown\nCompositor: sway\n"
                      "Composition: unknown (the compositor offers no screen copy)\nVerdict: "),
            std::string::npos)
      << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 12) << text;

  // A shallow reference is still named before the unknown output.
  CheckReport shallow = r;
  shallow.window8.narrowRamp.drawn = 104;
  CheckVerdict v = judgeDisplayChain(shallow);
  EXPECT_TRUE(v.tenBitsDelivered);
  EXPECT_NE(v.line.find("the 8-bit window is not a true 8-bit reference"), std::string::npos)
      << v.line;

  // The 10-bit window's own losses end with status 1 as anywhere.
  r.window10.narrowRamp.drawn = 26;
  v = judgeDisplayChain(r);
  EXPECT_FALSE(v.tenBitsDelivered);
  EXPECT_NE(v.line.find("holds only 26 of 104 levels"), std::string::npos) << v.line;
}

// Where the compositor hands over a copy of the output, the copy's format is
// its composition: an 8-bit one is the link that loses the bits, whether
// the window was found in the copy or not, and in full screen too, where
// wlroots drives the link at its composition's depth even when it scans the
// surface out directly.
TEST(CheckVerdicts, OnWaylandTheScreenCopyShowsTheComposition) {
  CheckReport r = depth30WindowsOn(waylandOutput(false));
  r.output.name = "HEADLESS-1";
  r.output.screenCopyOffered = true;
  r.output.compositionFormat = "XRGB8888";
  r.output.compositionBits = 8;
  r.window10.fullRamp.onScreen = 256;
  r.window10.narrowRamp.onScreen = 26;
  const std::string loss =
      "the compositor composes output HEADLESS-1 at 8 bits per colour (sway: output HEADLESS-1 "
      "render_bit_depth 10).\n";
  EXPECT_EQ(verdictLine(r, false),
            "Verdict: the 10-bit window holds 104 of 104 levels in its framebuffer, but only 26 "
            "reach the screen: " +
                loss);
  std::string text = formatCheckReport(r);
  EXPECT_NE(text.find("  levels on screen              26                26\n"), std::string::npos)
      << text;
  EXPECT_NE(
      text.find(
          "\nOutput: HEADLESS-1, monitor unknown\nCompositor: sway\nComposition: 8 bits per colour "
          "(the compositor's screen copy is XRGB8888)\nVerdict: "),
      std::string::npos)
      << text;

  CheckReport unseen = r;
  forgetLevelsOnScreen(unseen);
  EXPECT_EQ(verdictLine(unseen, false),
            "Verdict: the 10-bit window holds 104 of 104 levels, but " + loss);
  unseen.presentation = Presentation::FullScreenScannedOut;
  EXPECT_EQ(verdictLine(unseen, false),
            "Verdict: the 10-bit half holds 104 of 104 levels, but " + loss);
  EXPECT_EQ(formatCheckReport(unseen).rfind(
                "Display chain check\nPresentation: full screen, scanned out directly\n", 0),
            0u);

  r.output.compositionFormat = "XRGB2101010";
  r.output.compositionBits = 10;
  r.window10.fullRamp.onScreen = 400;
  r.window10.narrowRamp.onScreen = 104;
  EXPECT_EQ(verdictLine(r, true),
            "Verdict: no link seen loses bits: the 10-bit window holds 104 of 104 levels on "
            "screen; output HEADLESS-1's bits per colour are unknown here, so check the "
            "monitor's own settings.\n");
  r.output.name = "DP-1";
  r.output.edid = parsed(edidBlock(4, 0xa5));
  EXPECT_NE(verdictLine(r, false).find("but the monitor on output DP-1 declares only 8 bits"),
            std::string::npos);
  EXPECT_NE(formatCheckReport(r).find(
                "\nOutput: DP-1, monitor digital DisplayPort, 8 bits per "
                "colour (EDID 1.4)\nCompositor: sway\nComposition: 10 bits per colour (the "
                "compositor's screen copy is XRGB2101010)\n"),
            std::string::npos);

  r.output.compositionFormat.clear();
  r.output.compositionBits = unknownCount;
  EXPECT_NE(formatCheckReport(r).find("\nComposition: unknown (the compositor's screen copy "
                                      "failed)\n"),
            std::string::npos);
}

// Each compositor, told by the globals it offers (some of those sway 1.7,
// KWin 5.27 and Mutter 43 offered), is named with its own remedy and no
// other's. The globals are one word each, the remedy the verdict's start.
TEST(CheckVerdicts, EachCompositorGetsOnlyItsOwnRemedy) {
  const std::string sway = "wl_compositor org_kde_kwin_idle zwlr_layer_shell_v1 xdg_wm_base ";
  const std::string kwin = sway + "org_kde_plasma_shell kde_output_device_v2";
  struct Case {
    std::string globals;
    bool swaySocket;
    std::string kwinColourDepth, name, remedy;
  };
  const Case cases[] = {
      {sway, true, "", "sway", "sway: output NAME render_bit_depth 10) "},
      {sway, false, "", "sway or another wlroots compositor",
       "sway: output NAME render_bit_depth 10; other wlroots compositors: their own"},
      {kwin, true, "", "KWin", "KWin composes at 10 bits where the driver and the monitor allow"},
      {kwin, false, "30", "KWin", "KWin composes at 10 bits where"},
      {kwin, false, "24", "KWin", "KWin: KWIN_DRM_PREFER_COLOR_DEPTH=24 is set here, which keeps"},
      {"xdg_wm_base gtk_shell1", true, "", "Mutter", "Mutter composes at 8 bits before GNOME 46"},
      {"xdg_wm_base weston_desktop_shell", false, "", "Weston", "Weston: gbm-format=xrgb2101010"},
      {sway + "hyprland_toplevel_export_manager_v1", true, "", "Hyprland", "Hyprland: bitdepth,10"},
      {sway + "zriver_control_v1", false, "", "river", "in the compositor's own output settings"},
      {"wl_compositor wl_shm xdg_wm_base", true, "", "unknown", "in the compositor's own output"},
  };
  for (const Case& c : cases) {
    std::istringstream words(c.globals);
    const std::vector<std::string> globals{std::istream_iterator<std::string>(words), {}};
    CheckReport r = depth30WindowsOn(waylandOutput(false));
    forgetLevelsOnScreen(r);
    r.output.compositor = compositorFromGlobals(globals, c.swaySocket);
    r.output.kwinColourDepth = c.kwinColourDepth;
    const std::string text = formatCheckReport(r);
    EXPECT_NE(text.find("\nCompositor: " + c.name + "\nComposition: "), std::string::npos) << text;
    const std::string line = verdictLine(r, true);
    EXPECT_NE(line.find("at 10 bits per colour (" + c.remedy), std::string::npos) << line;
    EXPECT_EQ(line.find("sway") != std::string::npos, c.name.rfind("sway", 0) == 0) << line;
  }
}

// A window the system scales blends neighbouring levels: named after the
// framebuffer's own losses and before the output's, in each window's line.
TEST(CheckVerdicts, ScalingIsALinkThatBlendsLevels) {
  CheckReport r = depth30Report();
  r.output.maxBpc = reportedBits(8);
  r.window8.pixels = r.window10.pixels = PixelScaling::OneToOne;
  std::string text = formatCheckReport(r);
  EXPECT_NE(text.find("  levels on screen              26                104\n"
                      "8-bit window pixels: 1:1\n10-bit window pixels: 1:1\nScreen depth: 30\n"),
            std::string::npos)
      << text;
  EXPECT_NE(judgeDisplayChain(r).line.find("max bpc 8"), std::string::npos);

  r.window10.pixels = PixelScaling::Scaled;
  EXPECT_EQ(verdictLine(r, false),
            "Verdict: the 10-bit window holds 104 of 104 levels on screen, but the system scales "
            "the 10-bit window, which blends neighbouring levels (a whole-number display scale, "
            "such as 100 % or 200 %, avoids it).\n");
  r.window10.narrowRamp.drawn = 26;
  EXPECT_NE(judgeDisplayChain(r).line.find("holds only 26 of 104"), std::string::npos)
      << "the framebuffer comes first";

  r = depth30WindowsOn(waylandOutput(true));
  r.window8.pixels = PixelScaling::Scaled;
  r.window10.pixels = PixelScaling::OneToOne;
  CheckVerdict v = judgeDisplayChain(r);
  EXPECT_TRUE(v.tenBitsDelivered);
  EXPECT_NE(v.line.find("but the system scales the 8-bit window, which blends its bands, so it is "
                        "no true 8-bit reference (the output's scale is fractional"),
            std::string::npos)
      << v.line;
  text = formatCheckReport(r);
  EXPECT_NE(text.find("\n8-bit window pixels: scaled by the system (the compositor resamples: "
                      "the output's scale is fractional)\n10-bit window pixels: 1:1\n"),
            std::string::npos)
      << text;
}

// Windows' desktop compositor, from fakes of the display configuration's
// answers: an SDR desktop is the weakest link of two windows that carry 10
// bits everywhere else; advanced colour keeps 10 bits; where nothing
// answers (Wine) the verdict is what it was without the question.
TEST(CheckVerdicts, WindowsComposesAnSdrDesktopAtEightBits) {
  AdvancedColourAnswers answers;
  EXPECT_EQ(desktopComposition(answers), DesktopComposition::Unknown) << "no answer";
  answers.answered = true;
  answers.supported = true;
  answers.bitsPerColour = 10;
  EXPECT_EQ(desktopComposition(answers), DesktopComposition::Sdr8) << "supported, not enabled";
  answers.enabled = true;
  EXPECT_EQ(desktopComposition(answers), DesktopComposition::Hdr);
  answers.wideColourEnforced = true;
  EXPECT_EQ(desktopComposition(answers), DesktopComposition::WideColour) << "Auto Color Mgmt";
  answers.activeMode = ActiveColourMode::Sdr;
  EXPECT_EQ(desktopComposition(answers), DesktopComposition::Sdr8) << "24H2's mode decides";
  AdvancedColourAnswers onlyMode;
  onlyMode.activeMode = ActiveColourMode::Hdr;
  EXPECT_EQ(desktopComposition(onlyMode), DesktopComposition::Hdr);

  CheckReport r = depth30WindowsOn(windowsDisplay());
  r.output.systemBitsPerColour = reportedBits(10);
  forgetLevelsOnScreen(r);
  const CheckVerdict unknownComposition = judgeDisplayChain(r);
  r.output.composition = DesktopComposition::Sdr8;
  EXPECT_EQ(verdictLine(r, false),
            "Verdict: the 10-bit window holds 104 of 104 levels, but Windows composes "
            "this SDR desktop at 8 bits per colour: press F for full screen, or turn on HDR or "
            "Auto Color Management.\n");
  std::string text = formatCheckReport(r);
  EXPECT_NE(text.find("\nOutput: \\\\.\\DISPLAY1, 10 bits per colour\n"
                      "Desktop composition: SDR at 8 bits per colour\nVerdict: "),
            std::string::npos)
      << text;

  // A loss in the window itself comes first, in the order the levels travel.
  CheckReport shallow = r;
  shallow.window10.narrowRamp.drawn = 26;
  EXPECT_NE(judgeDisplayChain(shallow).line.find("holds only 26 of 104"), std::string::npos);

  // Exclusive full screen bypasses the compositor; a borderless full-screen
  // window may still be composed.
  CheckReport full = r;
  full.presentation = Presentation::FullScreenExclusive;
  CheckVerdict v = judgeDisplayChain(full);
  EXPECT_TRUE(v.tenBitsDelivered) << v.line;
  EXPECT_EQ(v.line.find("composes"), std::string::npos) << v.line;
  EXPECT_NE(formatCheckReport(full).find("\nDesktop composition: SDR at 8 bits per colour "
                                         "(bypassed in exclusive full screen)\n"),
            std::string::npos);
  full.presentation = Presentation::FullScreenBorderlessWindow;
  v = judgeDisplayChain(full);
  EXPECT_FALSE(v.tenBitsDelivered);
  EXPECT_NE(v.line.find("8 bits per colour, a borderless full-screen window too unless the "
                        "system hands it the screen directly, which a program cannot see: start "
                        "lumivane --dxgi --fullscreen for exclusive full screen"),
            std::string::npos)
      << v.line;

  for (DesktopComposition kept : {DesktopComposition::WideColour, DesktopComposition::Hdr}) {
    r.output.composition = kept;
    v = judgeDisplayChain(r);
    EXPECT_TRUE(v.tenBitsDelivered) << v.line;
    EXPECT_EQ(v.line.find("composes"), std::string::npos) << v.line;
  }
  EXPECT_NE(formatCheckReport(r).find("\nDesktop composition: advanced colour (HDR)\n"),
            std::string::npos);

  r.output.composition = DesktopComposition::Unknown;
  EXPECT_EQ(judgeDisplayChain(r).line, unknownComposition.line);
  EXPECT_TRUE(unknownComposition.tenBitsDelivered) << unknownComposition.line;
  EXPECT_NE(formatCheckReport(r).find("\nDesktop composition: unknown\n"), std::string::npos);
  // X11 and Wayland reports have no such line.
  EXPECT_EQ(formatCheckReport(depth30Report()).find("Desktop composition"), std::string::npos);
}

TEST(CheckVerdicts, TenBitLevelsNeedNineTenthsOfTheCount) {
  const RampMeasurement narrow = {0, unknownCount, 26, 104};
  EXPECT_TRUE(holdsTenBitLevels(104, narrow));
  EXPECT_TRUE(holdsTenBitLevels(94, narrow));
  EXPECT_FALSE(holdsTenBitLevels(93, narrow));
  EXPECT_FALSE(holdsTenBitLevels(52, narrow)) << "9 bits are not 10";
  EXPECT_FALSE(holdsTenBitLevels(unknownCount, narrow));
  const RampMeasurement tiny = {0, unknownCount, 3, 3};
  EXPECT_FALSE(holdsTenBitLevels(3, tiny)) << "no more than 8 bits allow proves nothing";
}

TEST(CheckReportText, TableThenVerdict) {
  CheckReport r = depth30Report();
  r.output.maxBpc = reportedBits(10);
  r.output.edid = parsed(edidBlock(4, 0xb5));
  const std::string text = formatCheckReport(r);
  EXPECT_EQ(text.rfind("Display chain check\nPresentation: two windows\n", 0), 0u) << text;
  EXPECT_NE(text.find("Framebuffer bits (R G B A)      8 8 8 8           10 10 10 2\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Narrow ramp: levels drawn       26                104\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("  levels on screen              26                104\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("Output: DP-1, max bpc 10, monitor digital DisplayPort, 10 bits per "
                      "colour (EDID 1.4)\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.substr(text.rfind('\n', text.size() - 2) + 1), judgeDisplayChain(r).line);
  EXPECT_EQ(text.find("DXGI swap chain"), std::string::npos) << "no swap chains, no such rows";
}

// Full screen: both halves lie in one 10-bit framebuffer; the left half is a
// true 8-bit reference by its levels alone, and the report names the halves
// and the presentation.
TEST(CheckReportText, FullScreenHalves) {
  CheckReport r = depth30Report();
  r.window8 = r.window10;
  r.window8.fullRamp = {256, 256, 256, 400};
  r.window8.narrowRamp = {26, 26, 26, 104};
  r.output.maxBpc = reportedBits(10);
  r.output.edid = parsed(edidBlock(4, 0xb5));
  r.presentation = Presentation::FullScreenBorderlessWindow;
  std::string text = formatCheckReport(r);
  EXPECT_EQ(text.rfind("Display chain check\nPresentation: full screen, borderless window\n"
                       "                                8-bit half        10-bit half\n"
                       "Framebuffer bits (R G B A)      10 10 10 2        10 10 10 2\n",
                       0),
            0u)
      << text;
  EXPECT_NE(text.find("Verdict: every link seen carries 10 bits: the 10-bit half holds 104 of "
                      "104 levels on screen"),
            std::string::npos)
      << text;

  r.window8.narrowRamp.onScreen = 104;
  EXPECT_NE(judgeDisplayChain(r).line.find(
                "the 8-bit half is not a true 8-bit reference on this display: it holds 104 "
                "levels on screen where 8 bits allow 26, so both halves look alike"),
            std::string::npos)
      << judgeDisplayChain(r).line;
  r.window10.narrowRamp.onScreen = 26;
  EXPECT_FALSE(judgeDisplayChain(r).tenBitsDelivered);
  EXPECT_NE(judgeDisplayChain(r).line.find("the 10-bit half holds 104 of 104 levels in its "
                                           "framebuffer, but only 26 reach the screen"),
            std::string::npos)
      << judgeDisplayChain(r).line;

  EXPECT_EQ(text.find(" window pixels"), std::string::npos) << "the halves, not windows";
  r.window8.pixels = r.window10.pixels = PixelScaling::OneToOne;
  EXPECT_NE(formatCheckReport(r).find("\n8-bit half pixels: 1:1\n10-bit half pixels: 1:1\n"),
            std::string::npos)
      << formatCheckReport(r);

  EXPECT_STREQ(presentationName(Presentation::TwoWindows), "two windows");
  EXPECT_STREQ(presentationName(Presentation::FullScreenExclusive), "full screen, exclusive");
  EXPECT_STREQ(presentationName(Presentation::FullScreenCompositor), "full screen (compositor)");
}

// A compositor's full screen that leaves part of the output to the desktop
// says what it got; one that covers the output, or whose output's size is
// unknown, is named as before.
TEST(CheckReportText, FullScreenSmallerThanItsOutput) {
  CheckReport r = depth30WindowsOn(waylandOutput(false));
  r.presentation = Presentation::FullScreenCompositor;
  r.coverage = {400, 400, 1280, 1024};
  EXPECT_FALSE(coversOutput(r.coverage));
  EXPECT_EQ(formatCheckReport(r).rfind(
                "Display chain check\n"
                "Presentation: full screen (compositor), 400x400 of a 1280x1024 output\n"
                "NOTE: The full-screen window got 400x400 of the 1280x1024 output: the desktop "
                "shows beside the two halves.\n"
                "                                8-bit half        10-bit half\n",
                0),
            0u)
      << formatCheckReport(r);
  for (const SurfaceCoverage whole : {SurfaceCoverage{1280, 1024, 1280, 1024},
                                      SurfaceCoverage{1280, 1024, 0, 0}, SurfaceCoverage{}}) {
    r.coverage = whole;
    EXPECT_NE(formatCheckReport(r).find("\nPresentation: full screen (compositor)\n     "),
              std::string::npos)
        << formatCheckReport(r);
  }
  r.coverage = {1280, 1000, 1280, 1024};
  EXPECT_FALSE(coversOutput(r.coverage)) << "short by 24 rows";
  r.presentation = Presentation::TwoWindows;
  EXPECT_EQ(formatCheckReport(r).find("NOTE"), std::string::npos) << "no full screen, no note";
}

// Windows with DXGI swap chains: the levels counted are those read back
// from each back buffer, and Wine's output tells no bits.
CheckReport swapChainReport() {
  CheckReport r = depth30WindowsOn(windowsDisplay());
  r.swapChain8 = {"R8G8B8A8_UNORM", "flip discard"};
  r.swapChain10 = {"R10G10B10A2_UNORM", "flip discard"};
  return r;
}

TEST(CheckReportText, SwapChainsAndTheirBackBuffers) {
  CheckReport r = swapChainReport();
  const std::string text = formatCheckReport(r);
  EXPECT_NE(text.find("DXGI swap chain                 R8G8B8A8_UNORM    R10G10B10A2_UNORM\n"
                      "  swap effect                   flip discard      flip discard\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("  levels in the back buffer     26                104\n"), std::string::npos)
      << text;
  EXPECT_EQ(text.find("levels on screen"), std::string::npos) << text;
  EXPECT_NE(text.find("Output: \\\\.\\DISPLAY1, unknown bits per colour\n"), std::string::npos)
      << text;
  EXPECT_TRUE(judgeDisplayChain(r).tenBitsDelivered);

  r.window10.narrowRamp.onScreen = 26;
  const CheckVerdict lost = judgeDisplayChain(r);
  EXPECT_FALSE(lost.tenBitsDelivered);
  EXPECT_NE(lost.line.find("only 26 reach the swap chain's back buffer"), std::string::npos)
      << lost.line;
}

}  // namespace
