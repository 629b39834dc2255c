// libFuzzer target over the message a second start hands the running program. Any bytes must
// decode to a command line or be refused without reading outside them; every command line,
// whatever characters it holds and whatever bytes its names are, must come back from its
// message exactly as it went in, and its message must be one line.
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

#include "app/HandOff.h"
#include "platform/PathBytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // As a message received: refused or decoded, and what it decodes to travels again intact.
    if (const std::optional<QString> decoded = orv::DecodeHandOff(bytes)) {
        const QByteArray again = orv::EncodeHandOff(*decoded);
        if (again.indexOf('\n') != again.size() - 1) __builtin_trap();
        if (again.size() < orv::kMaxHandOffBytes && orv::DecodeHandOff(again.chopped(1)) != decoded)
            __builtin_trap();
    }
    // As a command line to send: valid UTF-8 text (control characters and NULs included), and
    // the same bytes as names in any encoding, whose bytes must survive as they are.
    const QString name = orv::PathFromBytes(bytes);
    if (orv::BytesOfPath(name) != bytes) __builtin_trap();
    for (const QString& commandLine : {QString::fromUtf8(bytes), name}) {
        const QByteArray message = orv::EncodeHandOff(commandLine);
        if (message.indexOf('\n') != message.size() - 1 || message.contains('\0')) __builtin_trap();
        if (message.size() < orv::kMaxHandOffBytes &&
            orv::DecodeHandOff(message.chopped(1)) != commandLine)
            __builtin_trap();
    }
    return 0;
}
