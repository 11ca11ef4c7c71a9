#include "drm/connector_edid.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

// "card0-DP-1" names connector "DP-1" of card 0; "card0" and "renderD128"
// name no connector.
bool namesConnector(const std::string& entry, const std::string& connector) {
  if (entry.rfind("card", 0) != 0) return false;
  std::size_t at = 4;
  while (at < entry.size() && std::isdigit(static_cast<unsigned char>(entry[at]))) ++at;
  return at > 4 && at < entry.size() && entry[at] == '-' &&
         entry.compare(at + 1, std::string::npos, connector) == 0;
}

// The whole file; empty where it cannot be read. An EDID is a few blocks of
// 128 bytes: anything past 32 KiB is no EDID.
std::vector<unsigned char> fileBytes(const std::string& path) {
  std::vector<unsigned char> bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  unsigned char chunk[4096];
  std::size_t got = 0;
  while (bytes.size() <= 32768 && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
    bytes.insert(bytes.end(), chunk, chunk + got);
  const bool failed = std::ferror(file) != 0 || bytes.size() > 32768;
  std::fclose(file);
  if (failed) bytes.clear();
  return bytes;
}

}  // namespace

std::vector<unsigned char> readConnectorEdid(const std::string& connector,
                                             const std::string& root) {
  std::vector<std::string> entries;
  if (connector.empty()) return {};
  if (DIR* folder = opendir(root.c_str())) {
    while (const dirent* entry = readdir(folder))
      if (namesConnector(entry->d_name, connector)) entries.push_back(entry->d_name);
    closedir(folder);
  }
  // With several cards the same name may come twice: the first card that
  // has a monitor on it.
  std::sort(entries.begin(), entries.end());
  for (const std::string& entry : entries) {
    std::vector<unsigned char> bytes = fileBytes(root + "/" + entry + "/edid");
    if (!bytes.empty()) return bytes;
  }
  return {};
}
