// Where the Windows tests find quorel.exe: in the build folder, one above their own.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring QuorelExePath() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
  path.resize(path.find_last_of(L'\\'));
  path.resize(path.find_last_of(L'\\') + 1);
  return path + L"quorel.exe";
}
