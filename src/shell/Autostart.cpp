#include "shell/Autostart.h"

#include <QDir>

#include "platform/FolderFiles.h"
#include "platform/PathBytes.h"
#include "platform/RegularFile.h"
#include "platform/ReplacingFile.h"

namespace orv::autostart {

QString EntryPath() {
    QString config = EnvironmentPath("XDG_CONFIG_HOME");
    // Relative values are invalid and ignored, as the base directory rules say.
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = HomeFolderPath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/orvane.desktop");
}

namespace {
// An entry is a few hundred bytes; anything far larger is not one of ours to read whole.
constexpr std::uint64_t kLargestEntry = 64 * 1024;
}  // namespace

bool IsEnabled() {
    // Only a regular file counts: a FIFO or device planted at the path is never opened
    // for a blocking read.
    QByteArray text;
    const ReadFault fault = ReadRegularFile(EntryPath(), kLargestEntry, text);
    if (fault == ReadFault::TooLarge) return true;  // there, though not readable here
    if (fault != ReadFault::None) return false;
    for (const QByteArray& line : text.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed == "Hidden=true" || trimmed == "X-GNOME-Autostart-enabled=false") return false;
    }
    return true;
}

QString ExecRefusal(const QString& executable) {
    if (executable.isEmpty()) return QStringLiteral("the program's path is not known");
    // An entry is UTF-8 text: a folder name of other bytes has no way to be written in it.
    for (QChar c : executable) {
        if (IsEscapedByte(c.unicode()))
            return QStringLiteral(
                "the program's path is not UTF-8, which a desktop entry "
                "cannot hold");
    }
    for (QChar c : executable) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.category() == QChar::Other_Control)
            return QStringLiteral(
                "the program's path holds a line break or another control "
                "character, which a desktop entry cannot hold");
    }
    return {};
}

QString ExecArgument(const QString& executable) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = false;
    for (QChar c : executable) needsQuotes = needsQuotes || reserved.contains(c);
    // A lone % starts a field code; a literal one is written twice.
    if (!needsQuotes) return QString(executable).replace(QLatin1Char('%'), QStringLiteral("%%"));
    QString out = QStringLiteral("\"");
    for (QChar c : executable) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    out += QLatin1Char('"');
    // The entry's own string escapes come first: a backslash is written twice.
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    out.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return out;
}

QString EntryText(const QString& executable) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Orvane Tessaly\n"
               "Comment=Mark up pictures with distances, colour codes and notes\n"
               "Exec=") +
           ExecArgument(executable) +
           QStringLiteral(
               "\n"
               "Icon=orvane\n"
               "Terminal=false\n"
               "X-GNOME-Autostart-enabled=true\n");
}

bool Enable(const QString& executable) {
    if (!ExecRefusal(executable).isEmpty()) return false;
    const QString path = EntryPath();
    if (!MakeFolders(path.left(path.lastIndexOf(QLatin1Char('/'))))) return false;
    const QByteArray text = EntryText(executable).toUtf8();
    return WriteWholeFile(StdBytesOfPath(path), text.constData(), std::size_t(text.size())).ok();
}

bool Disable() {
    return RemoveFile(EntryPath());
}

}  // namespace orv::autostart
