// Which front end the Linux program starts: forced by LUMIVANE_PLATFORM in
// any case, else Wayland in a Wayland session and X11 elsewhere; and when a
// Wayland connection that failed gives way to X11.
#include "linux/display_system.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplaySystemChoice, ForcedChoiceWinsOverTheSession) {
  for (bool socket : {false, true}) {
    EXPECT_EQ(chooseDisplaySystem("x11", "wayland-1", "5", socket), DisplaySystem::X11);
    EXPECT_EQ(chooseDisplaySystem("X11", nullptr, nullptr, socket), DisplaySystem::X11);
    EXPECT_EQ(chooseDisplaySystem("wayland", nullptr, nullptr, socket), DisplaySystem::Wayland);
    EXPECT_EQ(chooseDisplaySystem("Wayland", "", nullptr, socket), DisplaySystem::Wayland);
    EXPECT_EQ(chooseDisplaySystem("gtk", "wayland-1", nullptr, socket), DisplaySystem::Unknown);
    EXPECT_EQ(chooseDisplaySystem("x", nullptr, nullptr, socket), DisplaySystem::Unknown);
  }
}

TEST(DisplaySystemChoice, SessionDecidesWhenNothingIsForced) {
  EXPECT_EQ(chooseDisplaySystem(nullptr, "wayland-1", nullptr, false), DisplaySystem::Wayland);
  EXPECT_EQ(chooseDisplaySystem("", "/run/user/1000/wayland-0", nullptr, false),
            DisplaySystem::Wayland);
  EXPECT_EQ(chooseDisplaySystem(nullptr, nullptr, nullptr, true), DisplaySystem::Wayland)
      << "the default socket without WAYLAND_DISPLAY";
  EXPECT_EQ(chooseDisplaySystem(nullptr, "", nullptr, false), DisplaySystem::X11)
      << "an empty WAYLAND_DISPLAY is no session";
  EXPECT_EQ(chooseDisplaySystem(nullptr, nullptr, nullptr, false), DisplaySystem::X11);
  EXPECT_EQ(chooseDisplaySystem(nullptr, nullptr, "3", false), DisplaySystem::Wayland)
      << "a connection handed over by the parent";
  EXPECT_EQ(chooseDisplaySystem(nullptr, "", "", false), DisplaySystem::X11);
}

TEST(DisplaySystemChoice, FailedWaylandGivesWayToANamedXDisplayUnlessForced) {
  EXPECT_TRUE(fallsBackToX11(nullptr, ":0"));
  EXPECT_TRUE(fallsBackToX11("", "localhost:10.0"));
  EXPECT_FALSE(fallsBackToX11("wayland", ":0")) << "a forced choice keeps its error";
  EXPECT_FALSE(fallsBackToX11("Wayland", ":0"));
  EXPECT_FALSE(fallsBackToX11(nullptr, nullptr)) << "no X display to fall back on";
  EXPECT_FALSE(fallsBackToX11(nullptr, ""));
}

TEST(DisplaySystemChoice, DefaultSocketLivesInTheRuntimeFolder) {
  EXPECT_EQ(defaultWaylandSocket("/run/user/1000"), "/run/user/1000/wayland-0");
  EXPECT_EQ(defaultWaylandSocket(""), "");
  EXPECT_EQ(defaultWaylandSocket(nullptr), "");
}

}  // namespace
