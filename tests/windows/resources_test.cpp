// The program's executable resources, read the way Windows reads them: the
// manifest, the icon group that start-up loads and the version record that
// Explorer shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/gl_headers.h"

namespace {

std::string programPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  folder.erase(folder.find_last_of("\\/") + 1);
  return folder + "lumivane.exe";
}

TEST(ExecutableResourcesTest, IconGroup101LoadsAtBothSystemSizes) {
  HMODULE program = LoadLibraryExA(programPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr) << programPath();
  EXPECT_NE(FindResourceA(program, MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(14)), nullptr)
      << "icon group 101";
  for (int size : {16, 32, 48}) {
    HICON icon = static_cast<HICON>(
        LoadImageA(program, MAKEINTRESOURCEA(101), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, size) << "an image of this size exists in the group";
    DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    DestroyIcon(icon);
  }
  FreeLibrary(program);
}

// The manifest Windows reads at process creation: per-monitor DPI awareness
// (version 2, falling back to per monitor and to system aware) and the
// Windows versions the program supports.
TEST(ExecutableResourcesTest, ManifestDeclaresPerMonitorDpiAwareness) {
  HMODULE program = LoadLibraryExA(programPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr) << programPath();
  HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr) << "RT_MANIFEST 1";
  const char* data = static_cast<const char*>(LockResource(LoadResource(program, found)));
  ASSERT_NE(data, nullptr);
  const std::string manifest(data, SizeofResource(program, found));
  FreeLibrary(program);
  for (const char* wanted :
       {"<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
        "PerMonitorV2, PerMonitor</dpiAwareness>",
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm"
        "</dpiAware>",
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"})
    EXPECT_NE(manifest.find(wanted), std::string::npos) << wanted;
}

TEST(ExecutableResourcesTest, VersionIs1001) {
  const std::string path = programPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  char* text = nullptr;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904b0\\FileVersion",
                             reinterpret_cast<void**>(&text), &length));
  EXPECT_STREQ(text, "1, 0, 0, 1");
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904b0\\ProductVersion",
                             reinterpret_cast<void**>(&text), &length));
  EXPECT_STREQ(text, "1, 0, 0, 1");
}

}  // namespace
