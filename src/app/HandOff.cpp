#include "app/HandOff.h"

#include <QStringDecoder>

namespace orv {

QByteArray EncodeHandOff(const QString& commandLine) {
    const QByteArray text = commandLine.toUtf8();
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
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(text);
    if (utf8.hasError()) return std::nullopt;
    return decoded;
}

}  // namespace orv
