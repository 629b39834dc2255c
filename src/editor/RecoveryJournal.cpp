#include "editor/RecoveryJournal.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QJsonDocument>
#include <QJsonObject>

#include "annotations/AnnotationJson.h"
#include "editor/Form1.h"
#include "editor/OpenCommands.h"
#include "platform/PathBytes.h"
#include "platform/ReplacingFile.h"
#include "platform/Screen.h"

namespace orv {

namespace {

constexpr char kManifest[] = "journal.json";

QString PictureName(std::uint64_t id) {
    return QStringLiteral("picture-%1.png").arg(id);
}

bool WriteWhole(const QString& path, const QByteArray& bytes, QString& why) {
    ReplacingFile file(StdBytesOfPath(path));
    FileStatus status = file.Open();
    if (status.ok()) status = file.WriteAt(0, bytes.constData(), std::size_t(bytes.size()));
    if (status.ok()) status = file.Commit();
    if (!status.ok()) why = QString::fromStdString(status.message);
    return status.ok();
}

}  // namespace

bool RecoveryJournal::Write(const JournalEntry& entry, QString& why) {
    if (!QDir().mkpath(folder_)) {
        why = QStringLiteral("cannot make ") + folder_;
        return false;
    }
    QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString pictureName = PictureName(entry.pictureId);
    const QString picturePath = folder_ + QLatin1Char('/') + pictureName;
    // Pictures of writes killed before their manifest: neither the journal's nor this one.
    const QDir dir(folder_);
    QFile current(dir.filePath(QLatin1String(kManifest)));
    const QString named = current.open(QIODevice::ReadOnly) && current.size() < 64 * 1024 * 1024
                              ? QJsonDocument::fromJson(current.readAll())
                                    .object()
                                    .value(QStringLiteral("picture"))
                                    .toString()
                              : QString();
    for (const QString& old : dir.entryList({QStringLiteral("picture-*.png")}, QDir::Files))
        if (old != named && old != pictureName) QFile::remove(dir.filePath(old));
    if (!QFile::exists(picturePath)) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        writer.setCompression(1);  // fast: the copy is read back only after a loss
        if (entry.picture.isNull() || !writer.write(entry.picture)) {
            why = QStringLiteral("cannot encode the picture");
            return false;
        }
        if (!WriteWhole(picturePath, png, why)) return false;
    }
    QJsonObject manifest;
    manifest[QStringLiteral("version")] = kJournalVersion;
    manifest[QStringLiteral("written")] = entry.written.toUTC().toString(Qt::ISODateWithMs);
    manifest[QStringLiteral("picture")] = pictureName;
    manifest[QStringLiteral("annotations")] =
        QJsonDocument::fromJson(entry.annotationsJson).object();
    if (!WriteWhole(folder_ + QLatin1Char('/') + QLatin1String(kManifest),
                    QJsonDocument(manifest).toJson(QJsonDocument::Compact), why))
        return false;
    // Only now may the pictures of earlier states go: the manifest no longer names them.
    for (const QString& old : dir.entryList({QStringLiteral("picture-*.png")}, QDir::Files))
        if (old != pictureName) QFile::remove(dir.filePath(old));
    return true;
}

void RecoveryJournal::Remove() {
    QDir dir(folder_);
    if (!dir.exists()) return;
    // The manifest first: without it what is left is no journal.
    QFile::remove(dir.filePath(QLatin1String(kManifest)));
    for (const QString& old : dir.entryList({QStringLiteral("picture-*.png")}, QDir::Files))
        QFile::remove(dir.filePath(old));
    QDir().rmdir(folder_);
}

JournalRead RecoveryJournal::Read(JournalContent& out, QString& why) const {
    QFile file(folder_ + QLatin1Char('/') + QLatin1String(kManifest));
    if (!file.exists()) return JournalRead::Absent;
    if (!file.open(QIODevice::ReadOnly) || file.size() > 64 * 1024 * 1024) {
        why = QStringLiteral("its list of contents cannot be read");
        return JournalRead::Damaged;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    const QJsonObject manifest = doc.object();
    if (error.error != QJsonParseError::NoError || !doc.isObject() ||
        manifest.value(QStringLiteral("version")).toInt() != kJournalVersion) {
        why = QStringLiteral("its list of contents is damaged");
        return JournalRead::Damaged;
    }
    const QString pictureName = manifest.value(QStringLiteral("picture")).toString();
    if (pictureName.contains(QLatin1Char('/')) ||
        !pictureName.startsWith(QLatin1String("picture-"))) {
        why = QStringLiteral("it names no picture of its own");
        return JournalRead::Damaged;
    }
    QImageReader reader(folder_ + QLatin1Char('/') + pictureName, "png");
    const QImage picture = reader.read();
    if (picture.isNull()) {
        why = QStringLiteral("its picture cannot be read");
        return JournalRead::Damaged;
    }
    AnnotationSnapshot annotations;
    const QByteArray json = QJsonDocument(manifest.value(QStringLiteral("annotations")).toObject())
                                .toJson(QJsonDocument::Compact);
    if (AnnotationsFromJson(json, annotations, why) != AnnotationJsonError::None)
        return JournalRead::Damaged;
    const QDateTime written = QDateTime::fromString(
        manifest.value(QStringLiteral("written")).toString(), Qt::ISODateWithMs);
    out.picture = picture;
    out.annotations = std::move(annotations);
    out.written = written.isValid() ? written.toLocalTime() : QFileInfo(file).lastModified();
    return JournalRead::Read;
}

QString RecoveryJournal::SetAside() {
    const QString aside =
        folder_ + QStringLiteral(".damaged-") +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-hhmmsszzz"));
    return QDir().rename(folder_, aside) ? aside : folder_;
}

JournalWriter::JournalWriter(QString folder)
    : journal_(std::move(folder)), thread_([this] { Run(); }) {}

JournalWriter::~JournalWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void JournalWriter::Post(JournalEntry entry) {
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(entry);
    }
    wake_.notify_all();
}

void JournalWriter::PostRemove() {
    {
        std::lock_guard lock(mutex_);
        pending_.reset();
        removePending_ = true;
    }
    wake_.notify_all();
}

void JournalWriter::Flush() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !busy_ && !pending_ && !removePending_; });
}

QString JournalWriter::LastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

void JournalWriter::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || pending_ || removePending_; });
        if (!pending_ && !removePending_) return;  // stopping, and nothing left to do
        const bool remove = removePending_;
        std::optional<JournalEntry> entry = std::move(pending_);
        pending_.reset();
        removePending_ = false;
        busy_ = true;
        lock.unlock();
        if (remove) journal_.Remove();
        // A failed write leaves the journal on disk as it was before; the error is kept.
        QString why;
        if (entry) journal_.Write(*entry, why);
        lock.lock();
        if (entry) lastError_ = why;
        busy_ = false;
        idle_.notify_all();
    }
}

void OpenRecoveredMarkup(Form1& ed, const JournalContent& content) {
    ShowOnCanvas(ed, content.picture);  // the history starts afresh, nothing counted as saved
    ed.annotations.Restore(content.annotations);
    ed.Picture2.Top = ed.Picture6.Height + 100;
    ed.Picture2.Left = ed.Picture1.Width + 100;
    RepaintEditorBars(ed);
    ed.Picture1.Height = Screen().Height;
    ed.Picture6.Width = Screen().Width;
}

}  // namespace orv
