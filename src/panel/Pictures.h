#pragma once

#include <QPixmap>
#include <QRect>

// The pictures of the control panel, drawn in code: the meter's front and the LCD indicators.
namespace pictures {

// Where the keys sit on the panel (client pixels); the front is drawn around these.
struct KeyArea {
    const char* name;
    QRect rect;
    const char* legend;
};
const KeyArea* keyAreas(int* count);

// The meter's front, 214 x 599, for imgPanel at (0, 4).
QPixmap meterFront();
// The bar graph picture, 101 x 9: a dark bar with tick marks.
QPixmap barPicture();
QPixmap readWord();               // 30 x 12
QPixmap underWord();              // 21 x 7, light on dark
QPixmap overWord();               // 17 x 7, light on dark
QPixmap battery(int bars);        // 22 x 12
QPixmap clockSymbol();            // 7 x 7
QPixmap memWord();                // 27 x 12
QPixmap titleButton(bool close);  // 16 x 14

}  // namespace pictures
