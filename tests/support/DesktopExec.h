#pragma once
// How a desktop reads the Exec= value of an entry back into the program's arguments: string
// escapes first, then the quoting of arguments, then field codes (%% is a literal %). Used to
// check that what the autostart writer writes starts exactly the program it was given.
#include <QString>
#include <QStringList>

#include <optional>

namespace orv::test {

/// The arguments an Exec= value stands for; nullopt where a desktop would refuse the value or
/// expand a field code in it.
inline std::optional<QStringList> ExecArguments(const QString& value) {
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\')) {
            text += value[i];
            continue;
        }
        if (++i == value.size()) return std::nullopt;
        switch (value[i].unicode()) {
            case 's':
                text += QLatin1Char(' ');
                break;
            case 'n':
                text += QLatin1Char('\n');
                break;
            case 't':
                text += QLatin1Char('\t');
                break;
            case 'r':
                text += QLatin1Char('\r');
                break;
            case '\\':
                text += QLatin1Char('\\');
                break;
            default:
                return std::nullopt;
        }
    }
    static const QString reserved = QStringLiteral("\t\n\"'\\><~|&;$*?#()`");
    QStringList args;
    QString arg;
    bool inArg = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char(' ')) {
            if (inArg) args << arg;
            arg.clear();
            inArg = false;
        } else if (c == QLatin1Char('"')) {
            inArg = true;
            for (++i;; ++i) {
                if (i >= text.size()) return std::nullopt;  // quote never closed
                if (text[i] == QLatin1Char('"')) break;
                if (text[i] == QLatin1Char('\\')) {
                    if (++i >= text.size()) return std::nullopt;
                    if (!QStringLiteral("\"`$\\").contains(text[i])) return std::nullopt;
                } else if (text[i] == QLatin1Char('`') || text[i] == QLatin1Char('$')) {
                    return std::nullopt;
                }
                arg += text[i];
            }
        } else if (reserved.contains(c)) {
            return std::nullopt;  // must have been quoted
        } else {
            inArg = true;
            arg += c;
        }
    }
    if (inArg) args << arg;
    for (QString& a : args) {
        QString out;
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (a[i] != QLatin1Char('%')) {
                out += a[i];
            } else if (i + 1 < a.size() && a[i + 1] == QLatin1Char('%')) {
                out += QLatin1Char('%');
                ++i;
            } else {
                return std::nullopt;  // a field code
            }
        }
        a = out;
    }
    return args;
}

}  // namespace orv::test
