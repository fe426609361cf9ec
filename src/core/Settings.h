#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QSettings;
struct AppState;

// The three persisted values, kept under "\SOFTWARE\NX330": in the registry on Windows, in a
// configuration file in the user's configuration folder elsewhere.
namespace settings {

// The settings store this program uses.
std::unique_ptr<QSettings> open();

// Reads "LastConnectedPort", "LastConnectedModel" and "RealTimeRate"; each falls back to its
// default on its own when missing or of the wrong type.
void read(QSettings& store, AppState& state);
// Writes the three values; a failed write does not stop the others.
void write(QSettings& store, const AppState& state);

inline constexpr double kDefaultRate = 0.2;
// A day between two samples is the longest interval anyone types.
inline constexpr double kMaxRate = 86400.0;
// A sampling interval the program can use: finite, 0..kMaxRate seconds.
bool isValidRate(double rate);
// "RealTimeRate" as stored: the 8 bytes of the IEEE double, little-endian.
QByteArray rateBytes(double rate);
// The rate those bytes hold; the default when they are not 8 bytes or not a valid rate.
double rateFromBytes(const QByteArray& raw);

}  // namespace settings

// Separator and order of day, month and year of a short date format.
struct DateFormatFacts {
    QString separator;
    int order = 2;  // 1 day first, 2 month first, 3 year-month-day, 4 year-day-month
};
DateFormatFacts dateFormatFacts(const QString& shortFormat);

// documentsFolder + "NX410/", created with its parents when missing; the documents folder with a
// trailing separator when that cannot be made; empty when documentsFolder is empty.
QString dataFolderFor(const QString& documentsFolder);
