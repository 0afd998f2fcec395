#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fontengines/freetype/FreeTypeFontEngine.h"

namespace {

// The glyph's coverage row by row; empty when the font cannot render it.
std::vector<std::uint8_t> Rendered(ScaledFont& font, char32_t cp) {
  Coverage c;
  std::vector<std::uint8_t> rows;
  if (!font.Render(font.Char(cp).glyph, Rotation{}, c)) return rows;
  for (int r = 0; r < c.rows; ++r)
    rows.insert(rows.end(), c.data + r * c.pitch, c.data + r * c.pitch + c.width);
  return rows;
}

TEST(FreeTypeEngine, KeepsFewNamesAndFilesWhileItsFontsDrawOn) {
  const std::unique_ptr<FontEngine> engine = MakePlatformFontEngine();
  const std::unique_ptr<ScaledFont> arial = engine->Find({"Arial", 20, 400});
  ASSERT_NE(arial, nullptr);
  const std::vector<std::uint8_t> n = Rendered(*arial, 'N');
  ASSERT_FALSE(n.empty());

  // Thousands of names that no font has, then installed faces from several files (the Liberation
  // and IPA fonts the set-up installs), so that both memos fill and forget.
  auto find = [&](const std::string& face, int weight) {
    EXPECT_NE(engine->Find({face, 20, weight}), nullptr) << face;
    const KeptFaces kept = KeptBy(*engine);
    ASSERT_LE(kept.names, kMaxKeptNames);
    ASSERT_LE(kept.files, kMaxKeptFiles);
  };
  for (int i = 0; i < 2000; ++i) find("NoSuchFace" + std::to_string(i), i % 2 ? 700 : 400);
  for (const char* face : {"Liberation Serif", "Liberation Mono", "IPAGothic", "IPAPGothic"}) {
    for (int weight : {400, 700}) find(face, weight);
  }
  EXPECT_EQ(KeptBy(*engine).names, kMaxKeptNames);
  EXPECT_EQ(KeptBy(*engine).files, kMaxKeptFiles);

  // The engine has closed Arial's file long since, but the font found first still has it.
  EXPECT_EQ(Rendered(*arial, 'N'), n);
  const std::unique_ptr<ScaledFont> again = engine->Find({"Arial", 20, 400});
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(Rendered(*again, 'N'), n);
}

}  // namespace
