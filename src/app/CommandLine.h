// The command line: the options that run without a display and end the program (--help,
// --version, --convert, --export-annotations), told apart from a plain start with a path.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace orv {

// Exit statuses of the commands.
enum ExitStatus : int {
    kExitOk = 0,
    kExitUsage = 1,              // wrong arguments
    kExitUnreadableInput = 2,    // missing input, or not a picture the program opens
    kExitUnsupportedOutput = 3,  // no format saves to the output's extension
    kExitNotWritten = 4,         // the output could not be written
    kExitNoAnnotations = 5,      // no annotations, or a damaged or unknown-version block
};

// What the arguments (without the program's name) ask for.
struct CommandRequest {
    enum class Action { Start, Help, Version, Convert, ExportAnnotations, Usage };
    Action action = Action::Start;
    QString input;   // Start: the path as one text (may be empty); Convert, Export: the file
    QString output;  // Convert: the file to write
    QString error;   // Usage: what is wrong
};

CommandRequest ParseCommandLine(const QStringList& args);

// Converts the picture `input` to `output` in the format its extension names. Returns an
// exit status; on failure `why` holds a one-line reason. Needs a Qt GUI application.
int ConvertPicture(const QString& input, const QString& output, QString& why);

// The annotations block of a PSD saved by the program, as indented JSON text. Returns an exit
// status; on failure `why` holds a one-line reason.
int ExportAnnotations(const QString& psdPath, QByteArray& json, QString& why);

// Runs what the arguments ask for when it is not a plain start: prints, converts or exports
// (with the offscreen Qt platform, so no display is needed) and returns the exit status.
// Returns nothing for a plain start, which the caller runs as before.
std::optional<int> RunCommandLine(int& argc, char** argv);

}  // namespace orv
