#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cmath>
#include <limits>

#include "core/AppState.h"
#include "core/LocaleText.h"
#include "core/Settings.h"
#include "core/TDateTime.h"

namespace {
struct Store {
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("NX330.ini")); }
    QSettings open() const { return QSettings(path(), QSettings::IniFormat); }
};
}  // namespace

TEST(Settings, RoundTrip) {
    Store store;
    AppState out;
    out.RealTimeRate = 0.5f;
    out.PortIndex = 3;
    out.MeterModel = 410;
    {
        QSettings s(store.path(), QSettings::IniFormat);
        settings::write(s, out);
    }
    AppState in;
    QSettings s(store.path(), QSettings::IniFormat);
    settings::read(s, in);
    EXPECT_FLOAT_EQ(in.RealTimeRate, 0.5f);
    EXPECT_EQ(in.SavedPortIndex, 3);
    EXPECT_EQ(in.SavedModel, 410);
    EXPECT_EQ(s.value(QStringLiteral("RealTimeRate")).toByteArray().size(), 8);
}

TEST(Settings, MissingOrMalformedValuesFallBackEachOnItsOwn) {
    struct Case {
        const char* name;
        QVariant rate, port, model;
        float wantRate;
        int wantPort, wantModel;
    } cases[] = {
        {"missing key", {}, {}, {}, 0.2f, 0, 410},
        {"rate of another type", QStringLiteral("0.5"), 2, 411, 0.2f, 2, 411},
        {"rate of another length", QByteArray(4, '\0'), 1, {}, 0.2f, 1, 410},
        {"port that is no integer", {}, QStringLiteral("COM3"), 410, 0.2f, 0, 410},
        {"rate that is not a number", settings::rateBytes(std::nan("")), {}, {}, 0.2f, 0, 410},
        {"rate that is infinite", settings::rateBytes(HUGE_VAL), {}, {}, 0.2f, 0, 410},
        {"negative rate", settings::rateBytes(-1.0), {}, {}, 0.2f, 0, 410},
        {"rate beyond a day", settings::rateBytes(1e9), {}, {}, 0.2f, 0, 410},
        {"typed rate", settings::rateBytes(7.5), -3, {}, 7.5f, 0, 410},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Store store;
        {
            QSettings s(store.path(), QSettings::IniFormat);
            if (c.rate.isValid())
                s.setValue(QStringLiteral("RealTimeRate"), c.rate);
            if (c.port.isValid())
                s.setValue(QStringLiteral("LastConnectedPort"), c.port);
            if (c.model.isValid())
                s.setValue(QStringLiteral("LastConnectedModel"), c.model);
        }
        AppState in;
        QSettings s(store.path(), QSettings::IniFormat);
        settings::read(s, in);
        EXPECT_FLOAT_EQ(in.RealTimeRate, c.wantRate);
        EXPECT_EQ(in.SavedPortIndex, c.wantPort);
        EXPECT_EQ(in.SavedModel, c.wantModel);
    }
}

TEST(Settings, RateIsTheRawBytesOfTheDoubleAndNeverWrittenInvalid) {
    // 0.5 as an IEEE double, little-endian: what other programs read from the registry.
    EXPECT_EQ(settings::rateBytes(0.5), QByteArray::fromHex("000000000000e03f"));
    EXPECT_EQ(settings::rateFromBytes(QByteArray::fromHex("000000000000e03f")), 0.5);
    Store store;
    AppState out;
    out.RealTimeRate = std::numeric_limits<float>::quiet_NaN();
    {
        QSettings s(store.path(), QSettings::IniFormat);
        settings::write(s, out);
    }
    QSettings s(store.path(), QSettings::IniFormat);
    EXPECT_EQ(s.value(QStringLiteral("RealTimeRate")).toByteArray(), settings::rateBytes(0.2));
}

TEST(DateFormat, SeparatorAndOrder) {
    struct Case {
        const char* format;
        const char* separator;
        int order;
    } cases[] = {
        {"dd/MM/yyyy", "/", 1}, {"M/d/yyyy", "/", 2},   {"yyyy-MM-dd", "-", 3},
        {"yyyy.mm.dd", ".", 3}, {"yyyy.MM.dd", ".", 3}, {"yyyy-dd-MM", "-", 4},
        {"dd.MM.yy", ".", 1},   {"d,M,yyyy", ",", 1},   {"yyyyMMdd", "-", 2},
    };
    for (const Case& c : cases) {
        const DateFormatFacts f = dateFormatFacts(QString::fromLatin1(c.format));
        EXPECT_EQ(f.separator, QLatin1String(c.separator)) << c.format;
        EXPECT_EQ(f.order, c.order) << c.format;
    }
}

TEST(DataFolder, NormalMissingAndImpossible) {
    QTemporaryDir tmp;
    const QString docs = tmp.filePath(QStringLiteral("Documents"));
    EXPECT_EQ(dataFolderFor(QString()), QString());

    // A documents folder that does not exist yet is made with the data folder.
    EXPECT_EQ(dataFolderFor(docs), docs + QStringLiteral("/NX410/"));
    EXPECT_TRUE(QDir(docs + QStringLiteral("/NX410")).exists());
    EXPECT_EQ(dataFolderFor(docs + QLatin1Char('/')), docs + QStringLiteral("/NX410/"));

    // A file where the folder should be: fall back to the documents folder.
    const QString blocked = tmp.filePath(QStringLiteral("Blocked"));
    QDir().mkpath(blocked);
    QFile file(blocked + QStringLiteral("/NX410"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(dataFolderFor(blocked), blocked + QLatin1Char('/'));
}

TEST(TDateTimeTest, DaysSince1899AndExactMilliseconds) {
    EXPECT_DOUBLE_EQ(tdt::fromDateTime(QDate(1899, 12, 30), QTime(0, 0)), 0.0);
    EXPECT_DOUBLE_EQ(tdt::fromDateTime(QDate(1900, 1, 1), QTime(12, 0)), 2.5);
    EXPECT_DOUBLE_EQ(tdt::fromDateTime(QDate(2026, 12, 10), QTime(6, 0)), 46366.25);
    for (const QTime t : {QTime(0, 0, 0, 1), QTime(10, 15, 30, 123), QTime(23, 59, 59, 999)}) {
        const TDateTime v = tdt::fromDateTime(QDate(2026, 3, 29), t);  // a DST change day here
        EXPECT_EQ(tdt::timePart(v), t);
        EXPECT_EQ(tdt::datePart(v), QDate(2026, 3, 29));
    }
}

TEST(LocaleTextTest, OnlyFiniteNumbersAreNumbers) {
    for (const QLocale& l :
         {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German)}) {
        QLocale::setDefault(l);
        for (const char* text : {"nan", "inf", "-inf", "1e999", ""}) {
            bool ok = true;
            localetext::toDouble(QLatin1String(text), &ok);
            EXPECT_FALSE(ok) << text;
        }
        bool ok = false;
        EXPECT_EQ(localetext::toDouble(l.toString(0.5), &ok), 0.5);
        EXPECT_TRUE(ok);
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}
