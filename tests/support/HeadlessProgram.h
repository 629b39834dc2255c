#pragma once
// Runs the built program as CI starts it: no display, no Qt platform chosen.
// Needs ORVANE_BINARY, the path of the program, defined for the test target.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QProcess>
#include <QStringList>

namespace orv::test {

/// How the program ended: its exit status (-1 after a crash) and what it printed.
struct Outcome {
    int status = -1;
    QByteArray out, err;
};

/// This process's environment without a display, so that the program runs headless.
inline QProcessEnvironment HeadlessEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return env;
}

inline Outcome RunHeadless(const QStringList& args) {
    QProcess process;
    process.setProcessEnvironment(HeadlessEnvironment());
    process.start(QStringLiteral(ORVANE_BINARY), args);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

}  // namespace orv::test
