// Quorel's own start-up, ending at the dial's first complete frame.
#include <memory>

#include "bench/FirstFrame.h"
#include "qt/F01.h"
#include "qt/Kwind.h"
#include "qt/QuorelApp.h"

int main(int argc, char** argv) {
  std::unique_ptr<FirstFrameProbe> probe;
  return RunQuorel(argc, argv,
                   [&](TFQuorel& form) { probe = std::make_unique<FirstFrameProbe>(form.dial); });
}
