// A write-only, seekable QIODevice over a ByteSink that remembers the first failure. Encoders
// that ignore a failed or short write (as some do) cannot hide it: once anything fails, every
// later write fails too, and status() tells what went wrong.
#pragma once

#include "platform/ReplacingFile.h"

#include <QIODevice>

#include <vector>

namespace orv::detail {

class CheckedDevice : public QIODevice {
  public:
    explicit CheckedDevice(ByteSink& sink);

    bool isSequential() const override { return false; }
    qint64 size() const override { return size_; }
    bool seek(qint64 position) override;

    /// Writes out what is still buffered; false when that, or any earlier write, failed.
    bool Finish();
    /// The first failure (ok while nothing failed).
    const FileStatus& status() const { return status_; }
    bool failed() const { return !status_.ok(); }

  protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

  private:
    bool Flush();

    ByteSink& sink_;
    FileStatus status_;
    std::vector<char> buffer_;  // bytes bound for bufferStart_ onwards
    qint64 bufferStart_ = 0;
    qint64 position_ = 0;
    qint64 size_ = 0;
};

}  // namespace orv::detail
