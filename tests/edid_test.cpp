// The monitor's EDID: what each version and extension declares of its bits
// per colour, and damaged data read as nothing.
#include "app/edid.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/edid_bytes.h"

namespace {

EdidColour parsed(const std::vector<unsigned char>& bytes) {
  return parseEdid(bytes.data(), bytes.size());
}

TEST(EdidParsing, VideoInputOfEdid14) {
  // Digital, 10 bits, DisplayPort: 1 011 0101.
  EdidColour dp10 = parsed(edidBlock(4, 0xb5));
  EXPECT_TRUE(dp10.valid);
  EXPECT_TRUE(dp10.digital);
  EXPECT_EQ(dp10.version, 1);
  EXPECT_EQ(dp10.revision, 4);
  EXPECT_EQ(dp10.bitsPerColour, 10);
  EXPECT_STREQ(dp10.interface, "DisplayPort");
  struct Case {
    unsigned char input;
    int bits;
    const char* interface;
  };
  for (const Case& c :
       {Case{0x95, 6, "DisplayPort"}, Case{0xa5, 8, "DisplayPort"}, Case{0xc5, 12, "DisplayPort"},
        Case{0xa2, 8, "HDMI"}, Case{0xb3, 10, "HDMI"}, Case{0xa1, 8, "DVI"},
        Case{0x80, unknownCount, ""}, Case{0xf5, unknownCount, "DisplayPort"}}) {
    const EdidColour edid = parsed(edidBlock(4, c.input));
    EXPECT_EQ(edid.bitsPerColour, c.bits) << std::hex << int(c.input);
    EXPECT_STREQ(edid.interface, c.interface) << std::hex << int(c.input);
  }
}

TEST(EdidParsing, OlderAndAnalogueMonitorsDeclareNoDepth) {
  // EDID 1.3, digital: the same bits meant nothing then.
  EdidColour old = parsed(edidBlock(3, 0xb5));
  EXPECT_TRUE(old.valid);
  EXPECT_TRUE(old.digital);
  EXPECT_EQ(old.bitsPerColour, unknownCount);
  EXPECT_STREQ(old.interface, "");
  // Analogue (VGA): levels are whatever the DAC makes of them.
  EdidColour analogue = parsed(edidBlock(4, 0x0e));
  EXPECT_TRUE(analogue.valid);
  EXPECT_FALSE(analogue.digital);
  EXPECT_EQ(analogue.bitsPerColour, unknownCount);
}

TEST(EdidParsing, HdmiDeepColourFlagsInTheExtension) {
  std::vector<unsigned char> tv = edidBlock(3, 0x80, 1);
  appendHdmiExtension(tv, 0x38);  // DC_36bit and DC_30bit, DC_Y444
  EdidColour edid = parsed(tv);
  EXPECT_EQ(edid.bitsPerColour, 12);
  EXPECT_STREQ(edid.interface, "HDMI");

  std::vector<unsigned char> plain = edidBlock(3, 0x80, 1);
  appendHdmiExtension(plain, 0x00);
  EXPECT_EQ(parsed(plain).bitsPerColour, 8) << "an HDMI sink without deep colour takes 8 bits";

  std::vector<unsigned char> cut = edidBlock(3, 0x80, 1);
  EXPECT_EQ(parsed(cut).bitsPerColour, unknownCount) << "an extension announced but not there";
}

TEST(EdidParsing, DamagedDataIsUnknown) {
  std::vector<unsigned char> e = edidBlock(4, 0xb5);
  e[40] ^= 1;
  EXPECT_FALSE(parsed(e).valid) << "checksum";
  e = edidBlock(4, 0xb5);
  e[0] = 0x01;
  EXPECT_FALSE(parsed(e).valid) << "header";
  e = edidBlock(4, 0xb5);
  EXPECT_FALSE(parseEdid(e.data(), 127).valid) << "short";
  EXPECT_FALSE(parseEdid(nullptr, 0).valid);
}

}  // namespace
