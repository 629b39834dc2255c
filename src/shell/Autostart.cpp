#include "shell/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace orv::autostart {

QString EntryPath() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // Relative values are invalid and ignored, as the base directory rules say.
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/orvane.desktop");
}

bool IsEnabled() {
    QFile f(EntryPath());
    if (!f.open(QIODevice::ReadOnly)) return false;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine().trimmed();
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false") return false;
    }
    return true;
}

QString ExecArgument(const QString& executable) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = false;
    for (QChar c : executable) needsQuotes = needsQuotes || reserved.contains(c);
    if (!needsQuotes) return executable;
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
    return out;
}

bool Enable(const QString& executable) {
    const QString path = EntryPath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    const QString entry = QStringLiteral(
                              "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Orvane Tessaly\n"
                              "Comment=Mark up pictures with distances, colour codes and notes\n"
                              "Exec=%1\n"
                              "Icon=orvane\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n")
                              .arg(ExecArgument(executable));
    f.write(entry.toUtf8());
    return f.commit();
}

bool Disable() {
    const QString path = EntryPath();
    return !QFile::exists(path) || QFile::remove(path);
}

}  // namespace orv::autostart
