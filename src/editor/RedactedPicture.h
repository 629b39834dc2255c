#pragma once
// The canvas picture under its redactions. The editor keeps the picture as it
// was opened only here, in memory, so a redaction can still be moved or taken
// back while editing; the canvas itself (picture and drawing surface) only
// ever holds the redacted pixels, so whatever reads or saves the canvas never
// meets a pixel a redaction covers.

#include <QImage>
#include <QRect>
#include <vector>

namespace orv {

class PictureBox;

class RedactedPicture {
  public:
    /// One redaction in canvas pixels.
    struct Area {
        QRect rect;
        bool black = false;
        bool operator==(const Area&) const = default;
    };

    /// Brings the canvas in line with `areas` (oldest first; later ones lie
    /// above). Only what changed since the last call is recomputed. A picture
    /// or drawing put on the canvas since then is taken as the new unredacted
    /// one (whatever redactions it already shows stay in it).
    void Sync(PictureBox& canvas, const std::vector<Area>& areas);

  private:
    void Recompute(PictureBox& canvas, const std::vector<QRect>& dirty);

    QImage picture_, surface_;  ///< the canvas's picture and surface without redactions
    qint64 pictureKey_ = 0, surfaceKey_ = 0;  ///< of what this put on the canvas last
    bool held_ = false;
    std::vector<Area> applied_;
};

}  // namespace orv
