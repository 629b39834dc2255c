#include "platform/FolderFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/PathBytes.h"

namespace orv {

namespace {

// The bytes of a name the system may be given: a name cut at a NUL would be another one's.
bool Usable(const std::string& bytes) {
    return !bytes.empty() && bytes.find('\0') == std::string::npos;
}

}  // namespace

bool MakeFolders(const QString& path) {
    const std::string bytes = StdBytesOfPath(path);
    if (!Usable(bytes)) return false;
    for (std::size_t at = 1; at <= bytes.size(); ++at)
        if (at == bytes.size() || bytes[at] == '/')
            (void)::mkdir(bytes.substr(0, at).c_str(), 0700);
    struct stat info {};
    return ::stat(bytes.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakePrivateFolders(const QString& path) {
    if (!MakeFolders(path)) return false;
    const std::string bytes = StdBytesOfPath(path);
    struct stat info {};
    if (::stat(bytes.c_str(), &info) == 0 && info.st_uid == ::geteuid() && (info.st_mode & 077))
        (void)::chmod(bytes.c_str(), 0700);
    return true;
}

bool IsPrivateFolder(const QString& path) {
    const std::string bytes = StdBytesOfPath(path);
    struct stat info {};
    return Usable(bytes) && ::lstat(bytes.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

QString PrivateTemporaryFolder(const QString& stem) {
    const QString folder =
        QStringLiteral("/tmp/") + stem + QLatin1Char('-') + QString::number(::geteuid());
    MakePrivateFolders(folder);
    return IsPrivateFolder(folder) ? folder : QString();
}

QStringList FileNamesIn(const QString& folder, const QString& prefix, const QString& suffix) {
    QStringList names;
    const std::string bytes = StdBytesOfPath(folder);
    if (!Usable(bytes)) return names;
    DIR* dir = ::opendir(bytes.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = PathFromBytes(entry->d_name);
        if (!name.startsWith(prefix) || !name.endsWith(suffix)) continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode))
            names << name;
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool RemoveFile(const QString& path) {
    const std::string bytes = StdBytesOfPath(path);
    return Usable(bytes) && (::unlink(bytes.c_str()) == 0 || errno == ENOENT);
}

bool RemoveEmptyFolder(const QString& path) {
    const std::string bytes = StdBytesOfPath(path);
    return Usable(bytes) && (::rmdir(bytes.c_str()) == 0 || errno == ENOENT);
}

bool RenamePath(const QString& from, const QString& to) {
    const std::string a = StdBytesOfPath(from), b = StdBytesOfPath(to);
    return Usable(a) && Usable(b) && ::rename(a.c_str(), b.c_str()) == 0;
}

}  // namespace orv
