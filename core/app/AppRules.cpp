#include "app/AppRules.h"

#include <algorithm>

namespace {

bool IsSeparator(char16_t c) {
#ifdef _WIN32
  return c == u'\\' || c == u'/' || c == u':';
#else
  return c == u'/';
#endif
}

// Lower case for the alphabets a file name is likely to use (Latin, Greek, Cyrillic); any other
// character stays as it is.
char16_t Lower(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  if (c >= 0x100 && c <= 0x137 && c % 2 == 0) return c + 1;
  if (c >= 0x14A && c <= 0x177 && c % 2 == 0) return c + 1;
  if ((c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x410 && c <= 0x42F)) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

}  // namespace

std::u16string AppTitle(std::u16string_view executablePath) {
  std::size_t start = executablePath.size();
  while (start > 0 && !IsSeparator(executablePath[start - 1])) --start;
  std::u16string name(executablePath.substr(start));
  name.resize(std::min(name.size(), name.find(u'.')));
  for (std::size_t i = 1; i < name.size(); ++i) name[i] = Lower(name[i]);
  return name;
}
