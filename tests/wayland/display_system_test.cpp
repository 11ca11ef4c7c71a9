// Which front end the Linux program starts: forced by LUMIVANE_PLATFORM in
// any case, else Wayland in a Wayland session and X11 elsewhere.
#include "linux_program/display_system.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplaySystemChoice, ForcedChoiceWinsOverTheSession) {
  for (bool socket : {false, true}) {
    EXPECT_EQ(chooseDisplaySystem("x11", "wayland-1", socket), DisplaySystem::X11);
    EXPECT_EQ(chooseDisplaySystem("X11", nullptr, socket), DisplaySystem::X11);
    EXPECT_EQ(chooseDisplaySystem("wayland", nullptr, socket), DisplaySystem::Wayland);
    EXPECT_EQ(chooseDisplaySystem("Wayland", "", socket), DisplaySystem::Wayland);
    EXPECT_EQ(chooseDisplaySystem("gtk", "wayland-1", socket), DisplaySystem::Unknown);
    EXPECT_EQ(chooseDisplaySystem("x", nullptr, socket), DisplaySystem::Unknown);
  }
}

TEST(DisplaySystemChoice, SessionDecidesWhenNothingIsForced) {
  EXPECT_EQ(chooseDisplaySystem(nullptr, "wayland-1", false), DisplaySystem::Wayland);
  EXPECT_EQ(chooseDisplaySystem("", "/run/user/1000/wayland-0", false), DisplaySystem::Wayland);
  EXPECT_EQ(chooseDisplaySystem(nullptr, nullptr, true), DisplaySystem::Wayland)
      << "the default socket without WAYLAND_DISPLAY";
  EXPECT_EQ(chooseDisplaySystem(nullptr, "", false), DisplaySystem::X11)
      << "an empty WAYLAND_DISPLAY is no session";
  EXPECT_EQ(chooseDisplaySystem(nullptr, nullptr, false), DisplaySystem::X11);
}

TEST(DisplaySystemChoice, DefaultSocketLivesInTheRuntimeFolder) {
  EXPECT_EQ(defaultWaylandSocket("/run/user/1000"), "/run/user/1000/wayland-0");
  EXPECT_EQ(defaultWaylandSocket(""), "");
  EXPECT_EQ(defaultWaylandSocket(nullptr), "");
}

}  // namespace
