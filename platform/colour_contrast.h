#pragma once
// Colours that stay readable on whatever background the desktop's palette
// gives: the WCAG contrast of two colours, and a colour lightened within its
// own hue until it reads on a dark background.

#include <cstdint>

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// WCAG contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double ContrastRatio(Rgb a, Rgb b);

// Whether white reads better than black on the background.
bool IsDarkBackground(Rgb background);

// The colour as drawn on this background: exactly the colour on a light
// background, and on a dark one the same hue lightened just enough for a
// contrast of at least 4.5:1.
Rgb ReadableOn(Rgb color, Rgb background);
