#pragma once
// For tests that kill a child at random moments of its work: the child is this test binary
// run again with an environment variable that makes a static initializer do the work, and it
// says when it has started, so a loaded machine's slow start-up never eats the pause.

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <string>
#include <vector>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orv::test {

/// The file a child makes once it runs (named by ORVANE_CHILD_STARTED).
inline void SayChildStarted() {
    const QByteArray path = qgetenv("ORVANE_CHILD_STARTED");
    if (!path.isEmpty()) QFile(QString::fromLocal8Bit(path)).open(QIODevice::WriteOnly);
}

/// Starts this binary again with `env` added and waits until it says it runs; then sleeps
/// `pauseUs` and kills it. False when it could not be started or never said so.
inline bool RunAndKill(const std::string& env, const QString& startedFile, unsigned pauseUs) {
    QFile::remove(startedFile);
    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    const std::string started = "ORVANE_CHILD_STARTED=" + startedFile.toStdString();
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e) envp.push_back(*e);
    envp.push_back(const_cast<char*>(env.c_str()));
    envp.push_back(const_cast<char*>(started.c_str()));
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(self.c_str()), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, self.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return false;
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(startedFile) && clock.elapsed() < 20000) ::usleep(2000);
    const bool ran = QFile::exists(startedFile);
    ::usleep(pauseUs);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return ran;
}

}  // namespace orv::test
