#pragma once
// File names that need not be UTF-8: random ones, and emptying a test folder that holds
// such files (Qt's own removal reads names through UTF-8 and cannot name them, so they are
// unlinked by their bytes here).

#include <QFile>
#include <QString>

#include <dirent.h>
#include <unistd.h>

#include <random>
#include <string>

namespace orv::test {

/// The `n`th random file name of 1 to `longest` bytes, never '/' nor NUL. Every other one
/// draws bytes of 0x80 and above more often than chance gives them, so that valid and
/// broken multi-byte sequences both come up.
inline std::string RandomByteName(std::mt19937& random, int n, int longest) {
    std::uniform_int_distribution<int> length(1, longest);
    std::uniform_int_distribution<int> byte(1, 255);
    std::string name;
    for (int i = length(random); i > 0; --i) {
        int b = byte(random);
        if (n % 2 == 0 && b < 0x80) b = 0x80 + b % 0x80;
        name += char(b == '/' ? 'x' : b);
    }
    return name;
}

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
