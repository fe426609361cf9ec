#include "core/Settings.h"

#include <QDir>
#include <QSettings>
#include <QtEndian>

#include <cmath>
#include <cstring>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "core/AppState.h"

namespace settings {

namespace {
const char* const kRate = "RealTimeRate";
const char* const kPort = "LastConnectedPort";
const char* const kModel = "LastConnectedModel";

int readInt(QSettings& store, const char* name, int fallback) {
    const QVariant v = store.value(QLatin1String(name));
    if (!v.isValid())
        return fallback;
    bool ok = false;
    int value = 0;
    if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::UInt ||
        v.typeId() == QMetaType::LongLong) {
        value = v.toInt(&ok);
    } else if (v.typeId() == QMetaType::QString) {
        // Text files hold every value as text: accept a plain decimal integer only.
        value = v.toString().toInt(&ok);
    }
    return ok ? value : fallback;
}

#ifdef Q_OS_WIN
// The registry holds "RealTimeRate" as REG_BINARY with the double's raw 8 bytes, as other
// programs read it; QSettings would store a byte array as text.
const wchar_t* const kRegistryKey = L"SOFTWARE\\NX330";

QByteArray readRegistryBinary(const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    BYTE buffer[16];
    DWORD type = 0;
    DWORD size = sizeof buffer;
    const LONG result = RegQueryValueExW(key, name, nullptr, &type, buffer, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_BINARY)
        return {};
    return QByteArray(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
}

void writeRegistryBinary(const wchar_t* name, const QByteArray& bytes) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRegistryKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.constData()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}
#endif

QByteArray readRateBytes(QSettings& store) {
#ifdef Q_OS_WIN
    if (store.format() == QSettings::NativeFormat)
        return readRegistryBinary(L"RealTimeRate");
#endif
    const QVariant v = store.value(QLatin1String(kRate));
    return v.typeId() == QMetaType::QByteArray ? v.toByteArray() : QByteArray();
}

void writeRateBytes(QSettings& store, const QByteArray& bytes) {
#ifdef Q_OS_WIN
    if (store.format() == QSettings::NativeFormat) {
        writeRegistryBinary(L"RealTimeRate", bytes);
        return;
    }
#endif
    store.setValue(QLatin1String(kRate), bytes);
}
}  // namespace

bool isValidRate(double rate) {
    return std::isfinite(rate) && rate >= 0 && rate <= kMaxRate;
}

QByteArray rateBytes(double rate) {
    quint64 bits = 0;
    std::memcpy(&bits, &rate, sizeof bits);
    QByteArray raw(8, '\0');
    qToLittleEndian(bits, raw.data());
    return raw;
}

double rateFromBytes(const QByteArray& raw) {
    if (raw.size() != 8)
        return kDefaultRate;
    const quint64 bits = qFromLittleEndian<quint64>(raw.constData());
    double d = 0;
    std::memcpy(&d, &bits, sizeof d);
    return isValidRate(d) ? d : kDefaultRate;
}

std::unique_ptr<QSettings> open() {
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\NX330"),
                                       QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("NX330"));
#endif
}

void read(QSettings& store, AppState& state) {
    const bool usable = store.status() == QSettings::NoError;
    state.SavedPortIndex = usable ? readInt(store, kPort, 0) : 0;
    // A port index is never negative; one past the list is clamped where the list is known.
    if (state.SavedPortIndex < 0)
        state.SavedPortIndex = 0;
    state.SavedModel = usable ? readInt(store, kModel, 410) : 410;
    state.RealTimeRate =
        static_cast<float>(usable ? rateFromBytes(readRateBytes(store)) : kDefaultRate);
}

void write(QSettings& store, const AppState& state) {
    const double rate = state.RealTimeRate;
    writeRateBytes(store, rateBytes(isValidRate(rate) ? rate : kDefaultRate));
    store.setValue(QLatin1String(kPort), state.PortIndex);
    store.setValue(QLatin1String(kModel), state.MeterModel);
    store.sync();
}

}  // namespace settings

DateFormatFacts dateFormatFacts(const QString& f) {
    DateFormatFacts facts;
    facts.separator = QStringLiteral("-");
    for (const char* s : {"/", "-", ".", ","}) {
        if (f.contains(QLatin1String(s))) {
            facts.separator = QLatin1String(s);
            break;
        }
    }
    // Part 1 runs up to and including the first separator, part 2 on to and including the
    // next one; either is empty when its separator is missing.
    const qsizetype first = f.indexOf(facts.separator);
    const QString part1 = first < 0 ? QString() : f.left(first + 1);
    QString part2;
    if (first >= 0) {
        const qsizetype second = f.indexOf(facts.separator, first + 1);
        if (second >= 0)
            part2 = f.mid(first + 1, second - first);
    }
    // The month letter counts in either case: Qt writes it as "M".
    auto hasMonth = [](const QString& s) {
        return s.contains(QLatin1Char('m'), Qt::CaseInsensitive);
    };
    if (part1.contains(QLatin1Char('d')))
        facts.order = 1;
    else if (hasMonth(part1))
        facts.order = 2;
    else if (part1.contains(QLatin1Char('y')))
        facts.order = hasMonth(part2) ? 3 : 4;
    else
        facts.order = 2;
    return facts;
}

QString dataFolderFor(const QString& documentsFolder) {
    if (documentsFolder.isEmpty())
        return {};
    QString docs = QDir::fromNativeSeparators(documentsFolder);
    if (!docs.endsWith(QLatin1Char('/')))
        docs += QLatin1Char('/');
    const QString folder = docs + QStringLiteral("NX410/");
    if (QDir().mkpath(folder) && QFileInfo(folder).isDir())
        return folder;
    return docs;
}
