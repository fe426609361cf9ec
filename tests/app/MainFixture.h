#pragma once

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include "app/Umain.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "sim/MeterEmulator.h"

// The main window on virtual time, with its settings and documents in a temporary folder and,
// when asked, the simulated meter as its only port.
class MainFixture : public ::testing::Test {
protected:
    void start(bool withMeter) {
        resetAppState();
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        dialogs->answers = startAnswers;
        Dialogs::install(std::move(scripted));
        MainOptions o;
        o.listSystemPorts = false;
        if (withMeter)
            o.simMeter = &meter;
        const QString ini = dir.filePath(QStringLiteral("NX330.ini"));
        o.openSettings = [ini] { return std::make_unique<QSettings>(ini, QSettings::IniFormat); };
        o.documentsFolder = dir.filePath(QStringLiteral("Documents"));
        o.service = service;
        SetUpOptions(o);
        main = std::make_unique<TfrmMain>(clock, o);
        main->resize(1100, 750);
        main->show();
        main->FormShow();
    }
    // Room for a fixture to change the options (a device opener of its own, say).
    virtual void SetUpOptions(MainOptions&) {}
    void TearDown() override {
        main.reset();
        resetAppState();
    }
    QSettings stored() const {
        return QSettings(dir.filePath(QStringLiteral("NX330.ini")), QSettings::IniFormat);
    }

    QTemporaryDir dir;
    bool service = false;                      // start as sonodesk --service
    std::deque<Dialogs::Answer> startAnswers;  // the answers to the questions of the start
    VirtualClock clock{46366.25};
    MeterEmulator meter{QDateTime(QDate(2026, 12, 10), QTime(6, 0, 0)), 11};
    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<TfrmMain> main;
};
