#include "platform/PathBytes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace orv {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The length of the valid UTF-8 sequence that starts `bytes` at `at`, and its code point;
// 0 when the byte there does not start one. Overlong forms, surrogates and code points past
// U+10FFFF are not valid.
int ValidSequence(std::string_view bytes, std::size_t at, char32_t& point) {
    const auto byte = [&](std::size_t i) { return std::uint8_t(bytes[i]); };
    const std::uint8_t lead = byte(at);
    if (lead < 0x80) {
        point = lead;
        return 1;
    }
    int length = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        point = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        point = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        point = lead & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() - at < std::size_t(length)) return 0;
    for (int i = 1; i < length; ++i) {
        const std::uint8_t next = byte(at + std::size_t(i));
        if ((next & 0xC0) != 0x80) return 0;
        point = point << 6 | (next & 0x3F);
    }
    if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return 0;
    return length;
}

void AppendUtf8(std::string& out, char32_t point) {
    if (point < 0x80) {
        out += char(point);
    } else if (point < 0x800) {
        out += char(0xC0 | point >> 6);
        out += char(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += char(0xE0 | point >> 12);
        out += char(0x80 | (point >> 6 & 0x3F));
        out += char(0x80 | (point & 0x3F));
    } else {
        out += char(0xF0 | point >> 18);
        out += char(0x80 | (point >> 12 & 0x3F));
        out += char(0x80 | (point >> 6 & 0x3F));
        out += char(0x80 | (point & 0x3F));
    }
}

bool IsHigh(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLow(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::u16string PathTextOfBytes(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t point = 0;
        const int length = ValidSequence(bytes, at, point);
        if (length == 0) {
            // One byte at a time: what follows a stray byte may well be valid again.
            text += char16_t(0xDC00 + std::uint8_t(bytes[at]));
            ++at;
            continue;
        }
        if (point < 0x10000) {
            text += char16_t(point);
        } else {
            text += char16_t(0xD800 + ((point - 0x10000) >> 10));
            text += char16_t(0xDC00 + ((point - 0x10000) & 0x3FF));
        }
        at += std::size_t(length);
    }
    return text;
}

std::string PathBytesOfText(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (IsHigh(unit) && i + 1 < text.size() && IsLow(text[i + 1])) {
            AppendUtf8(bytes, 0x10000 + (char32_t(unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (IsEscapedByte(unit)) {
            bytes += char(unit - 0xDC00);
        } else if (IsHigh(unit) || IsLow(unit)) {
            AppendUtf8(bytes, kReplacement);
        } else {
            AppendUtf8(bytes, unit);
        }
    }
    return bytes;
}

QString PathFromBytes(const QByteArray& bytes) {
    const std::u16string text =
        PathTextOfBytes(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

QString PathFromBytes(const char* bytes) {
    return PathFromBytes(QByteArray(bytes));
}

std::string StdBytesOfPath(const QString& path) {
    return PathBytesOfText(std::u16string_view(reinterpret_cast<const char16_t*>(path.utf16()),
                                               std::size_t(path.size())));
}

QByteArray BytesOfPath(const QString& path) {
    const std::string bytes = StdBytesOfPath(path);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

QString ShownPath(const QString& path) {
    QString shown = path;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const char16_t unit = shown[i].unicode();
        if (IsHigh(unit) && i + 1 < shown.size() && IsLow(shown[i + 1].unicode())) {
            ++i;  // a pair: one character beyond U+FFFF
        } else if (IsHigh(unit) || IsLow(unit)) {
            shown[i] = QChar(kReplacement);
        }
    }
    return shown;
}

bool HoldsEscapedBytes(const QString& path) {
    return std::any_of(path.cbegin(), path.cend(),
                       [](QChar c) { return IsEscapedByte(c.unicode()); });
}

QString EnvironmentPath(const char* name) {
    return PathFromBytes(qgetenv(name));
}

QString HomeFolderPath() {
    const QString home = EnvironmentPath("HOME");
    return home.isEmpty() ? QDir::homePath() : home;
}

QString CurrentFolderPath() {
    // getcwd(NULL, 0) allocates what the path needs, however long it is.
    const std::unique_ptr<char, decltype(&std::free)> folder(::getcwd(nullptr, 0), &std::free);
    return folder ? PathFromBytes(folder.get()) : QString();
}

QString ProgramPath() {
    // readlink() says nothing of a name longer than its buffer but that it filled it.
    for (std::size_t room = 256; room <= (std::size_t(1) << 20); room *= 4) {
        std::string target(room, '\0');
        const ssize_t got = ::readlink("/proc/self/exe", target.data(), room);
        if (got < 0) return {};
        if (std::size_t(got) < room)
            return PathFromBytes(QByteArray(target.data(), qsizetype(got)));
    }
    return {};
}

PathFacts FactsOfPath(const QString& path) {
    PathFacts facts;
    const std::string bytes = StdBytesOfPath(path);
    struct stat info {};
    // A name cut at a NUL would be another file's.
    if (bytes.empty() || bytes.find('\0') != std::string::npos || ::stat(bytes.c_str(), &info) != 0)
        return facts;
    facts.exists = true;
    facts.regular = S_ISREG(info.st_mode);
    if (facts.regular) facts.size = std::int64_t(info.st_size);
    facts.modifiedMs =
        std::int64_t(info.st_mtim.tv_sec) * 1000 + std::int64_t(info.st_mtim.tv_nsec / 1000000);
    return facts;
}

}  // namespace orv
