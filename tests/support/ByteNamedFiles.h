#pragma once
// Emptying a test folder that holds files whose names are not UTF-8: Qt's own removal reads
// names through UTF-8 and cannot name them, so they are unlinked by their bytes here.

#include <QFile>
#include <QString>

#include <dirent.h>
#include <unistd.h>

#include <string>

namespace orv::test {

/// Removes every file directly in `folder`, whatever bytes its name holds.
inline void RemoveFilesByBytes(const QString& folder) {
    const std::string path = QFile::encodeName(folder).toStdString();
    DIR* dir = ::opendir(path.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") ::unlink((path + '/' + name).c_str());
    }
    ::closedir(dir);
}

}  // namespace orv::test
