#pragma once
// File names as the file system holds them: bytes, not text. A name is turned into text the
// way Qt decodes names (UTF-8), except that a byte which is not part of valid UTF-8 becomes
// the lone surrogate U+DC00 + byte, which a QString can hold and nothing else produces. Turned
// back into bytes, such a name gives exactly the bytes it came from, so any name that exists
// opens, saves and travels between programs unchanged. A lone surrogate is never shown or
// written as text: ShownPath() gives the form for messages and captions.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

/// The text of the file name `bytes`: UTF-8 decoded, every other byte kept as its escape.
std::u16string PathTextOfBytes(std::string_view bytes);
/// The bytes of a file name's text: UTF-8, escapes back to their bytes. A lone surrogate that
/// is no escape becomes U+FFFD, as Qt writes it.
std::string PathBytesOfText(std::u16string_view text);
/// Whether `unit` is the escape of a byte that was not valid UTF-8.
constexpr bool IsEscapedByte(char16_t unit) {
    return unit >= 0xDC80 && unit <= 0xDCFF;
}

/// PathTextOfBytes() for Qt's types, used where a name comes from the system (argv, a
/// message, the name of a file on disk).
QString PathFromBytes(const QByteArray& bytes);
QString PathFromBytes(const char* bytes);
/// PathBytesOfText() for Qt's types, used where a name goes to the system.
QByteArray BytesOfPath(const QString& path);
/// BytesOfPath() as the standard library's string, for the file classes that take one.
std::string StdBytesOfPath(const QString& path);
/// The name as a user reads it: every escaped byte (and any other lone surrogate) shown as
/// U+FFFD, so that the text is valid wherever it is painted or written.
QString ShownPath(const QString& path);

/// Whether the name holds a byte that is not UTF-8, which Qt's own file classes cannot name.
bool HoldsEscapedBytes(const QString& path);

/// The value of an environment variable that holds a path, by its bytes (empty when unset).
QString EnvironmentPath(const char* name);
/// The user's home folder, by the bytes of $HOME (Qt's answer where that is unset).
QString HomeFolderPath();

/// The working folder, by its bytes.
QString CurrentFolderPath();
/// The running program's file, by its bytes (empty where the system does not say).
QString ProgramPath();

/// What stat() says of a name, following links.
struct PathFacts {
    bool exists = false;
    bool regular = false;         ///< an ordinary file (not a folder, FIFO, device, socket)
    std::int64_t size = -1;       ///< in bytes; -1 unless regular
    std::int64_t modifiedMs = 0;  ///< last change, milliseconds since 1970
};
/// stat() of the bytes of `path`; never opens it, so a FIFO never blocks.
PathFacts FactsOfPath(const QString& path);

}  // namespace orv
