#pragma once
// The marked-up canvas as a vector document: the canvas without annotations as its picture,
// each annotation as a group named like its layer in a saved PSD, drawn by the painter that
// draws the screen, and the measurements as metadata.

#include <QString>
#include <memory>

#include "annotations/Annotations.h"
#include "imaging/io/VectorWriter.h"

namespace orv {

class Form1;

/// The document of `canvas` and the annotations on it (counters qqqq and wwww as the editor
/// keeps them), its groups in the order the canvas stacks them. They draw the canvas's
/// controls, so the canvas must outlive the document.
VectorDocument VectorCapture(const PictureBox& canvas, const Annotations& annotations, int qqqq,
                             int wwww);
/// The document of what the editor shows.
VectorDocument VectorCapture(const Form1& ed);

/// A canvas with annotations outside any editor: a layered PSD of ours as the editor would
/// reopen it, for saving it in another form.
class MarkupCanvas {
  public:
    MarkupCanvas();
    ~MarkupCanvas();
    MarkupCanvas(const MarkupCanvas&) = delete;
    MarkupCanvas& operator=(const MarkupCanvas&) = delete;

    enum class Outcome { Restored, NoAnnotations, Unreadable };
    /// Reads the PSD at `path`: with our annotation block and its "Picture" layer, the canvas
    /// holds that layer and the annotations come back (Restored). A PSD without the block is
    /// NoAnnotations; a damaged block or a missing picture layer is Unreadable, and `why`
    /// says why.
    Outcome LoadLayeredPsd(const QString& path, QString& why);

    /// The document of the canvas and its annotations.
    VectorDocument Document() const;
    /// The canvas, its annotations on it.
    const PictureBox& Canvas() const;

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace orv
