// The kernel's EDID of a connector, found by the connector's name in a tree
// laid out as /sys/class/drm is.
#include "drm/connector_edid.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

namespace {

TEST(ConnectorEdid, FoundByTheConnectorsExactNameOnAnyCard) {
  char pattern[] = "/tmp/lumivane-drm-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string root = pattern;
  auto connector = [&](const std::string& entry, const std::string& edid) {
    std::filesystem::create_directories(root + "/" + entry);
    std::ofstream(root + "/" + entry + "/edid", std::ios::binary) << edid;
  };
  connector("card0-DP-1", "");  // nothing connected
  connector("card1-DP-1", std::string("\x00\xff\xff", 3));
  connector("card0-DP-10", "ten");
  connector("card0-eDP-1", "panel");
  connector("card0-HDMI-A-1", "");
  std::filesystem::create_directories(root + "/card0-DP-2/edid");  // cannot be read as a file
  std::filesystem::create_directories(root + "/card0");
  std::filesystem::create_directories(root + "/renderD128");

  EXPECT_EQ(readConnectorEdid("DP-1", root), (std::vector<unsigned char>{0x00, 0xff, 0xff}))
      << "the card with a monitor on that connector";
  EXPECT_EQ(readConnectorEdid("DP-10", root), (std::vector<unsigned char>{'t', 'e', 'n'}));
  EXPECT_EQ(readConnectorEdid("eDP-1", root),
            (std::vector<unsigned char>{'p', 'a', 'n', 'e', 'l'}));
  EXPECT_TRUE(readConnectorEdid("HDMI-A-1", root).empty()) << "no monitor";
  EXPECT_TRUE(readConnectorEdid("DP-2", root).empty()) << "unreadable";
  EXPECT_TRUE(readConnectorEdid("DP", root).empty()) << "no such connector";
  EXPECT_TRUE(readConnectorEdid("HEADLESS-1", root).empty());
  EXPECT_TRUE(readConnectorEdid("", root).empty());
  EXPECT_TRUE(readConnectorEdid("DP-1", root + "/missing").empty());
  std::filesystem::remove_all(root);
}

}  // namespace
