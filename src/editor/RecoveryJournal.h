#pragma once
// The markup journal: the picture being marked up and its annotations, written to a folder of
// their own after each change, so that work a kill, a crash or a logout would lose can be
// offered back at the next start. Every file goes through ReplacingFile, and the picture is
// named after its generation and written before the manifest that names it, so a kill at any
// moment leaves the old journal or the new one whole.

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

#include "annotations/AnnotationSnapshot.h"

namespace orv {

class Form1;

/// The version of the journal's manifest this program writes and reads.
inline constexpr int kJournalVersion = 1;

/// One state of the markup, as the journal keeps it.
struct JournalEntry {
    /// The picture the annotations lie on, and a number that changes whenever it does: a
    /// picture already written under the same number is not written again.
    QImage picture;
    std::uint64_t pictureId = 0;
    QByteArray annotationsJson;  ///< AnnotationsToJson of the snapshot
    QDateTime written;
};

/// What a journal read back holds.
struct JournalContent {
    QImage picture;
    AnnotationSnapshot annotations;
    QDateTime written;
};

enum class JournalRead { Absent, Read, Damaged };

/// The files of one journal in `folder`; each call works on disk at once.
class RecoveryJournal {
  public:
    explicit RecoveryJournal(QString folder) : folder_(std::move(folder)) {}

    const QString& Folder() const { return folder_; }
    /// Writes the entry; false (with `why`) when a file could not be written, the journal on
    /// disk then being the one before.
    bool Write(const JournalEntry& entry, QString& why);
    /// Removes the journal's files (and the folder when nothing else is in it).
    void Remove();
    /// Reads the journal; Damaged with `why` when it is there but cannot be used.
    JournalRead Read(JournalContent& out, QString& why) const;
    /// Moves the folder aside (kept, never deleted) under a name with the time; the new path.
    QString SetAside();

  private:
    QString ManifestPath() const;
    QString folder_;
};

/// Writes a journal on a thread of its own: the latest entry posted wins over any not yet
/// written, so a burst of changes costs one write.
class JournalWriter {
  public:
    explicit JournalWriter(QString folder);
    ~JournalWriter();  // finishes what was posted
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    void Post(JournalEntry entry);
    /// Removes the journal after whatever was posted before.
    void PostRemove();
    /// Waits until everything posted is on disk (or removed).
    void Flush();
    /// The last write's failure, empty when it worked.
    QString LastError() const;

  private:
    void Run();

    RecoveryJournal journal_;
    mutable std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::optional<JournalEntry> pending_;
    bool removePending_ = false, busy_ = false, stopping_ = false;
    std::uint64_t writtenPicture_ = 0;
    QString lastError_;
    std::thread thread_;
};

/// Puts a journal's markup in the editor: its picture on the canvas and its annotations live,
/// the undo history starting there, the work counted as unsaved.
void OpenRecoveredMarkup(Form1& ed, const JournalContent& content);

}  // namespace orv
