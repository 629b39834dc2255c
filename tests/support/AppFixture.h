#pragma once
// A test fixture with an application on the fake desktop at 15 twips per
// pixel on a 1920 x 1080 screen.

#include <gtest/gtest.h>

#include "FakeDesktop.h"
#include "editor/Form1.h"
#include "platform/Screen.h"
#include "shell/App.h"
#include "shell/Form2.h"
#include "shell/form3.h"

namespace orv::test {

class AppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Screen() = ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f};
        app = std::make_unique<App>(desktop, commandLine);
    }
    /// Restarts the application with a command line.
    void StartWith(const QString& cmd) {
        commandLine = cmd;
        app = std::make_unique<App>(desktop, commandLine);
        app->Start();
    }
    Form1& ed() { return app->Editor(); }

    FakeDesktop desktop;
    QString commandLine;
    std::unique_ptr<App> app;
};

/// A left-button event at (x, y) twips.
inline MouseEvent Left(float x, float y) {
    return MouseEvent{1, 0, x, y};
}
inline MouseEvent Right(float x, float y) {
    return MouseEvent{2, 0, x, y};
}

}  // namespace orv::test
