#pragma once
// Reopening the program's own layered PSD files with live annotations.

#include <QString>

namespace orv {

class Form1;
class cpsd;

/// After `reader` loaded `path` onto the canvas: when the file carries our annotation block,
/// the canvas shows its "Picture" layer (the picture without annotations) and the annotations
/// come back as live markers (only those whose layers are still there unchanged, the others
/// drawn flat or left out, and a message says so). A file without the block stays as
/// loaded; a damaged or newer block, or a file without its picture layer, stays flat and a
/// short message says why.
/// True when the annotations came back from the file.
bool RestoreLayeredPsd(Form1& ed, const cpsd& reader, const QString& path);

}  // namespace orv
