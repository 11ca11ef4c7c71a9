#include "app/edid.h"

#include <cstring>

namespace {

constexpr std::size_t edidBlockSize = 128;

bool validBaseBlock(const unsigned char* bytes, std::size_t size) {
  static const unsigned char header[8] = {0x00, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00};
  if (size < edidBlockSize || std::memcmp(bytes, header, sizeof header) != 0) return false;
  unsigned sum = 0;
  for (std::size_t i = 0; i < edidBlockSize; ++i) sum += bytes[i];
  return sum % 256 == 0;
}

// EDID 1.4's video input byte: bits 6-4 the colour depth, 3-0 the interface.
void readVideoInput(unsigned char input, EdidColour& edid) {
  static const int depths[8] = {unknownCount, 6, 8, 10, 12, 14, 16, unknownCount};
  static const char* const interfaces[16] = {"", "DVI", "HDMI", "HDMI", "MDDI", "DisplayPort"};
  edid.bitsPerColour = depths[(input >> 4) & 7];
  const char* name = interfaces[input & 0x0f];
  edid.interface = name != nullptr ? name : "";
}

// HDMI's vendor-specific data block (IEEE OUI 00-0C-03) in a CEA-861
// extension: an HDMI sink carries 8 bits per colour, more where its
// deep-colour flags say so.
void readHdmiDeepColour(const unsigned char* block, EdidColour& edid) {
  if (block[0] != 0x02) return;
  const std::size_t end = block[2];
  if (end < 4 || end > edidBlockSize) return;
  for (std::size_t i = 4; i < end;) {
    const int tag = block[i] >> 5;
    const std::size_t length = block[i] & 0x1f;
    if (i + length >= end) break;
    if (tag == 3 && length >= 5 && block[i + 1] == 0x03 && block[i + 2] == 0x0c &&
        block[i + 3] == 0x00) {
      if (*edid.interface == '\0') edid.interface = "HDMI";
      int bits = 8;
      if (length >= 6) {
        const unsigned char flags = block[i + 6];
        if (flags & 0x10) bits = 10;
        if (flags & 0x20) bits = 12;
        if (flags & 0x40) bits = 16;
      }
      if (edid.bitsPerColour == unknownCount || bits > edid.bitsPerColour)
        edid.bitsPerColour = bits;
    }
    i += length + 1;
  }
}

}  // namespace

EdidColour parseEdid(const unsigned char* bytes, std::size_t size) {
  EdidColour edid;
  if (bytes == nullptr || !validBaseBlock(bytes, size)) return edid;
  edid.present = true;
  edid.version = bytes[18];
  edid.revision = bytes[19];
  edid.valid = edid.version == 1;
  if (!edid.valid) return edid;
  const unsigned char input = bytes[20];
  edid.digital = (input & 0x80) != 0;
  // Before 1.4 the digital input byte names no depth and no interface.
  if (edid.digital && edid.revision >= 4) readVideoInput(input, edid);
  if (edid.digital) {
    const std::size_t extensions = bytes[126];
    for (std::size_t k = 1; k <= extensions && (k + 1) * edidBlockSize <= size; ++k)
      readHdmiDeepColour(bytes + k * edidBlockSize, edid);
  }
  return edid;
}
