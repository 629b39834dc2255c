#include "platform/ReplacingFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/InPlaceBackup.h"
#include "platform/StateFolder.h"

namespace orv {

FileFault FaultOfErrno(int error) {
    switch (error) {
        case 0:
            return FileFault::None;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return FileFault::DiskFull;
        case EACCES:
        case EPERM:
        case EROFS:
        case ENOENT:
        case ENOTDIR:
        case EISDIR:
        case ENAMETOOLONG:
        case ELOOP:
        case ETXTBSY:
            return FileFault::NotWritable;
        default:
            return FileFault::IoError;
    }
}

namespace {

FileStatus Fault(int error, const std::string& what, const std::string& path) {
    return FileStatus{
        FaultOfErrno(error) == FileFault::None ? FileFault::IoError : FaultOfErrno(error),
        what + " " + path + ": " + std::strerror(error)};
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether a link may be followed by this user. In a sticky folder that everyone may write to
// (such as /tmp), a link someone else planted is followed only when its owner also owns the
// folder: the rule the kernel keeps for open() when fs.protected_symlinks is set, kept here
// too because the save resolves links itself.
bool MayFollow(const std::string& linkPath, const struct stat& link) {
    struct stat folder {};
    if (::stat(FolderOf(linkPath).c_str(), &folder) != 0) return false;
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return !shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

// The target a path names: a symbolic link is followed, one link at a time, so the file it
// points to is replaced and the link stays. A link that leads nowhere or round in a loop is
// itself replaced. `refused` is set when a link on the way may not be followed.
std::string ResolvedTarget(const std::string& path, bool& refused) {
    refused = false;
    std::string at = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat link {};
        if (::lstat(at.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return at;
        if (!MayFollow(at, link)) {
            refused = true;
            return at;
        }
        char text[PATH_MAX];
        const ssize_t length = ::readlink(at.c_str(), text, sizeof text - 1);
        if (length <= 0) return path;
        std::string next(text, std::size_t(length));
        if (next[0] != '/') next = FolderOf(at) + "/" + next;
        struct stat there {};
        if (::lstat(next.c_str(), &there) != 0) return at;
        at = next;
    }
    return path;
}

// Writes all of `size` bytes at `offset`; a write that stops short is retried, so a device
// that fills up reports its error on the retry.
FileStatus WriteAll(int fd, std::uint64_t offset, const unsigned char* data, std::size_t size,
                    const std::string& path) {
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, data, size, off_t(offset));
        if (written < 0) {
            if (errno == EINTR) continue;
            return Fault(errno, "Cannot write", path);
        }
        if (written == 0) return FileStatus{FileFault::IoError, "Nothing written to " + path};
        data += written;
        size -= std::size_t(written);
        offset += std::uint64_t(written);
    }
    return {};
}

FileStatus SyncAndClose(int& fd, const std::string& path) {
    const int synced = ::fsync(fd);
    const int syncError = errno;
    const int closed = ::close(fd);
    const int closeError = errno;
    fd = -1;
    if (synced != 0) return Fault(syncError, "Cannot flush", path);
    if (closed != 0 && closeError != EINTR) return Fault(closeError, "Cannot close", path);
    return {};
}

// A name for the temporary file that no other save picks at the same moment.
std::string TemporaryName(const std::string& target, int attempt) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count() & 0xffffff;
    return FolderOf(target) + "/." + NameOf(target) + "." + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + "-" + std::to_string(ticks + attempt) + ".part";
}

// The process id in the name of one of our temporary files (".NAME.<pid>-<n>-<ticks>.part"),
// or 0 for any other name.
long TemporaryOwner(const std::string& name) {
    static const std::string kSuffix = ".part";
    if (name.size() < 2 + kSuffix.size() || name[0] != '.' ||
        name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
        return 0;
    const std::string stem = name.substr(0, name.size() - kSuffix.size());
    const std::size_t dot = stem.rfind('.');
    if (dot == 0 || dot == std::string::npos) return 0;
    const std::string tail = stem.substr(dot + 1);  // "<pid>-<n>-<ticks>"
    int dashes = 0;
    for (const char c : tail) {
        if (c == '-') {
            ++dashes;
        } else if (c < '0' || c > '9') {
            return 0;
        }
    }
    if (dashes != 2 || tail.front() == '-' || tail.find("--") != std::string::npos ||
        tail.back() == '-')
        return 0;
    return std::strtol(tail.c_str(), nullptr, 10);
}

// Removes the temporary files that saves killed half-way left in `folder`: ours by their
// name, of a process that no longer runs, and untouched for a minute.
void RemoveAbandonedTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    const auto now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const long owner = TemporaryOwner(name);
        if (owner <= 0 || owner == long(::getpid()) || ProcessRunning(owner)) continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode) || now - info.st_mtime < 60)
            continue;
        (void)::unlinkat(::dirfd(dir), name.c_str(), 0);
    }
    ::closedir(dir);
}

}  // namespace

ReplacingFile::ReplacingFile(std::string target) {
    // In the body: the flag's own initialiser would undo what the resolution set.
    target_ = ResolvedTarget(target, linkRefused_);
}

ReplacingFile::~ReplacingFile() {
    Discard();
}

FileStatus ReplacingFile::Open() {
    Discard();
    if (linkRefused_) {
        return FileStatus{
            FileFault::NotWritable,
            "Cannot replace " + target_ + ": it is a link another user made in a shared folder"};
    }
    // The target was resolved here, so nothing below follows a link again.
    struct stat existing {};
    const bool exists = ::lstat(target_.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        return Fault(S_ISDIR(existing.st_mode) ? EISDIR : EACCES, "Cannot replace", target_);
    }
    RemoveAbandonedTemporaries(FolderOf(target_));
    int error = 0;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string name = TemporaryName(target_, attempt);
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            temporary_ = name;
            break;
        }
        error = errno;
        if (error != EEXIST && error != EINTR) break;
    }
    if (fd_ >= 0) {
        if (exists) {
            // The new file keeps the old one's permissions (and owner, where allowed).
            (void)::fchmod(fd_, existing.st_mode & 07777);
            (void)::fchown(fd_, existing.st_uid, existing.st_gid);
        }
        return {};
    }
    if (exists && (error == EACCES || error == EPERM || error == EROFS)) {
        // No new file may be made in the folder; the target itself may still be writable.
        fd_ = ::open(target_.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        struct stat opened {};
        if (fd_ >= 0 && (::fstat(fd_, &opened) != 0 || !S_ISREG(opened.st_mode))) {
            ::close(fd_);  // swapped for something else since it was looked at
            fd_ = -1;
            error = EACCES;
        }
        if (fd_ >= 0) {
            inPlace_ = true;
            return {};
        }
    }
    return Fault(error, "Cannot create a file beside", target_);
}

FileStatus ReplacingFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (fd_ < 0) return FileStatus{FileFault::IoError, "The file is not open: " + target_};
    if (inPlace_) {
        if (offset + size > pending_.size()) pending_.resize(std::size_t(offset + size));
        if (size > 0) std::memcpy(pending_.data() + offset, data, size);
        return {};
    }
    return WriteAll(fd_, offset, static_cast<const unsigned char*>(data), size, temporary_);
}

FileStatus ReplacingFile::Commit() {
    if (fd_ < 0) return FileStatus{FileFault::IoError, "The file is not open: " + target_};
    if (inPlace_) return CommitInPlace();
    FileStatus status = SyncAndClose(fd_, temporary_);
    if (!status.ok()) return status;
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        return Fault(errno, "Cannot replace", target_);
    }
    temporary_.clear();
    // The rename itself reaches the disk only with the folder; not every file system can sync
    // a folder, and the new file is in place whatever this says.
    const int folder = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)::fsync(folder);
        ::close(folder);
    }
    return {};
}

// Overwrites the target in place. Space for a longer content is reserved first, so a full disk
// is found before any old byte is touched; the old content is kept in memory and written back
// if the overwrite fails part way (into blocks the file already owns, so that needs no space).
FileStatus ReplacingFile::CommitInPlace() {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return Fault(errno, "Cannot examine", target_);
    const std::size_t oldSize = std::size_t(info.st_size);
    std::vector<unsigned char> old(oldSize);
    for (std::size_t at = 0; at < oldSize;) {
        const ssize_t got = ::pread(fd_, old.data() + at, oldSize - at, off_t(at));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return Fault(got < 0 ? errno : EIO, "Cannot read", target_);
        at += std::size_t(got);
    }
    // The old bytes are kept on disk elsewhere first: a kill during the overwrite leaves them
    // for the next start to put back.
    std::string kept;
    if (FileStatus keep = KeepOldBytes(InPlaceBackupFolder(), target_, old, pending_, kept);
        !keep.ok())
        return keep;
    const std::size_t newSize = pending_.size();
    if (newSize > oldSize) {
        const int reserved = ::posix_fallocate(fd_, off_t(oldSize), off_t(newSize - oldSize));
        if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL) {
            (void)::ftruncate(fd_, off_t(oldSize));
            DropOldBytes(kept);
            return Fault(reserved, "Cannot make room in", target_);
        }
    }
    FileStatus status = WriteAll(fd_, 0, pending_.data(), newSize, target_);
    if (status.ok() && ::ftruncate(fd_, off_t(newSize)) != 0) {
        status = Fault(errno, "Cannot resize", target_);
    }
    if (status.ok() && ::fsync(fd_) != 0) status = Fault(errno, "Cannot flush", target_);
    if (!status.ok()) {
        (void)WriteAll(fd_, 0, old.data(), oldSize, target_);
        (void)::ftruncate(fd_, off_t(oldSize));
        (void)::fsync(fd_);
    }
    DropOldBytes(kept);
    ::close(fd_);
    fd_ = -1;
    pending_.clear();
    return status;
}

void ReplacingFile::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
    inPlace_ = false;
    pending_.clear();
}

FileStatus WriteWholeFile(const std::string& target, const void* data, std::size_t size) {
    ReplacingFile file(target);
    FileStatus status = file.Open();
    if (status.ok()) status = file.WriteAt(0, data, size);
    if (status.ok()) status = file.Commit();
    return status;
}

}  // namespace orv
