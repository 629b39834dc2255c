// libFuzzer target over the autostart entry writer. For any path of the program, either the
// path is refused, or the entry written for it has exactly one Exec= line, no line holds a
// control character, and a desktop reading the Exec= value back starts exactly that path:
// nothing in a folder's name can add a line, a key, an argument or a field code. The path is
// read as a file name's bytes, so that names that are not UTF-8 come up: the entry, UTF-8
// text, must never hold one.
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

#include "DesktopExec.h"
#include "platform/PathBytes.h"
#include "shell/Autostart.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const QString path =
        orv::PathFromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!orv::autostart::ExecRefusal(path).isEmpty()) return 0;
    const QString entry = orv::autostart::EntryText(path);
    // A lone surrogate would be written as some other byte than the name's.
    if (entry.toUtf8() != orv::BytesOfPath(entry)) __builtin_trap();
    QString exec;
    int execLines = 0;
    for (const QString& line : entry.split(QLatin1Char('\n'))) {
        for (QChar c : line)
            if (c.category() == QChar::Other_Control) __builtin_trap();
        if (line.startsWith(QLatin1String("Exec="))) {
            ++execLines;
            exec = line.mid(5);
        }
    }
    if (execLines != 1) __builtin_trap();
    const std::optional<QStringList> args = orv::test::ExecArguments(exec);
    if (!args || *args != QStringList{path}) __builtin_trap();
    return 0;
}
