#include "platform/colour_contrast.h"

#include <algorithm>
#include <cmath>

namespace {

double Linear(uint8_t channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(Rgb c) { return 0.2126 * Linear(c.r) + 0.7152 * Linear(c.g) + 0.0722 * Linear(c.b); }

// Mixed with white by t (0: the colour, 1: white): every channel moves the same
// share of its way, so the hue stays.
Rgb TowardsWhite(Rgb c, double t) {
  auto mix = [t](uint8_t v) { return static_cast<uint8_t>(std::lround(v + (255 - v) * t)); };
  return {mix(c.r), mix(c.g), mix(c.b)};
}

// Below this luminance white text has more contrast than black.
constexpr double kDarkLuminance = 0.179;
constexpr double kReadableContrast = 4.5;

}  // namespace

double ContrastRatio(Rgb a, Rgb b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool IsDarkBackground(Rgb background) { return Luminance(background) < kDarkLuminance; }

Rgb ReadableOn(Rgb color, Rgb background) {
  if (!IsDarkBackground(background) || ContrastRatio(color, background) >= kReadableContrast) return color;
  // The least lightening that reads: contrast grows with t, so halve the range.
  double lo = 0, hi = 1;
  for (int step = 0; step < 20; ++step) {
    const double mid = (lo + hi) / 2;
    (ContrastRatio(TowardsWhite(color, mid), background) >= kReadableContrast ? hi : lo) = mid;
  }
  return TowardsWhite(color, hi);
}
