#include "platform/InPlaceBackup.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/StateFolder.h"

namespace orv {

namespace {

constexpr char kMagic[] = "orvane in-place 1\n";

// FNV-1a over the bytes: enough to tell the finished new content from anything else.
std::uint64_t Checksum(const unsigned char* data, std::size_t size) {
    std::uint64_t h = 1469598103934665603ull;
    for (std::size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
    return h;
}

bool WriteAllAt(int fd, std::uint64_t offset, const void* data, std::size_t size) {
    auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= std::size_t(n);
        offset += std::uint64_t(n);
    }
    return true;
}

bool ReadWhole(int fd, std::vector<unsigned char>& out) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return false;
    out.resize(std::size_t(info.st_size));
    for (std::size_t at = 0; at < out.size();) {
        const ssize_t n = ::pread(fd, out.data() + at, out.size() - at, off_t(at));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += std::size_t(n);
    }
    return true;
}

// A kept copy read back: its header fields and where the old bytes start.
struct Record {
    long pid = 0;
    std::string target;
    std::uint64_t newSize = 0, newSum = 0, oldSize = 0;
    std::size_t dataAt = 0;
};

bool Parse(const std::vector<unsigned char>& bytes, Record& r) {
    const std::string head(bytes.begin(),
                           bytes.begin() + std::min<std::size_t>(bytes.size(), 8192));
    if (head.compare(0, sizeof kMagic - 1, kMagic) != 0) return false;
    std::size_t at = sizeof kMagic - 1;
    const auto number = [&](std::uint64_t& v) {
        char* end = nullptr;
        const char* start = head.c_str() + at;
        v = std::strtoull(start, &end, 10);
        if (end == start || (*end != '\n' && *end != ' ')) return false;
        at += std::size_t(end - start) + 1;
        return true;
    };
    std::uint64_t pid = 0, length = 0;
    if (!number(pid) || !number(length) || at + length + 1 > head.size()) return false;
    r.pid = long(pid);
    r.target = head.substr(at, std::size_t(length));
    at += std::size_t(length) + 1;
    if (!number(r.newSize) || !number(r.newSum) || !number(r.oldSize)) return false;
    r.dataAt = at;
    return bytes.size() - at == r.oldSize && !r.target.empty() &&
           r.target.find('\0') == std::string::npos;
}

}  // namespace

std::string InPlaceBackupFolder() {
    const std::string state = StateFolder();
    if (state.empty()) return {};
    const std::string folder = state + "/in-place";
    (void)::mkdir(folder.c_str(), 0700);
    return folder;
}

FileStatus KeepOldBytes(const std::string& folder, const std::string& target,
                        const std::vector<unsigned char>& old,
                        const std::vector<unsigned char>& next, std::string& record) {
    if (folder.empty())
        return {FileFault::NotWritable, "No state folder to keep the old " + target};
    static int counter = 0;
    const std::string name =
        folder + "/" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const std::string head = std::string(kMagic) + std::to_string(::getpid()) + "\n" +
                             std::to_string(target.size()) + "\n" + target + "\n" +
                             std::to_string(next.size()) + " " +
                             std::to_string(Checksum(next.data(), next.size())) + " " +
                             std::to_string(old.size()) + "\n";
    const std::string part = name + ".part";
    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return {FaultOfErrno(errno), "Cannot keep the old " + target + " in " + folder};
    const bool written = WriteAllAt(fd, 0, head.data(), head.size()) &&
                         WriteAllAt(fd, head.size(), old.data(), old.size()) && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    // Renamed only once whole: a record found at the next start is always complete.
    if (!written || ::rename(part.c_str(), (name + ".old").c_str()) != 0) {
        ::unlink(part.c_str());
        return {FaultOfErrno(error) == FileFault::None ? FileFault::IoError : FaultOfErrno(error),
                "Cannot keep the old " + target + " in " + folder + ": " + std::strerror(error)};
    }
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    record = name + ".old";
    return {};
}

void DropOldBytes(const std::string& record) {
    if (!record.empty()) ::unlink(record.c_str());
}

int RestoreUnfinishedInPlaceWrites(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return 0;
    std::vector<std::string> records;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".old") == 0)
            records.push_back(folder + "/" + name);
        else if (name.size() > 5 && name.compare(name.size() - 5, 5, ".part") == 0 &&
                 !ProcessRunning(std::strtol(name.c_str(), nullptr, 10)))
            ::unlink((folder + "/" + name).c_str());  // a copy that was never complete
    }
    ::closedir(dir);
    int restored = 0;
    for (const std::string& path : records) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        std::vector<unsigned char> bytes;
        Record r;
        const bool read = fd >= 0 && ReadWhole(fd, bytes);
        if (fd >= 0) ::close(fd);
        if (!read || !Parse(bytes, r)) continue;  // left for a person to look at
        if (ProcessRunning(r.pid)) continue;      // an overwrite under way
        const int target = ::open(r.target.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (target < 0) continue;
        std::vector<unsigned char> now;
        bool ok = ReadWhole(target, now);
        const bool finished =
            ok && now.size() == r.newSize && Checksum(now.data(), now.size()) == r.newSum;
        if (ok && !finished) {
            ok = WriteAllAt(target, 0, bytes.data() + r.dataAt, std::size_t(r.oldSize)) &&
                 ::ftruncate(target, off_t(r.oldSize)) == 0 && ::fsync(target) == 0;
            restored += ok;
        }
        ::close(target);
        if (ok) ::unlink(path.c_str());
    }
    return restored;
}

}  // namespace orv
