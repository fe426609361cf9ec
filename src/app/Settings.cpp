#include "app/Settings.h"

#include <QDir>
#include <QSettings>
#include <QtEndian>

#include <cstring>

#include "app/AppState.h"

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

double readRate(QSettings& store) {
    const QVariant v = store.value(QLatin1String(kRate));
    if (v.typeId() != QMetaType::QByteArray)
        return 0.2;
    const QByteArray raw = v.toByteArray();
    if (raw.size() != 8)
        return 0.2;
    // The 8 bytes of an IEEE double, little-endian as the registry holds it.
    const quint64 bits = qFromLittleEndian<quint64>(raw.constData());
    double d = 0;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}
}  // namespace

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
    state.SavedModel = usable ? readInt(store, kModel, 410) : 410;
    state.RealTimeRate = static_cast<float>(usable ? readRate(store) : 0.2);
}

void write(QSettings& store, const AppState& state) {
    const double rate = state.RealTimeRate;
    quint64 bits = 0;
    std::memcpy(&bits, &rate, sizeof bits);
    QByteArray raw(8, '\0');
    qToLittleEndian(bits, raw.data());
    store.setValue(QLatin1String(kRate), raw);
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
