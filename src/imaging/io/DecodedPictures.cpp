#include "imaging/io/DecodedPictures.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>

#include "platform/PathBytes.h"

namespace orv {

namespace {

struct Kept {
    PictureFileKey key;
    DecodedPicture decoded;
    bool decodedKept = false;
    QImage derived;
    QString variant;
};

std::mutex& KeptLock() {
    static std::mutex lock;
    return lock;
}
Kept& KeptPicture() {
    static Kept kept;
    return kept;
}
std::atomic<int64_t> decodes{0};
std::function<void()>& Pump() {
    static std::function<void()> pump;
    return pump;
}
OpenAttempt* currentAttempt = nullptr;

ReadFault ReadAll(const QString& path, std::uint64_t limit, QByteArray& bytes) {
    return ReadRegularFile(path, limit, bytes);
}

}  // namespace

PictureFileKey KeyOfPictureFile(const QString& path) {
    const QFileInfo info(path);
    PictureFileKey key;
    key.path = info.absoluteFilePath();
    // The file itself is asked by the bytes of its name, which QFileInfo would not keep.
    if (const PathFacts facts = FactsOfPath(path); facts.regular) {
        key.size = facts.size;
        key.modified = facts.modifiedMs;
    }
    return key;
}

DecodedPicture DecodeOnce(const PictureFileKey& key,
                          const std::function<DecodedPicture()>& decode) {
    {
        const std::lock_guard guard(KeptLock());
        const Kept& kept = KeptPicture();
        if (key.size >= 0 && kept.key == key && kept.decodedKept) return kept.decoded;
    }
    CountDecode();
    DecodedPicture decoded = decode();
    const std::lock_guard guard(KeptLock());
    // The old picture goes before the new one is kept, so at most one is held.
    KeptPicture() = Kept{key, decoded, true, QImage(), QString()};
    return decoded;
}

int KeptPictureKind(const PictureFileKey& key) {
    const std::lock_guard guard(KeptLock());
    const Kept& kept = KeptPicture();
    return key.size >= 0 && kept.key == key ? kept.decoded.kind : -1;
}

void KeepDerivedPicture(const PictureFileKey& key, const QString& variant, const QImage& picture,
                        bool keepDecoded) {
    const std::lock_guard guard(KeptLock());
    Kept& kept = KeptPicture();
    if (!(kept.key == key)) return;
    kept.derived = picture;
    kept.variant = variant;
    if (!keepDecoded) {
        kept.decoded.picture = QImage();
        kept.decodedKept = false;
    }
}

QImage DerivedPicture(const PictureFileKey& key, const QString& variant) {
    const std::lock_guard guard(KeptLock());
    const Kept& kept = KeptPicture();
    if (key.size < 0 || !(kept.key == key) || kept.variant != variant) return {};
    return kept.derived;
}

void ForgetDecodedPictures() {
    const std::lock_guard guard(KeptLock());
    KeptPicture() = Kept{};
}

int64_t DecodeCount() {
    return decodes.load();
}
void CountDecode() {
    ++decodes;
}

void SetPictureReadPump(std::function<void()> pump) {
    Pump() = std::move(pump);
}

ReadFault ReadPictureFile(const QString& path, std::uint64_t limit, QByteArray& bytes) {
    const std::function<void()> pump = Pump();
    if (!pump) return ReadAll(path, limit, bytes);
    // The worker owns its copy of the path and hands the bytes back through the future.
    auto read = std::async(std::launch::async, [path, limit] {
        QByteArray out;
        const ReadFault fault = ReadAll(path, limit, out);
        return std::make_pair(fault, out);
    });
    while (read.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) pump();
    auto [fault, out] = read.get();
    bytes = std::move(out);
    return fault;
}

OpenAttempt::OpenAttempt() {
    if (currentAttempt == nullptr) {
        currentAttempt = this;
        outer_ = true;
    }
}

OpenAttempt::~OpenAttempt() {
    if (outer_) currentAttempt = nullptr;
}

void NotePictureLoaded() {
    if (currentAttempt) currentAttempt->opened_ = true;
}

void NotePictureRefused(const QString& reason) {
    if (currentAttempt && currentAttempt->reason_.isEmpty()) currentAttempt->reason_ = reason;
}

}  // namespace orv
