// What every shell shows alike: the form's caption, the application title and the About text,
// in UTF-16 as the toolkits take them.
#pragma once

#include <string>
#include <string_view>

inline constexpr std::u16string_view kFormCaption = u"Quorel";

// The executable's file name without its directory and from its first "." on, every character
// after the first in lower case: "/usr/bin/Quorel.bin" gives "Quorel".
std::u16string AppTitle(std::u16string_view executablePath);

inline constexpr std::u16string_view kAboutText =
    u"Quorel Version 0.3\nA wind dial for course, wind direction and speed.";
