#include "platform/RegularFile.h"

#include "platform/PathBytes.h"

#include <cerrno>
#include <limits>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

QString ReadFaultText(ReadFault fault) {
    switch (fault) {
        case ReadFault::None:
            return {};
        case ReadFault::Missing:
            return QStringLiteral("the file does not exist");
        case ReadFault::Folder:
            return QStringLiteral("it is a folder");
        case ReadFault::NotRegular:
            return QStringLiteral("it is not a regular file");
        case ReadFault::Loop:
            return QStringLiteral("its links lead round in a loop");
        case ReadFault::TooLarge:
            return QStringLiteral("the file is too large");
        case ReadFault::Unreadable:
            break;
    }
    return QStringLiteral("the file cannot be read");
}

RegularFile::~RegularFile() {
    Close();
}

void RegularFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

ReadFault RegularFile::Open(const QString& path) {
    return Open(StdBytesOfPath(path));
}

ReadFault RegularFile::Open(const std::string& path) {
    Close();
    // A name cut at a NUL would open another file.
    if (path.empty() || path.find('\0') != std::string::npos) return ReadFault::Missing;
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        switch (errno) {
            case ENOENT:
            case ENOTDIR:
                return ReadFault::Missing;
            case ELOOP:
                return ReadFault::Loop;
            case ENXIO:  // a socket
            case ENODEV:
                return ReadFault::NotRegular;
            default:
                return ReadFault::Unreadable;
        }
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return ReadFault::Unreadable;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return S_ISDIR(info.st_mode) ? ReadFault::Folder : ReadFault::NotRegular;
    }
    // A regular file never blocks, but the reads that follow want plain semantics.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    fd_ = fd;
    size_ = std::uint64_t(info.st_size);
    return ReadFault::None;
}

std::int64_t RegularFile::ReadAt(std::uint64_t offset, void* data, std::size_t size) const {
    if (fd_ < 0) return -1;
    auto* out = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd_, out + done, size - done, off_t(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += std::size_t(got);
    }
    return std::int64_t(done);
}

ReadFault RegularFile::ReadAll(std::uint64_t limit, QByteArray& bytes) const {
    bytes.clear();
    if (fd_ < 0) return ReadFault::Unreadable;
    if (size_ > limit || size_ > std::uint64_t(std::numeric_limits<qsizetype>::max() / 2))
        return ReadFault::TooLarge;
    try {
        bytes.resize(qsizetype(size_));
    } catch (const std::bad_alloc&) {
        bytes = QByteArray();
        return ReadFault::TooLarge;
    }
    if (bytes.size() != qsizetype(size_)) return ReadFault::TooLarge;
    const std::int64_t got = ReadAt(0, bytes.data(), std::size_t(size_));
    if (got < 0) {
        bytes = QByteArray();
        return ReadFault::Unreadable;
    }
    bytes.truncate(qsizetype(got));
    return ReadFault::None;
}

ReadFault ReadRegularFile(const QString& path, std::uint64_t limit, QByteArray& bytes) {
    RegularFile file;
    const ReadFault opened = file.Open(path);
    if (opened != ReadFault::None) return opened;
    return file.ReadAll(limit, bytes);
}

}  // namespace orv
