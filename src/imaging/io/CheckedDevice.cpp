#include "imaging/io/CheckedDevice.h"

#include <algorithm>

namespace orv::detail {

namespace {
// Encoders write in small pieces; the sink gets them in blocks of this size.
constexpr std::size_t kBlock = std::size_t(1) << 20;
}  // namespace

CheckedDevice::CheckedDevice(ByteSink& sink) : sink_(sink) {
    buffer_.reserve(kBlock);
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool CheckedDevice::seek(qint64 position) {
    if (position < 0 || failed()) return false;
    QIODevice::seek(position);
    position_ = position;
    return true;
}

bool CheckedDevice::Flush() {
    if (failed()) return false;
    if (!buffer_.empty()) {
        status_ = sink_.WriteAt(std::uint64_t(bufferStart_), buffer_.data(), buffer_.size());
        buffer_.clear();
    }
    bufferStart_ = position_;
    if (failed()) setErrorString(QString::fromStdString(status_.message));
    return !failed();
}

bool CheckedDevice::Finish() {
    return Flush();
}

qint64 CheckedDevice::readData(char*, qint64) {
    return -1;
}

qint64 CheckedDevice::writeData(const char* data, qint64 size) {
    if (failed() || size < 0) return -1;
    if (position_ != bufferStart_ + qint64(buffer_.size()) && !Flush()) return -1;
    if (buffer_.empty()) bufferStart_ = position_;
    if (buffer_.empty() && std::size_t(size) >= kBlock) {  // large pieces go straight through
        status_ = sink_.WriteAt(std::uint64_t(position_), data, std::size_t(size));
        if (failed()) {
            setErrorString(QString::fromStdString(status_.message));
            return -1;
        }
        position_ += size;
        size_ = std::max(size_, position_);
        bufferStart_ = position_;
        return size;
    }
    buffer_.insert(buffer_.end(), data, data + size);
    position_ += size;
    size_ = std::max(size_, position_);
    if (buffer_.size() >= kBlock && !Flush()) return -1;
    return size;
}

}  // namespace orv::detail
