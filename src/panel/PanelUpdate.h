#pragma once

#include <QString>

#include <array>
#include <cstdint>

class ClockTimer;
struct AppState;
struct DecodedFrame;

// The elements of the panel's display that a live frame drives.
enum class PanelItem {
    lblMAX,
    lblMIN,
    lblFAST,
    lbldBA,
    lblREC,
    lblTime,
    lblDate,
    lblReadNo,
    imgREAD,
    imgUNDER,
    imgOVER,
    imgBatBar0,
    imgBatBar1,
    imgBatBar2,
    imgBatBar3,
    imgAutoOff,
    lblNoConnection,
};

// What the decoder draws on; the panel window implements it.
class PanelDisplay {
public:
    virtual ~PanelDisplay() = default;
    virtual void setDigit(int place, int image) = 0;  // place 0..3, LCD image 0..15
    virtual bool isShown(PanelItem item) const = 0;
    virtual void setShown(PanelItem item, bool shown) = 0;
    virtual QString text(PanelItem item) const = 0;
    virtual void setText(PanelItem item, const QString& text) = 0;
    virtual void setBarWidth(int width) = 0;
};

// Digit rule: the LCD images of the four places for V tenths of a dB; false (places untouched)
// for 11000 and above. The first place shows a 1 or nothing.
bool digitImages(int value, std::array<std::uint8_t, 4>& places);

// Bar rule: 2m + 1 pixels with m = (L - 30) / 2 truncated and at most 50; empty below 29 dB.
int barWidth(float level);

// The clock text as the panel shows it: a valid time in "hh:mm:ss" with the locale's time
// separator, anything else as it came.
QString panelClockText(const QString& clockText);

// Step 4 of DecodeLiveFrame: brings the panel up to date with one frame, redrawing only what
// changed (all of it while ForceRedraw is set), and starts or stops the MAX/MIN blink.
void showFrameOnPanel(AppState& state, const DecodedFrame& frame, PanelDisplay& panel,
                      ClockTimer& blinkTimer);
