#include "app/HandOff.h"

#include "platform/PathBytes.h"

namespace orv {

QByteArray EncodeHandOff(const QString& commandLine) {
    // UTF-8, except that a byte of a name that was not UTF-8 goes as that byte.
    const QByteArray text = BytesOfPath(commandLine);
    QByteArray out;
    out.reserve(text.size() + 1);
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\0':
                out += "\\0";
                break;
            default:
                out += c;
        }
    }
    out += '\n';
    return out;
}

std::optional<QString> DecodeHandOff(const QByteArray& line) {
    if (line.size() >= kMaxHandOffBytes) return std::nullopt;
    QByteArray text;
    text.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c != '\\' || i + 1 == line.size()) {
            text += c;
            continue;
        }
        switch (line[i + 1]) {
            case '\\':
                text += '\\';
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case '0':
                text += '\0';
                break;
            default:
                text += c;
                continue;  // not an escape: the backslash stands for itself
        }
        ++i;
    }
    // A name that is not UTF-8 arrives as its bytes and stays them.
    return PathFromBytes(text);
}

}  // namespace orv
