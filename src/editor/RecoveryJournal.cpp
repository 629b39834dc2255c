#include "editor/RecoveryJournal.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QJsonDocument>
#include <QJsonObject>

#include "annotations/AnnotationJson.h"
#include "editor/Form1.h"
#include "editor/OpenCommands.h"
#include "platform/FolderFiles.h"
#include "platform/PathBytes.h"
#include "platform/RegularFile.h"
#include "platform/ReplacingFile.h"
#include "platform/Screen.h"

namespace orv {

namespace {

constexpr char kManifest[] = "journal.json";
// The manifest is a few hundred bytes beside its annotations; anything far larger is no
// journal of ours.
constexpr std::uint64_t kLargestManifest = 64 * 1024 * 1024;

QStringList PictureNames(const QString& folder) {
    return FileNamesIn(folder, QStringLiteral("picture-"), QStringLiteral(".png"));
}

QString PictureName(std::uint64_t id) {
    return QStringLiteral("picture-%1.png").arg(id);
}

bool WriteWhole(const QString& path, const QByteArray& bytes, QString& why) {
    const FileStatus status =
        WriteWholeFile(StdBytesOfPath(path), bytes.constData(), std::size_t(bytes.size()));
    if (!status.ok()) why = QString::fromStdString(status.message);
    return status.ok();
}

}  // namespace

bool RecoveryJournal::Write(const JournalEntry& entry, QString& why) {
    if (!MakePrivateFolders(folder_)) {
        why = QStringLiteral("cannot make ") + ShownPath(folder_);
        return false;
    }
    const QString pictureName = PictureName(entry.pictureId);
    const QString picturePath = folder_ + QLatin1Char('/') + pictureName;
    // Pictures of writes killed before their manifest: neither the journal's nor this one.
    QByteArray current;
    const QString named =
        ReadRegularFile(ManifestPath(), kLargestManifest, current) == ReadFault::None
            ? QJsonDocument::fromJson(current).object().value(QStringLiteral("picture")).toString()
            : QString();
    for (const QString& old : PictureNames(folder_))
        if (old != named && old != pictureName) RemoveFile(folder_ + QLatin1Char('/') + old);
    if (!FactsOfPath(picturePath).exists) {
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
    if (!WriteWhole(ManifestPath(), QJsonDocument(manifest).toJson(QJsonDocument::Compact), why))
        return false;
    // Only now may the pictures of earlier states go: the manifest no longer names them.
    for (const QString& old : PictureNames(folder_))
        if (old != pictureName) RemoveFile(folder_ + QLatin1Char('/') + old);
    return true;
}

void RecoveryJournal::Remove() {
    if (!FactsOfPath(folder_).exists) return;
    // The manifest first: without it what is left is no journal.
    RemoveFile(ManifestPath());
    for (const QString& old : PictureNames(folder_)) RemoveFile(folder_ + QLatin1Char('/') + old);
    RemoveEmptyFolder(folder_);
}

QString RecoveryJournal::ManifestPath() const {
    return folder_ + QLatin1Char('/') + QLatin1String(kManifest);
}

JournalRead RecoveryJournal::Read(JournalContent& out, QString& why) const {
    const PathFacts facts = FactsOfPath(ManifestPath());
    if (!facts.exists) return JournalRead::Absent;
    QByteArray manifestBytes;
    if (ReadRegularFile(ManifestPath(), kLargestManifest, manifestBytes) != ReadFault::None) {
        why = QStringLiteral("its list of contents cannot be read");
        return JournalRead::Damaged;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(manifestBytes, &error);
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
    // Read from the descriptor that was checked to be a regular file, as it streams.
    QImage picture;
    RegularFile pictureFile;
    QFile pictureStream;
    if (pictureFile.Open(folder_ + QLatin1Char('/') + pictureName) == ReadFault::None &&
        pictureStream.open(pictureFile.Descriptor(), QIODevice::ReadOnly))
        picture = QImageReader(&pictureStream, "png").read();
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
    out.written = written.isValid() ? written.toLocalTime()
                                    : QDateTime::fromMSecsSinceEpoch(facts.modifiedMs);
    return JournalRead::Read;
}

QString RecoveryJournal::SetAside() {
    const QString aside =
        folder_ + QStringLiteral(".damaged-") +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-hhmmsszzz"));
    return RenamePath(folder_, aside) ? aside : folder_;
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
