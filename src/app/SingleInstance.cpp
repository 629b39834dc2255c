#include "app/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "app/HandOff.h"
#include "platform/FolderFiles.h"
#include "platform/PathBytes.h"
#include "shell/App.h"

namespace orv {

namespace {
// A command line travels as one escaped line (HandOff.h); the running program
// answers "ok\n" once it has taken it.
constexpr char kAnswer[] = "ok\n";
// A message must arrive whole this soon after its connection is taken, and no more
// connections than this are kept open at once; the rest are closed as they come.
constexpr int kMessageMs = 5000;
constexpr int kMaxConnections = 32;
// How long a second start waits for a running program that is known to be alive before it
// says it is busy and leaves its message in the socket for it.
constexpr int kBusyAnswerMs = 1000;

QString Sanitised(const QString& text) {
    QString out;
    for (QChar c : text)
        out += c.isLetterOrNumber() || c == QLatin1Char('-') ? c : QLatin1Char('_');
    return out;
}
}  // namespace

QString InstanceSocketName(const QString& runtimeDir, const QString& waylandDisplay,
                           const QString& x11Display) {
    const QString display = !waylandDisplay.isEmpty() ? QStringLiteral("wl-") + waylandDisplay
                                                      : QStringLiteral("x-") + x11Display;
    return runtimeDir + QStringLiteral("/orvane-") + Sanitised(display);
}

QString PrivateRuntimeFolder(const QString& runtimeDir) {
    // Qt's sockets and lock files take only names Qt can spell, never one that is not UTF-8.
    if (!HoldsEscapedBytes(runtimeDir) && IsPrivateFolder(runtimeDir)) return runtimeDir;
    // No runtime folder, or one that someone else made or may enter: a folder of our own
    // in the user's cache instead, never a path at the root.
    QString cache = EnvironmentPath("XDG_CACHE_HOME");
    if (cache.isEmpty() || QDir::isRelativePath(cache))
        cache = HomeFolderPath() + QStringLiteral("/.cache");
    const QString own = cache + QStringLiteral("/orvane-runtime");
    if (!HoldsEscapedBytes(own)) {
        MakePrivateFolders(own);
        return own;
    }
    // A home whose name is not UTF-8: one of the user's own in /tmp, when no one else has
    // taken its name. Else the cache's, where no socket can be made: the program then runs
    // on its own rather than beside someone else's socket.
    const QString temporary = PrivateTemporaryFolder(QStringLiteral("orvane-runtime"));
    return temporary.isEmpty() ? own : temporary;
}

QString SessionSocketName() {
    // Qt makes the runtime folder private to the user (0700), also where it falls back from
    // XDG_RUNTIME_DIR to a folder of its own; where it finds none it may use, ours is taken.
    return InstanceSocketName(
        PrivateRuntimeFolder(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)),
        qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("DISPLAY"));
}

QString AbsoluteCommandLine(const QString& commandLine, const QString& workingDir) {
    const QString path = StripQuotes(commandLine);
    if (path.isEmpty() || !QFileInfo(path).isRelative()) return commandLine;
    return QDir::cleanPath(QDir(workingDir).absoluteFilePath(path));
}

SingleInstance::SingleInstance(QString socketName) : name_(std::move(socketName)) {
    retry_.setSingleShot(true);
    retry_.setInterval(100);
    QObject::connect(&retry_, &QTimer::timeout, this, [this] { Deliver(); });
}
SingleInstance::~SingleInstance() {
    server_.reset();  // its sockets go while the count they keep is still here
}

bool SingleInstance::Listening() const {
    return server_ && server_->isListening();
}

bool SingleInstance::HandOffOrListen(const QString& commandLine, int timeoutMs) {
    // Two starts at the same moment: the lock lets one become the running
    // program before the other looks. A lock left by a dead process is stale.
    QLockFile lock(name_ + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    lock.tryLock(timeoutMs);
    // The running program holds this one for as long as it lives, so a start can tell a busy
    // program from one that is gone.
    auto alive = std::make_unique<QLockFile>(name_ + QStringLiteral(".alive"));
    alive->setStaleLockTime(0);
    if (!alive->tryLock(0) && alive->error() == QLockFile::LockFailedError) {
        if (HandOff(commandLine, timeoutMs, kBusyAnswerMs) == HandOffResult::Taken) return true;
        if (lastResult_ == HandOffResult::Unanswered) {
            std::fprintf(stderr,
                         "orvane: the running program is busy; it takes this start's file when "
                         "it is free.\n");
        } else {
            std::fprintf(stderr,
                         "orvane: a program is running in this session but cannot be reached "
                         "at %s; nothing was opened.\n",
                         qPrintable(name_));
        }
        return true;  // never a second program beside a living one
    }
    if (HandOff(commandLine, timeoutMs)) return true;
    alive_ = std::move(alive);
    Listen();
    return false;
}

bool SingleInstance::HandOff(const QString& commandLine, int timeoutMs) {
    return HandOff(commandLine, timeoutMs, timeoutMs) == HandOffResult::Taken;
}

SingleInstance::HandOffResult SingleInstance::HandOff(const QString& commandLine, int timeoutMs,
                                                      int answerMs) {
    lastResult_ = HandOffResult::NoProgram;
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(timeoutMs)) return lastResult_;
    socket.write(EncodeHandOff(commandLine));
    if (!socket.waitForBytesWritten(timeoutMs)) return lastResult_;
    // From here the message sits in the socket: a busy program still finds it.
    lastResult_ = HandOffResult::Unanswered;
    QByteArray answer;
    while (!answer.endsWith('\n') && answer.size() < 16 && socket.waitForReadyRead(answerMs))
        answer += socket.readAll();
    if (answer == kAnswer) lastResult_ = HandOffResult::Taken;
    return lastResult_;
}

bool SingleInstance::Listen() {
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    server_->setMaxPendingConnections(kMaxConnections);
    // Nobody answered on the socket: whatever is there was left by a crashed run.
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_)) return false;
    QObject::connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            const auto drop = [socket] {
                socket->abort();
                socket->deleteLater();
            };
            if (connections_ >= kMaxConnections) {
                drop();
                continue;
            }
            ++connections_;
            QObject::connect(socket, &QObject::destroyed, this, [this] { --connections_; });
            // Qt stops reading from the socket once this much waits unread.
            socket->setReadBufferSize(kMaxHandOffBytes);
            auto* deadline = new QTimer(socket);
            deadline->setSingleShot(true);
            QObject::connect(deadline, &QTimer::timeout, socket, drop);
            deadline->start(kMessageMs);
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, this, [this, socket, drop] {
                if (!socket->canReadLine()) {
                    if (socket->bytesAvailable() >= kMaxHandOffBytes) drop();  // no line end
                    return;
                }
                // The read buffer holds at most kMaxHandOffBytes, so the line is bounded.
                const std::optional<QString> text = DecodeHandOff(socket->readLine().chopped(1));
                if (!text) {
                    drop();
                    return;
                }
                socket->write(kAnswer);
                socket->flush();
                socket->disconnectFromServer();
                // Only the last named one opens: a flood keeps a bounded tail and a count.
                if (waiting_.size() >= kMaxWaiting) {
                    if (!waiting_.front().trimmed().isEmpty()) ++leftOutEarlier_;
                    waiting_.pop_front();
                }
                waiting_.push_back(*text);
                Deliver();
            });
        }
    });
    return true;
}

void SingleInstance::Deliver() {
    if (delivering_ || waiting_.empty()) return;
    if (Busy && Busy()) {
        if (!retry_.isActive()) retry_.start();
        return;
    }
    // Only a hand-off that names something opens it; of those, the last one wins.
    QString text = waiting_.back();
    int named = 0;
    for (auto it = waiting_.rbegin(); it != waiting_.rend(); ++it) {
        if (it->trimmed().isEmpty()) continue;
        if (named++ == 0) text = *it;
    }
    const int leftOut = std::max(0, named - 1) + int(std::exchange(leftOutEarlier_, 0));
    waiting_.clear();
    delivering_ = true;
    if (leftOut > 0 && LeftOut) LeftOut(leftOut);
    if (Received) Received(text);
    delivering_ = false;
    // What came while this one was open is taken from the event loop, not from in here.
    if (!waiting_.empty() && !retry_.isActive()) retry_.start(0);
}

}  // namespace orv
