#pragma once
// Keeping the markup through a kill, a crash or a logout: every two seconds the editor's
// markup is compared with what the journal holds, and a change is written (the encoding and
// the disk on a thread of their own); the journal is removed once nothing is left unsaved,
// and offered back at the next start.

#include <QImage>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <tuple>

#include "editor/RecoveryJournal.h"

namespace orv {

class App;
class Desktop;
class Form1;

/// Where the journal of the instance listening on `socketName` lives inside `stateFolder`:
/// one folder per user and display, as the socket.
QString JournalFolder(const QString& stateFolder, const QString& socketName);

/// The least time between two journal writes, milliseconds.
inline constexpr int kJournalInterval = 2000;

class Recovery {
  public:
    Recovery(App& app, Desktop& desktop, QString folder);
    ~Recovery();

    /// At start, once the tray is up: offers the journal an earlier run left, or sets aside
    /// one that cannot be read. Until then the journal is neither written nor removed.
    void OfferLeftWork();
    /// Brings the journal in step with the editor: writes what changed, removes the journal
    /// when nothing is unsaved.
    void Post();
    /// Writes the journal now, or removes it when nothing is unsaved, and waits for the disk.
    void WriteNow();
    /// A clean end: whatever is in the journal is no longer wanted.
    void Forget();

    const QString& Folder() const { return folder_; }
    /// Asks the restore question; the index of the answer (0 Restore, 1 Discard).
    std::function<int(const QString& question)> Ask;

  private:
    const QImage& BasePicture(const Form1& editor);

    App& app_;
    Desktop& desktop_;
    QString folder_;
    std::unique_ptr<JournalWriter> writer_;
    QTimer timer_;
    bool armed_ = false, written_ = false;
    QByteArray writtenJson_;  ///< the annotations last handed to the writer
    std::uint64_t writtenId_ = 0;
    // The canvas base last painted for the journal, what it was painted from, and its number.
    std::tuple<qint64, qint64, std::uint32_t, float, float> baseKey_{};
    QImage base_;
    std::uint64_t baseId_ = 0;
    // What the last look at the editor found: its undo revision, save generation and base.
    using Look = std::tuple<std::uint64_t, std::uint64_t, std::uint64_t>;
    Look look_{};
    bool looked_ = false;
};

}  // namespace orv
