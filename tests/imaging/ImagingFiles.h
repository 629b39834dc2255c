#pragma once
// File helpers shared by the imaging tests: whole-file reads and writes, and ImageMagick runs
// that tell "not installed" (skip) apart from "failed" (a test failure).
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <optional>

namespace orv::test {

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Whether ImageMagick's command-line tools are installed.
inline bool HaveImageMagick() {
    return !QStandardPaths::findExecutable(QStringLiteral("convert-im6.q16")).isEmpty();
}

// Runs an ImageMagick tool ("convert" or "identify"); its standard output, or nothing when it
// is missing or failed.
inline std::optional<QByteArray> ImageMagick(const char* tool, const QStringList& args) {
    QProcess process;
    process.start(QStandardPaths::findExecutable(QStringLiteral("%1-im6.q16").arg(tool)), args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

}  // namespace orv::test
