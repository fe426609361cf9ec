#include "panel/PanelUpdate.h"

#include <QLocale>
#include <QTime>

#include <cmath>

#include "core/AppState.h"
#include "core/Clock.h"
#include "link/LiveDecoder.h"

bool digitImages(int v, std::array<std::uint8_t, 4>& d) {
    if (v >= 11000)
        return false;
    v = std::max(v, 0);
    d[0] = static_cast<std::uint8_t>(v / 1000);
    d[1] = static_cast<std::uint8_t>((v % 1000) / 100);
    d[2] = static_cast<std::uint8_t>((v % 100) / 10);
    d[3] = static_cast<std::uint8_t>(v % 10);
    if (d[0] != 1)
        d[0] = 10;
    return true;
}

int barWidth(float level) {
    int m = static_cast<int>(std::trunc((level - 30.0) * 0.5));
    if (m > 50)
        m = 50;
    return std::max(0, 2 * m + 1);
}

QString panelClockText(const QString& clockText) {
    const QString format = QLocale().timeFormat(QLocale::LongFormat);
    QChar sep = QLatin1Char(':');
    for (QChar c : format)
        if (!c.isLetter() && !c.isSpace()) {
            sep = c;
            break;
        }
    if (sep != QLatin1Char(':'))
        return clockText;
    const QTime t = QTime::fromString(clockText, QStringLiteral("hh:mm:ss"));
    return t.isValid() ? t.toString(QStringLiteral("hh:mm:ss")) : clockText;
}

namespace {
void showIfDifferent(PanelDisplay& p, PanelItem item, bool shown) {
    if (p.isShown(item) != shown)
        p.setShown(item, shown);
}

void textIfDifferent(PanelDisplay& p, PanelItem item, const QString& text) {
    if (p.text(item) != text)
        p.setText(item, text);
}

QString recText(const DecodedFrame& d) {
    if (d.meterRecording)
        return QStringLiteral("REC");
    return d.memoryFull ? QStringLiteral("FULL") : QString();
}

void stopBlink(ClockTimer& t) {
    if (t.isActive())
        t.stop();
}
}  // namespace

void showFrameOnPanel(AppState& st, const DecodedFrame& d, PanelDisplay& p,
                      ClockTimer& blinkTimer) {
    showIfDifferent(p, PanelItem::lblDate, st.ClockShown);
    showIfDifferent(p, PanelItem::lblTime, st.ClockShown);
    if (st.ReadMode) {
        showIfDifferent(p, PanelItem::lblReadNo, true);
        showIfDifferent(p, PanelItem::imgREAD, true);
        textIfDifferent(p, PanelItem::lblReadNo, QString::number(d.storedNumber));
    } else {
        showIfDifferent(p, PanelItem::lblReadNo, false);
        showIfDifferent(p, PanelItem::imgREAD, false);
    }
    if (d.seconds != st.ShownSeconds || st.ForceRedraw) {
        p.setText(PanelItem::lblTime, panelClockText(d.clockText));
        p.setText(PanelItem::lblDate, d.dateText);
        st.ShownSeconds = d.seconds;
    }
    std::array<std::uint8_t, 4> digits{};
    if (digitImages(d.displayValue, digits)) {
        for (int i = 0; i < 4; ++i) {
            if (digits[i] != st.ShownDigits[i] || st.ForceRedraw) {
                p.setDigit(i, digits[i]);
                st.ShownDigits[i] = digits[i];
            }
        }
    }
    if (d.status1 != st.ShownStatus[0] || d.status2 != st.ShownStatus[1] || st.ForceRedraw) {
        if (!d.maxMinMode) {
            stopBlink(blinkTimer);
            showIfDifferent(p, PanelItem::lblMAX, false);
            showIfDifferent(p, PanelItem::lblMIN, false);
        } else {
            switch (d.selection) {
                case 0x00:
                    stopBlink(blinkTimer);
                    break;
                case 0x04:
                    showIfDifferent(p, PanelItem::lblMAX, true);
                    showIfDifferent(p, PanelItem::lblMIN, false);
                    stopBlink(blinkTimer);
                    break;
                case 0x08:
                    showIfDifferent(p, PanelItem::lblMAX, false);
                    showIfDifferent(p, PanelItem::lblMIN, true);
                    stopBlink(blinkTimer);
                    break;
                default:
                    if (!blinkTimer.isActive())
                        blinkTimer.start();
                    break;
            }
        }
        p.setText(PanelItem::lblREC, recText(d));
        showIfDifferent(p, PanelItem::imgAutoOff, false);
        p.setText(PanelItem::lblFAST, d.fast ? QStringLiteral("FAST") : QStringLiteral("SLOW"));
        p.setText(PanelItem::lbldBA, d.weightingA ? QStringLiteral("dBA") : QStringLiteral("dBC"));
        showIfDifferent(p, PanelItem::imgUNDER, d.under);
        showIfDifferent(p, PanelItem::imgOVER, d.over);
        // A new panel shows no battery bar until told: the first frame draws it.
        if (st.BatteryLevel != st.ShownBattery || st.ForceRedraw) {
            for (PanelItem b : {PanelItem::imgBatBar0, PanelItem::imgBatBar1, PanelItem::imgBatBar2,
                                PanelItem::imgBatBar3})
                showIfDifferent(p, b, false);
            static constexpr PanelItem kBars[] = {PanelItem::imgBatBar0, PanelItem::imgBatBar1,
                                                  PanelItem::imgBatBar2, PanelItem::imgBatBar3};
            showIfDifferent(p, kBars[st.BatteryLevel & 3], true);
            st.ShownBattery = static_cast<std::uint8_t>(st.BatteryLevel);
        }
        st.ShownStatus = {d.status1, d.status2};
    }
    p.setText(PanelItem::lblREC, recText(d));
    p.setBarWidth(barWidth(d.level));
    st.ForceRedraw = false;
}
