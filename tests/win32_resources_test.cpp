// What quorel.exe carries besides its code: the version record, the icon and the manifest, read
// back as Windows reads them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/QuorelExe.h"

namespace {

std::wstring VersionString(const std::vector<char>& record, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring key = std::wstring(L"\\StringFileInfo\\041103A4\\") + name;
  if (!VerQueryValueW(record.data(), key.c_str(), &value, &length) || !value) return L"<missing>";
  return static_cast<const wchar_t*>(value);
}

TEST(QuorelResources, VersionRecordIsJapaneseCodePage932Version020) {
  const std::wstring exe = QuorelExePath();
  std::vector<char> record(GetFileVersionInfoSizeW(exe.c_str(), nullptr));
  ASSERT_FALSE(record.empty());
  ASSERT_TRUE(
      GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(record.size()), record.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00000002u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00000002u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0411);
  EXPECT_EQ(translation[1], 932);

  EXPECT_EQ(VersionString(record, L"FileVersion"), L"0.2.0.0");
  EXPECT_EQ(VersionString(record, L"ProductVersion"), L"0.02");
  EXPECT_EQ(VersionString(record, L"FileDescription"), L"Quorel");
  EXPECT_EQ(VersionString(record, L"InternalName"), L"quorel");
  EXPECT_EQ(VersionString(record, L"ProductName"), L"quorel");
  EXPECT_EQ(VersionString(record, L"OriginalFilename"), L"quorel.exe");
  EXPECT_EQ(VersionString(record, L"CompanyName"), L"");
  EXPECT_EQ(VersionString(record, L"LegalTrademarks"), L"");
}

TEST(QuorelResources, IconInFourSizesAndAnUnelevatedThemedManifest) {
  HMODULE exe = LoadLibraryExW(QuorelExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  // The icon group's directory: a 6-byte header, then 14 bytes an image, width first (0 is 256).
  HRSRC group = FindResourceW(exe, L"MAINICON", MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  ASSERT_NE(group, nullptr);
  const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(exe, group)));
  const int count = directory[4] | directory[5] << 8;
  std::vector<int> sides;
  for (int i = 0; i < count; ++i)
    sides.push_back(directory[6 + 14 * i] ? directory[6 + 14 * i] : 256);
  EXPECT_EQ(sides, (std::vector<int>{16, 32, 48, 256}));
  EXPECT_NE(LoadIconW(exe, L"MAINICON"), nullptr);

  HRSRC found = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(found, nullptr);
  const auto* text = static_cast<const char*>(LockResource(LoadResource(exe, found)));
  const std::string manifest(text, SizeofResource(exe, found));
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
  FreeLibrary(exe);
}

}  // namespace
