#pragma once
// The editor's capture as a layered document: the canvas without annotations as the
// "Picture" layer and each annotation on a layer of its own, named after what it shows.

#include <QImage>
#include <QString>

#include "imaging/io/PsdSaver.h"

namespace orv {

class Form1;

/// The layered document of `capture` (the canvas with every annotation, as saved flat): the
/// capture is its merged picture; the layers are the canvas base, then distance markers, then
/// colour markers and notes, each in index order.
LayeredPicture LayeredCapture(const Form1& ed, const QImage& capture);

/// Whether a save path asks for a layered document (its extension is "psd", in any case).
bool IsLayeredSavePath(const QString& path);

}  // namespace orv
