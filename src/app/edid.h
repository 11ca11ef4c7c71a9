// The monitor's EDID, as every front end reads it: from the X output's
// "EDID" property, from the kernel's connector, or as Windows hands it over.
// Plain bytes in, plain data out, so it is tested without a monitor.
#pragma once

#include <cstddef>

#include "render/level_count.h"

// The monitor's own description in its EDID: the video input byte of EDID
// 1.4 (bits per colour and interface), or what 1.3 and HDMI's deep-colour
// flags tell. An EDID of any version but 1 is a structure this program does
// not know: it is shown as invalid, and nothing is read from it.
struct EdidColour {
  bool present = false;  // the fixed header and the base block's checksum
  bool valid = false;    // present, and of version 1
  int version = 0, revision = 0;
  bool digital = false;
  int bitsPerColour = unknownCount;
  const char* interface = "";  // "DVI", "HDMI", "DisplayPort", ... or "" when undeclared
};
EdidColour parseEdid(const unsigned char* bytes, std::size_t size);
