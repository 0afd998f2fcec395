// UTF-8 as the text code reads it: every byte of an invalid sequence becomes U+FFFD on its own.
#pragma once

#include <cstddef>
#include <string_view>

// Decodes the code point at s[i] and moves i past it; i must be below s.size().
char32_t NextCodePoint(std::string_view s, std::size_t& i);
