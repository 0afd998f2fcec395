// What both shells show alike: the application title, the exception report's message, the About
// text and the context menu's items. No window toolkit: texts are UTF-16 as both toolkits take
// them, except the report, which comes from an exception's UTF-8 what().
#pragma once

#include <algorithm>
#include <array>
#include <exception>
#include <string>
#include <string_view>

inline constexpr std::u16string_view kFormCaption = u"Quorel";

// The executable's file name without its directory and from its first "." on, every character
// after the first in lower case: "/usr/bin/Quorel.bin" gives "Quorel".
std::u16string AppTitle(std::u16string_view executablePath);

// The message of the innermost nested exception that has a non-empty one, with "." appended when
// its last character's code is above that of "."; empty for anything not a std::exception.
std::string ReportMessage(const std::exception_ptr& error);

inline constexpr std::u16string_view kAboutText =
    u"Quorel Version 0.3\nA wind dial for course, wind direction and speed.";

// The context menu's items in order; opening the menu passes tag 0, which does nothing.
inline constexpr int kTagAbout = 1;
inline constexpr int kTagExit = 2;

struct MenuItem {
  int tag;
  std::u16string_view caption;  // "&" marks the access key
};

inline constexpr std::array<MenuItem, 2> kPopupMenu = {{
    {kTagAbout, u"Quorelについて(&A)..."},
    {kTagExit, u"終了(&X)"},
}};
