#pragma once
// A main window on fake MIDI devices, with its settings in a registry file
// of a folder of its own and its message boxes collected.
#include "store/ProgramNames.h"
#include "mainwindow/MainWindow.h"
#include "widgets/TonecastApplication.h"
#include "fake/FakeMidiDriver.h"
#include "fake/FakeMidiInDriver.h"
#include "store/RegistryFile.h"

#include "TempDir.h"
#include "SentMessages.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
        out.devices = {"Synth"};
        TTonecastApplication::Instance()->MessageSink = [this](const QString& t) { messages.push_back(t.toStdString()); };
    }
    void TearDown() override {
        TTonecastApplication::Instance()->MessageSink = nullptr;
        ::unsetenv("XDG_CONFIG_HOME");
    }
    // A window shown and past its deferred start; what it sent while starting
    // is kept aside, the port's record starts empty.
    std::unique_ptr<TMainWindow> Start(JoystickDriver* joysticks = nullptr) {
        auto window = std::make_unique<TMainWindow>(names, out, in, joysticks);
        window->show();
        QApplication::processEvents();
        sentAtStart = SentMessages(out);
        out.sent.clear();
        return window;
    }
    // Writes into the settings file before a window starts.
    void StoreSettings(const std::function<void(TIniStore&)>& write) {
        TRegistryFileStore store(names.RegistryFilePath(), "HKEY_CURRENT_USER" + names.RegistryRoot());
        write(store);
        store.Close();
    }
    std::string SettingsText() const { return ReadFile(names.RegistryFilePath()); }

    TempDir dir;
    const TProgramNames names = TProgramNames::ForExecutable("/usr/bin/tonecast");
    FakeMidiOutDriver out;
    FakeMidiInDriver in;
    std::vector<std::string> messages;
    std::vector<std::tuple<int, int, int>> sentAtStart;
};
