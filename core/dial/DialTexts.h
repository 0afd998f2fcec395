// What screen readers are told of the dial, in each language it speaks: one table that every shell
// reads. The menu's captions and the About text are not here; they are the same in every language.
#pragma once

#include <array>
#include <string_view>

#include "dial/DialValues.h"

enum class Language { English, Japanese };

// The language of the user interface that a platform names with a language tag or a locale name
// ("ja", "ja-JP", "ja_JP.UTF-8"): Japanese for Japanese, English for any other and for none.
Language LanguageOfTag(std::string_view tag);

struct ValueTexts {
  const char* name;
  const char*
      unit;  // written right after the number, with a space first where the language has one
  const char* howToChange;  // the keys first, then the step buttons
  const char* lowerName;    // the outlined step button
  const char* raiseName;    // the filled one
};

struct DialTexts {
  const char* dialName;
  // The readout and the card in words; "{}" stands for the course, the wind direction and the
  // speed, in turn.
  const char* summary;
  const char* pressName;                           // what a press on a step button is called
  std::array<ValueTexts, kDialValueCount> values;  // in the order of kDialValues
};

const DialTexts& TextsIn(Language language);
const ValueTexts& TextsOf(Language language, DialValue which);
