#pragma once
// Reading a file that must be an ordinary file of bounded size. The checks are made on the
// opened descriptor, not on the name, so a file swapped for a FIFO, a device or a link to one
// after the name was looked at is still refused: the open never blocks (O_NONBLOCK), never
// takes a terminal (O_NOCTTY), and nothing is read before fstat() has said that the opened
// file is regular and not larger than the caller allows.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>

namespace orv {

/// Why a file could not be read.
enum class ReadFault {
    None,
    Missing,     ///< nothing of that name (or a link to nothing)
    Folder,      ///< a folder
    NotRegular,  ///< a FIFO, device or socket
    Loop,        ///< links that lead back to themselves
    TooLarge,    ///< larger than the caller's bound, or more than memory holds
    Unreadable,  ///< no permission, or the device failed
};

/// The words a user reads for a fault ("the file does not exist", "it is a folder" ...).
QString ReadFaultText(ReadFault fault);

/// A regular file opened for reading; closed when it goes.
class RegularFile {
  public:
    RegularFile() = default;
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    /// Opens the file named by the bytes of `path` and checks what was opened.
    ReadFault Open(const std::string& path);
    /// Open() for a name as Qt holds it (turned back into its bytes by BytesOfPath()).
    ReadFault Open(const QString& path);
    /// The size fstat() gave when the file was opened.
    std::uint64_t Size() const { return size_; }
    /// Up to `size` bytes from `offset`; fewer where the file ends. -1 on a read error.
    std::int64_t ReadAt(std::uint64_t offset, void* data, std::size_t size) const;
    /// The whole file, when it is no larger than `limit` bytes. A file that grows past its
    /// opened size while it is read is cut there; one that shrinks gives what it still holds.
    ReadFault ReadAll(std::uint64_t limit, QByteArray& bytes) const;
    /// The descriptor (-1 while closed), for readers that take one.
    int Descriptor() const { return fd_; }
    void Close();

  private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

/// Opens `path` and reads it whole when it is a regular file of at most `limit` bytes.
ReadFault ReadRegularFile(const QString& path, std::uint64_t limit, QByteArray& bytes);

}  // namespace orv
