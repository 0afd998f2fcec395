#include "turtle/Utf8.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

// A byte that does not start a well-formed sequence yields U+FFFD and moves i by one, so each bad
// byte is reported on its own.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  const auto bad = [&i] {
    ++i;
    return kReplacement;
  };
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  struct Form {
    std::size_t length;
    unsigned char payload;  // bits of the lead byte that carry the code point
    char32_t min;           // anything smaller is an overlong encoding
  };
  Form form{};
  if (lead >= 0xC2 && lead <= 0xDF) {
    form = {2, 0x1F, 0x80};
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    form = {3, 0x0F, 0x800};
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    form = {4, 0x07, 0x10000};
  } else {
    return bad();
  }
  if (s.size() - i < form.length) return bad();
  char32_t cp = lead & form.payload;
  for (std::size_t k = 1; k < form.length; ++k) {
    const auto next = static_cast<unsigned char>(s[i + k]);
    if ((next & 0xC0) != 0x80) return bad();
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < form.min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return bad();
  i += form.length;
  return cp;
}
