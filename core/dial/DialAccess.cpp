#include "dial/DialAccess.h"

#include <string>

std::string ValueText(DialValue which, int value) {
  const DialValueRule& rule = RuleOf(which);
  std::string text = std::to_string(value);
  if (*rule.unit != '\0') text = text + ' ' + rule.unit;
  return text;
}

const char* HowToChange(DialValue which) {
  switch (which) {
    case DialValue::Course:
      return "Page Down raises the course by 10 degrees, Page Up lowers it; or the buttons at "
             "the top right";
    case DialValue::WindDirection:
      return "End raises the wind direction by 10 degrees, Home lowers it; or the buttons at "
             "the bottom left";
    case DialValue::WindSpeed:
      return "The filled button at the bottom right raises the wind speed by 1, the S button "
             "beside it lowers it";
  }
  return "";
}

std::string DialSummary(int course, int windDirection, int windSpeed) {
  return std::string(kDialAccessName) + ": course " + std::to_string(course) + ", wind " +
         std::to_string(windDirection) + " degrees at " + std::to_string(windSpeed);
}

std::optional<DialValue> SliderAt(int x, int y) {
  for (const DialValueRule& rule : kDialValues) {
    if (StepButtonPair(rule.value).Contains(x, y)) return rule.value;
  }
  return std::nullopt;
}

void SetFromScreenReader(WindDial& dial, DialValue which, double v) {
  const int next = NearestAllowed(which, v, dial.Value(which));
  if (next == dial.Value(which)) return;
  dial.MakeCurrent(which);
  dial.Set(which, next);
}
