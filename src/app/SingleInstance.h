#pragma once
// One running program per desktop session (same user, same display): a second
// start hands its command line to the first over a local socket and ends.

#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

namespace orv {

/// The socket of a session: in runtimeDir (the user's private runtime folder),
/// named after the display, the Wayland one first. Different users and
/// different displays never share one.
QString InstanceSocketName(const QString& runtimeDir, const QString& waylandDisplay,
                           const QString& x11Display);
/// InstanceSocketName for this process's user and environment.
QString SessionSocketName();
/// runtimeDir when it is a folder of this user that no one else may enter; otherwise (missing,
/// another's, open to others) a private folder of our own in the user's cache, made 0700.
QString PrivateRuntimeFolder(const QString& runtimeDir);

/// The command line with a relative path made absolute against workingDir, so
/// the running program, started elsewhere, finds the same file.
QString AbsoluteCommandLine(const QString& commandLine, const QString& workingDir);

class SingleInstance : public QObject {
  public:
    explicit SingleInstance(QString socketName);
    ~SingleInstance() override;

    /// Hands commandLine to the running program and returns true when one
    /// took it; otherwise becomes the running program (removing a socket left
    /// behind by a crashed run) and returns false. A running program that is
    /// alive but busy is never replaced: its message is left for it, a line on
    /// standard error says so within a second, and the result is true.
    bool HandOffOrListen(const QString& commandLine, int timeoutMs = 3000);
    /// Hands commandLine to the running program; true when it answered.
    bool HandOff(const QString& commandLine, int timeoutMs = 3000);
    /// Starts listening; false when the socket cannot be made.
    bool Listen();
    bool Listening() const;
    /// Connections of later starts open now (never more than a few dozen).
    int Connections() const { return connections_; }

    /// Called with each command line a later start handed over, one at a time: never from
    /// inside itself, nor while Busy says so. Those that arrive meanwhile wait, and of several
    /// waiting only the last is taken (they all open in the one editor).
    std::function<void(const QString&)> Received;
    /// Whether hand-offs must wait now (a modal box or question is up); asked again shortly.
    std::function<bool()> Busy;
    /// Called before Received with how many waiting hand-offs were left out for a later one.
    std::function<void(int count)> LeftOut;
    /// Hand-offs taken but not yet passed to Received.
    std::size_t Waiting() const { return waiting_.size(); }

  private:
    /// Passes the waiting hand-offs on, unless one is being passed on or Busy says wait.
    void Deliver();
    enum class HandOffResult { NoProgram, Unanswered, Taken };
    HandOffResult HandOff(const QString& commandLine, int timeoutMs, int answerMs);

    QString name_;
    std::deque<QString> waiting_;
    static constexpr std::size_t kMaxWaiting = 64;  ///< hand-offs kept while they must wait
    std::size_t leftOutEarlier_ = 0;  ///< named ones dropped from the front of a full queue
    bool delivering_ = false;
    QTimer retry_;
    std::unique_ptr<QLocalServer> server_;
    std::unique_ptr<QLockFile> alive_;  // held while this is the running program
    HandOffResult lastResult_ = HandOffResult::NoProgram;
    int connections_ = 0;  // connections open now
};

}  // namespace orv
