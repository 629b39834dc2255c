#pragma once
// Pieces the open commands of the editor share with the tool strip's routes:
// the extension rule, putting an opened picture on the canvas, and the bar
// layout that follows an open.

#include <QImage>
#include <QString>

namespace orv {

class Form1;

/// The text after the last "." of the whole path, lower-cased; empty when the
/// path holds no ".". A dot in a folder name counts too.
QString LowerExtension(const QString& path);

/// Shows a newly opened picture on the canvas (sizing it to the picture) and
/// clears whatever an earlier open drew on the canvas surface, so the new
/// picture is what the user sees. A null picture leaves the canvas empty.
void ShowOnCanvas(Form1& ed, const QImage& picture);

/// Lays the top bar along the window and the left bar below it, both drawn
/// afresh, and puts the window buttons one button width apart from the
/// screen's right edge.
void RepaintEditorBars(Form1& ed);

}  // namespace orv
