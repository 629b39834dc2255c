#pragma once
// Folders and the files in them by the bytes of their names (see PathBytes.h), for the
// program's own folders (the journal, the runtime folder): they live under the user's home,
// and a home whose name is not UTF-8 must hold them as well as any other.

#include <QString>
#include <QStringList>

namespace orv {

/// Makes `path` and its missing parents, each new one private to the user (0700). Whether it
/// is a folder now.
bool MakeFolders(const QString& path);
/// MakeFolders(), and `path` itself made private when it is the user's.
bool MakePrivateFolders(const QString& path);
/// Whether `path` is a folder (not a link to one) of this user that no one else may enter.
bool IsPrivateFolder(const QString& path);
/// A folder of this user's own in /tmp, `/tmp/<stem>-<user id>`, made private; empty when
/// someone else made it first or it cannot be made.
QString PrivateTemporaryFolder(const QString& stem);
/// The names in `folder` that start with `prefix` and end with `suffix`, of files only,
/// sorted; empty when it cannot be read.
QStringList FileNamesIn(const QString& folder, const QString& prefix, const QString& suffix);
/// Removes a file (not a folder). Whether it is gone.
bool RemoveFile(const QString& path);
/// Removes an empty folder. Whether it is gone.
bool RemoveEmptyFolder(const QString& path);
/// Renames `from` to `to`, on the same file system.
bool RenamePath(const QString& from, const QString& to);

}  // namespace orv
