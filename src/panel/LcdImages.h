#pragma once

#include <QImage>

// The 16 LCD digit pictures (17 x 28): 0..9 slanted seven-segment digits, 10 blank, 11 and 12 a
// dash, 13 L, 14 E, 15 r; dark segments on a transparent ground. Made at start-up, freed at close.
namespace LcdImages {
inline constexpr int kCount = 16;
inline constexpr int kWidth = 17;
inline constexpr int kHeight = 28;

void load();
void release();
bool loaded();
const QImage& image(int index);
// Draws one LCD picture; used by load().
QImage draw(int index);
}  // namespace LcdImages
