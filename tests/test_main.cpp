#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    // Test discovery runs this binary at build time without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Each test process gets a home of its own: tests run in parallel and must not see one
    // another's templates, settings and journals (nor the user's).
    QTemporaryDir home;
    if (home.isValid()) {
        qputenv("HOME", home.path().toLocal8Bit());
        for (const char* name :
             {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
            qunsetenv(name);
    }
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    // Dates, times and numbers in the tests are written as this locale writes them.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
