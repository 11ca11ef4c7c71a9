// Monitor descriptions (EDID) as real monitors send them, for the tests of
// the parser and for planting on a test X server's output.
#pragma once

#include <vector>

// A monitor's base block as such monitors send it: header, a vendor and
// product, version, video input byte, size, gamma, features,
// chromaticities, timings and four descriptors, with the checksum fixed.
inline std::vector<unsigned char> edidBlock(int revision, unsigned char videoInput,
                                            int extensions = 0) {
  std::vector<unsigned char> e = {
      0x00,       0xff, 0xff, 0xff, 0xff,
      0xff,       0xff, 0x00, 0x10, 0xac,
      0x7a,       0xa0, 0x4c, 0x37, 0x30,
      0x30,       0x0c, 0x1c, 0x01, static_cast<unsigned char>(revision),
      videoInput, 0x3c, 0x22, 0x78, 0x3a,
      0xee,       0x95, 0xa3, 0x54, 0x4c,
      0x99,       0x26, 0x0f, 0x50, 0x54,
      0xa5,       0x4b, 0x00, 0x71, 0x4f,
      0x81,       0x80, 0xa9, 0xc0, 0xd1,
      0xc0,       0x01, 0x01, 0x01, 0x01,
      0x01,       0x01, 0x01, 0x01};
  // One detailed timing (3840 x 2160 at 60 Hz), then the name, range limits and serial.
  const unsigned char timing[18] = {0x4d, 0xd0, 0x00, 0xa0, 0xf0, 0x70, 0x3e, 0x80, 0x30,
                                    0x20, 0x35, 0x00, 0x55, 0x50, 0x21, 0x00, 0x00, 0x1a};
  e.insert(e.end(), timing, timing + 18);
  const unsigned char name[18] = {0,   0,   0,   0xfc, 0,   'D', 'E', 'L',  'L',
                                  ' ', 'U', '2', '7',  '1', '8', 'Q', 0x0a, 0x20};
  e.insert(e.end(), name, name + 18);
  const unsigned char limits[18] = {0,    0,    0,    0xfd, 0,    0x1d, 0x4c, 0x1e, 0x8c,
                                    0x3c, 0x00, 0x0a, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20};
  e.insert(e.end(), limits, limits + 18);
  const unsigned char serial[18] = {0,   0,   0,   0xff, 0,   'F', 'C', '3', '2',
                                    'J', '8', '1', 'S',  'B', '0', '0', 'L', 0x0a};
  e.insert(e.end(), serial, serial + 18);
  e.push_back(static_cast<unsigned char>(extensions));
  unsigned sum = 0;
  for (unsigned char byte : e) sum += byte;
  e.push_back(static_cast<unsigned char>((256 - sum % 256) % 256));
  return e;
}

// A CEA-861 extension with a video data block and HDMI's vendor block
// carrying these deep-colour flags.
inline void appendHdmiExtension(std::vector<unsigned char>& e, unsigned char deepColourFlags) {
  std::vector<unsigned char> x = {0x02, 0x03, 0,    0xf0, 0x43, 0x10, 0x04,
                                  0x03,  // video data block: three VICs
                                  0x67, 0x03, 0x0c, 0x00, 0x10, 0x00, deepColourFlags,
                                  0x3c};
  x[2] = static_cast<unsigned char>(x.size());
  x.resize(127, 0);
  unsigned sum = 0;
  for (unsigned char byte : x) sum += byte;
  x.push_back(static_cast<unsigned char>((256 - sum % 256) % 256));
  e.insert(e.end(), x.begin(), x.end());
}
