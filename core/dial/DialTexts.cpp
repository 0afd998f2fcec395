#include "dial/DialTexts.h"

namespace {

constexpr DialTexts kEnglish = {
    "Wind dial",
    "Wind dial: course {}, wind {} degrees at {}",
    "Press",
    {{
        {"Course", " degrees",
         "Page Down raises the course by 10 degrees, Page Up lowers it; or the buttons at the top "
         "right",
         "Lower course", "Raise course"},
        {"Wind direction", " degrees",
         "End raises the wind direction by 10 degrees, Home lowers it; or the buttons at the "
         "bottom left",
         "Lower wind direction", "Raise wind direction"},
        {"Wind speed", "",
         "The filled button at the bottom right raises the wind speed by 1, the S button beside it "
         "lowers it",
         "Lower wind speed", "Raise wind speed"},
    }},
};

constexpr DialTexts kJapanese = {
    "風ダイヤル",
    "風ダイヤル: 針路 {}度、風向 {}度、風速 {}",
    "押す",
    {{
        {"針路", "度",
         "Page Down で針路を 10 度上げ、Page Up で下げます。右上のボタンでも変えられます",
         "針路を下げる", "針路を上げる"},
        {"風向", "度", "End で風向を 10 度上げ、Home で下げます。左下のボタンでも変えられます",
         "風向を下げる", "風向を上げる"},
        {"風速", "", "右下の塗りつぶしたボタンで風速を 1 上げ、その左の S のボタンで下げます",
         "風速を下げる", "風速を上げる"},
    }},
};

}  // namespace

// The language subtag ends where a region, a script, an encoding or a modifier begins.
Language LanguageOfTag(std::string_view tag) {
  const std::string_view language = tag.substr(0, tag.find_first_of("-_.@"));
  return language == "ja" ? Language::Japanese : Language::English;
}

const DialTexts& TextsIn(Language language) {
  return language == Language::Japanese ? kJapanese : kEnglish;
}

const ValueTexts& TextsOf(Language language, DialValue which) {
  return TextsIn(language).values[static_cast<int>(which)];
}
