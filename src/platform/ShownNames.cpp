#include "platform/ShownNames.h"

#include <QStringList>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "platform/PathBytes.h"

namespace orv {

namespace {

constexpr QChar kReplacement(0xFFFD);

}  // namespace

QString ShownNameOfBytes(const std::string& bytes) {
    return ShownPath(PathFromBytes(QByteArray(bytes.data(), qsizetype(bytes.size()))));
}

bool MayNameOtherBytes(const QString& chosen) {
    return chosen.contains(kReplacement);
}

ShownNameMatch MatchShownName(const std::vector<std::string>& entries, const QString& shown) {
    ShownNameMatch match;
    for (const std::string& entry : entries) {
        if (ShownNameOfBytes(entry) != shown) continue;
        if (match.found == NameFound::Unique) return {NameFound::Ambiguous, {}};
        match = {NameFound::Unique, entry};
    }
    return match;
}

RealPath RealPathOfChosen(const QString& chosen, const FolderListing& list, bool lastMayBeNew) {
    if (!MayNameOtherBytes(chosen)) return {NameFound::Unique, chosen, {}};
    return RealPathUnder(QString(), chosen, list, lastMayBeNew);
}

RealPath RealPathUnder(const QString& base, const QString& rest, const FolderListing& list,
                       bool lastMayBeNew) {
    const QString chosen = base + rest;
    const QStringList parts = rest.split(QLatin1Char('/'));
    std::string bytes = StdBytesOfPath(base);
    if (bytes.empty() && rest.startsWith(QLatin1Char('/'))) bytes.push_back('/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        if (part.isEmpty()) continue;
        std::string name;
        if (!MayNameOtherBytes(part) || HoldsEscapedBytes(part)) {
            name = StdBytesOfPath(part);
        } else {
            const std::optional<std::vector<std::string>> entries =
                list(bytes.empty() ? std::string(".") : bytes);
            const ShownNameMatch match =
                MatchShownName(entries ? *entries : std::vector<std::string>{}, part);
            const bool last = i + 1 == parts.size();
            if (match.found == NameFound::Unique) {
                name = match.bytes;
            } else if (match.found == NameFound::None && last && lastMayBeNew) {
                name = StdBytesOfPath(part);  // a new file, named as shown
            } else {
                return {match.found, chosen, part};
            }
        }
        if (!bytes.empty() && bytes.back() != '/') bytes += '/';
        bytes += name;
    }
    return {
        NameFound::Unique, PathFromBytes(QByteArray(bytes.data(), qsizetype(bytes.size()))), {}};
}

std::optional<std::vector<std::string>> ListFolderByBytes(const std::string& folder) {
    if (folder.empty() || folder.find('\0') != std::string::npos) return std::nullopt;
    struct Closer {
        void operator()(DIR* d) const { ::closedir(d); }
    };
    const std::unique_ptr<DIR, Closer> dir(::opendir(folder.c_str()));
    if (!dir) return std::nullopt;
    std::vector<std::string> entries;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") entries.push_back(name);
    }
    return entries;
}

namespace {
const QString kStoredBytes = QStringLiteral("bytes:");
}  // namespace

QString StorablePath(const QString& path) {
    if (!HoldsEscapedBytes(path)) return path;
    return kStoredBytes + QString::fromLatin1(BytesOfPath(path).toPercentEncoding("/"));
}

QString PathFromStored(const QString& text) {
    if (!text.startsWith(kStoredBytes)) return text;
    return PathFromBytes(QByteArray::fromPercentEncoding(text.mid(kStoredBytes.size()).toLatin1()));
}

std::vector<UnreadableEntry> UnreadableEntriesOf(const std::string& folder) {
    std::vector<UnreadableEntry> unreadable;
    const std::optional<std::vector<std::string>> entries = ListFolderByBytes(folder);
    if (!entries) return unreadable;
    std::string prefix = folder;
    if (prefix.back() != '/') prefix.push_back('/');
    for (const std::string& name : *entries) {
        if (!HoldsEscapedBytes(PathFromBytes(QByteArray(name.data(), qsizetype(name.size())))))
            continue;
        UnreadableEntry entry{name};
        struct stat info {};
        if (::stat((prefix + name).c_str(), &info) == 0) {
            entry.folder = S_ISDIR(info.st_mode);
            entry.size = entry.folder ? 0 : std::int64_t(info.st_size);
            entry.modifiedMs = std::int64_t(info.st_mtim.tv_sec) * 1000 +
                               std::int64_t(info.st_mtim.tv_nsec / 1000000);
        }
        unreadable.push_back(std::move(entry));
    }
    return unreadable;
}

bool IsFolderByBytes(const QString& path) {
    const std::string bytes = StdBytesOfPath(path);
    struct stat info {};
    return !bytes.empty() && bytes.find('\0') == std::string::npos &&
           ::stat(bytes.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeLinkByBytes(const QString& target, const QString& link) {
    const std::string to = StdBytesOfPath(target), at = StdBytesOfPath(link);
    if (to.find('\0') != std::string::npos || at.find('\0') != std::string::npos) return false;
    return ::symlink(to.c_str(), at.c_str()) == 0;
}

}  // namespace orv
