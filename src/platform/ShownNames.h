#pragma once
// Turning a name as a file dialog shows it back into the name the file system holds. Qt reads
// every name through UTF-8: a byte that is not part of valid UTF-8 comes back as U+FFFD, so a
// path chosen in a dialog may name no file at all. Each component that holds U+FFFD is looked
// up among the entries of its folder, read by bytes: the one entry shown that way is the one
// meant. Where two entries are shown alike, or none is, the name is not guessed.

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orv {

/// The entries of a folder (the bytes of each name, without "." and ".."), or nothing where
/// the folder cannot be read.
using FolderListing = std::function<std::optional<std::vector<std::string>>(const std::string&)>;

/// The name `bytes` as a file dialog shows it (each stray byte as U+FFFD).
QString ShownNameOfBytes(const std::string& bytes);

/// How a shown name was found among a folder's entries.
enum class NameFound {
    Unique,     ///< one entry is shown so
    None,       ///< no entry is
    Ambiguous,  ///< two or more are: which one was meant cannot be told
};

struct ShownNameMatch {
    NameFound found = NameFound::None;
    std::string bytes;  ///< the entry's name, when Unique
};

/// The entry of `entries` shown as `shown`.
ShownNameMatch MatchShownName(const std::vector<std::string>& entries, const QString& shown);

/// What a chosen path stands for on disk.
struct RealPath {
    NameFound found = NameFound::Unique;
    /// The path by its bytes (as PathFromBytes gives it) when Unique; the path as chosen
    /// otherwise.
    QString path;
    /// The component that matched no entry or more than one, as it was shown.
    QString faulty;
};

/// The path that the absolute `chosen` path, as a dialog gives it, names. Components without
/// U+FFFD stand for themselves; each other one is looked up in its folder through `list`.
/// With `lastMayBeNew` (a name to save to), a last component that matches no entry is a new
/// file of that very name.
RealPath RealPathOfChosen(const QString& chosen, const FolderListing& list, bool lastMayBeNew);
/// RealPathOfChosen() for the components of `rest` below `base`, a folder's path by its bytes
/// (as PathFromBytes gives it) that is taken as it stands.
RealPath RealPathUnder(const QString& base, const QString& rest, const FolderListing& list,
                       bool lastMayBeNew);

/// The entries of the folder `folder` (by its bytes), read with readdir.
std::optional<std::vector<std::string>> ListFolderByBytes(const std::string& folder);

/// An entry whose name Qt cannot read, so that Qt's own listings leave it out.
struct UnreadableEntry {
    std::string bytes;  ///< its name
    bool folder = false;
    std::int64_t size = 0;        ///< in bytes, for a file
    std::int64_t modifiedMs = 0;  ///< last change, milliseconds since 1970
};
/// The entries of the folder `folder` (by its bytes) whose names are not UTF-8.
std::vector<UnreadableEntry> UnreadableEntriesOf(const std::string& folder);

/// Whether `path` (by its bytes) is a folder, following links.
bool IsFolderByBytes(const QString& path);
/// Makes `link` a symbolic link to `target` (both by their bytes).
bool MakeLinkByBytes(const QString& target, const QString& link);

/// `path` (by its bytes) as text any store of text keeps: itself where it is UTF-8, its bytes
/// percent-encoded after "bytes:" where it is not (an absolute path never starts so).
QString StorablePath(const QString& path);
/// The path StorablePath() gave `text` for.
QString PathFromStored(const QString& text);

/// Whether a dialog's `chosen` path can stand for anything but itself: it holds U+FFFD.
bool MayNameOtherBytes(const QString& chosen);

}  // namespace orv
