// What the picture loaders share across one open: the file read (off the calling thread when
// a pump is installed), the last decoded picture kept for the next route that asks for the
// same file, a count of real decodes, and the outcome of the open with the reason it failed.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>

#include "platform/RegularFile.h"

namespace orv {

// One decoded file: the picture (null when the file was refused) and, for a refusal, why.
struct DecodedPicture {
    QImage picture;
    QString reason;
    int kind = 0;  // the PictureKind the bytes were judged to hold
};

// Who stands for the file on disk: its absolute path, size and modification time. Two keys
// are equal only when the file was not changed between them.
struct PictureFileKey {
    QString path;
    qint64 size = -1;
    qint64 modified = 0;
    bool operator==(const PictureFileKey&) const = default;
};

// The key of `path` as it is now; size -1 when it names no regular file.
PictureFileKey KeyOfPictureFile(const QString& path);

// The decoded picture of `key`: from the last decode when the same unchanged file was decoded
// before, otherwise from `decode` (counted in DecodeCount), whose result is then kept.
DecodedPicture DecodeOnce(const PictureFileKey& key, const std::function<DecodedPicture()>& decode);

// The kind of the kept decode of `key`, or -1 when none is kept for it.
int KeptPictureKind(const PictureFileKey& key);

// Keeps beside the decoded picture of `key` a derived one that the next route can take as is;
// `variant` tells derived pictures apart. Unless `keepDecoded`, the decoded picture itself is
// let go (a later decode of the file then runs again), so that only one copy is held.
void KeepDerivedPicture(const PictureFileKey& key, const QString& variant, const QImage& picture,
                        bool keepDecoded);
// The derived picture kept for `key` and `variant`, or a null picture.
QImage DerivedPicture(const PictureFileKey& key, const QString& variant);

// Drops the kept picture (tests; and anyone who needs its memory back).
void ForgetDecodedPictures();

// Decodes really run since the program started.
int64_t DecodeCount();
void CountDecode();

// Reads the whole of a regular file of at most `limit` bytes, checked on the opened file (a
// FIFO or device swapped in for it is refused, never read). With a pump installed the read
// runs on a worker thread while the calling thread runs the pump every few milliseconds (a
// slow network file then keeps the user interface alive).
ReadFault ReadPictureFile(const QString& path, std::uint64_t limit, QByteArray& bytes);
void SetPictureReadPump(std::function<void()> pump);

// The outcome of one open, as the loaders report it while the attempt is alive. Attempts
// nest: only the outermost one collects.
class OpenAttempt {
  public:
    OpenAttempt();
    ~OpenAttempt();
    OpenAttempt(const OpenAttempt&) = delete;
    OpenAttempt& operator=(const OpenAttempt&) = delete;

    // True when some loader produced a picture during the attempt.
    bool Opened() const { return opened_; }
    // The first reason a loader gave for refusing the file; empty when none did.
    const QString& Reason() const { return reason_; }

  private:
    friend void NotePictureLoaded();
    friend void NotePictureRefused(const QString& reason);
    bool outer_ = false;
    bool opened_ = false;
    QString reason_;
};

void NotePictureLoaded();
void NotePictureRefused(const QString& reason);

}  // namespace orv
