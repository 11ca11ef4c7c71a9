// The monitor's EDID as the Linux kernel holds it for a display connector,
// for both Linux front ends: a Wayland compositor names an output by its
// connector ("DP-1"), and an X server's RandR output often carries the same
// name with no EDID property of its own (Xwayland's never do). The kernel
// lists each connector as ROOT/cardN-NAME with the monitor's EDID in the
// file edid there (ROOT is /sys/class/drm), which any user may read; the
// folder is a parameter so that tests can lay out a tree of their own.
#pragma once

#include <string>
#include <vector>

constexpr const char* kernelConnectorFolder = "/sys/class/drm";

// The EDID of the connector of this name on any card; empty where no
// connector has that name, no monitor is connected (the kernel's file is
// empty then) or the file cannot be read.
std::vector<unsigned char> readConnectorEdid(const std::string& connector,
                                             const std::string& root = kernelConnectorFolder);
