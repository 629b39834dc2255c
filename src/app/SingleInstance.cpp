#include "app/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <algorithm>

#include "shell/App.h"

namespace orv {

namespace {
// A command line travels as UTF-8 ending in a newline; the running program
// answers "ok\n" once it has taken it.
constexpr char kAnswer[] = "ok\n";

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

QString SessionSocketName() {
    // Qt makes the runtime folder private to the user (0700), also where it
    // falls back from XDG_RUNTIME_DIR to a folder of its own.
    return InstanceSocketName(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation),
                              qEnvironmentVariable("WAYLAND_DISPLAY"),
                              qEnvironmentVariable("DISPLAY"));
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
SingleInstance::~SingleInstance() = default;

bool SingleInstance::Listening() const {
    return server_ && server_->isListening();
}

bool SingleInstance::HandOffOrListen(const QString& commandLine, int timeoutMs) {
    // Two starts at the same moment: the lock lets one become the running
    // program before the other looks. A lock left by a dead process is stale.
    QLockFile lock(name_ + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    lock.tryLock(timeoutMs);
    if (HandOff(commandLine, timeoutMs)) return true;
    Listen();
    return false;
}

bool SingleInstance::HandOff(const QString& commandLine, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(timeoutMs)) return false;
    QByteArray message = commandLine.toUtf8();
    message.replace('\n', ' ');
    socket.write(message + '\n');
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    QByteArray answer;
    while (!answer.endsWith('\n') && socket.waitForReadyRead(timeoutMs)) answer += socket.readAll();
    return answer == kAnswer;
}

bool SingleInstance::Listen() {
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Nobody answered on the socket: whatever is there was left by a crashed run.
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_)) return false;
    QObject::connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine()) return;
                const QString text = QString::fromUtf8(socket->readLine()).chopped(1);
                socket->write(kAnswer);
                socket->flush();
                socket->disconnectFromServer();
                waiting_.push_back(text);
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
    const int leftOut = std::max(0, named - 1);
    waiting_.clear();
    delivering_ = true;
    if (leftOut > 0 && LeftOut) LeftOut(leftOut);
    if (Received) Received(text);
    delivering_ = false;
    // What came while this one was open is taken from the event loop, not from in here.
    if (!waiting_.empty() && !retry_.isActive()) retry_.start(0);
}

}  // namespace orv
