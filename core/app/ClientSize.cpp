#include "app/ClientSize.h"

#include "dial/WindDial.h"

std::optional<Extent> SnapBackClientSize(WindowShow show, Extent client) {
  if (show != WindowShow::Normal) return std::nullopt;
  const Extent dial{WindDial::kSize, WindDial::kSize};
  if (client == dial) return std::nullopt;
  return dial;
}
