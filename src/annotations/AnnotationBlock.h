#pragma once
// The annotation block as our PSD files carry it: the snapshot (AnnotationJson.h) plus, from
// version 2 on, what each annotation's layer held when the file was saved, so that a file
// edited in another program brings back live only what is still there unchanged.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <span>
#include <vector>

#include "annotations/AnnotationJson.h"
#include "annotations/AnnotationSnapshot.h"

namespace orv {

namespace psd {
struct LayerPixels;
}

/// The block version that records the saved layers.
inline constexpr int kAnnotationBlockVersion = 2;

/// What one layer showed: its name, the bounds of its painted pixels within the document (all
/// zero when it shows nothing) and a SHA-256 of those pixels (blue, green, red, alpha; fully
/// transparent pixels count as four zeros). Trimming transparent margins or the colour hidden
/// under alpha 0, as other programs do when they save, changes nothing.
struct LayerCheck {
    QString name;
    int left = 0, top = 0, width = 0, height = 0;
    QByteArray sha256;  ///< lower-case hex
    bool operator==(const LayerCheck&) const = default;
};

/// The check of a layer of `width` x `height` straight-alpha BGRA pixels, rows `stride` bytes
/// apart, placed at `left`, `top` in a document of `docWidth` x `docHeight`.
LayerCheck CheckOfLayer(const QString& name, int left, int top, const uint8_t* bgra, int width,
                        int height, std::size_t stride, int docWidth, int docHeight);
LayerCheck CheckOfLayer(const psd::LayerPixels& layer, int docWidth, int docHeight);

/// What a file was saved with: the picture layer and one layer per annotation, in the order
/// of the snapshot's Items.
struct SavedLayers {
    LayerCheck picture;
    std::vector<LayerCheck> annotations;
};

/// A block read back: its version and snapshot, and the saved layers (version 2 and later).
struct AnnotationBlock {
    int version = 0;
    AnnotationSnapshot snapshot;
    bool hasSaved = false;
    SavedLayers saved;
};

/// The version-2 block: compact JSON, deterministic, padded with a space to an even length
/// (so that no writer needs a pad byte after it).
QByteArray AnnotationBlockToJson(const AnnotationSnapshot& snapshot, const SavedLayers& saved);

/// Reads a block of any version this program knows. Trailing NUL bytes are ignored. Errors as
/// AnnotationsFromJson; a version-2 block also needs its saved layers, one per annotation.
AnnotationJsonError AnnotationBlockFromJson(const QByteArray& json, AnnotationBlock& out,
                                            QString& why);

/// How a block stands against the layers a file holds now.
struct BlockVerdict {
    AnnotationSnapshot live;  ///< the annotations to bring back live
    int pictureLayer = -1;    ///< index of the picture layer in the file's layers, -1 if none
    /// Visible layers to draw flat over the picture, bottom first: annotation layers changed
    /// elsewhere and layers another program added.
    std::vector<int> flatLayers;
    int leftFlat = 0;  ///< annotations whose layer changed (drawn flat, not live)
    int dropped = 0;   ///< annotations whose layer is gone or hidden
};

/// Matches `block` against `layers` (bottom first) of a `docWidth` x `docHeight` document.
/// The picture layer is the full-size layer named "Picture". A block without saved layers
/// (version 1) trusts every annotation, as it always did.
BlockVerdict CheckBlock(const AnnotationBlock& block, const std::vector<psd::LayerPixels>& layers,
                        int docWidth, int docHeight);

/// CheckBlock on the layers of the whole PSD `file`, read one layer at a time so that no more
/// than one layer's pixels are held: only the layers the block names are decoded, each one's
/// check worked out and its pixels let go before the next. `layers` gets every layer's record
/// without pixels, and `picture` (when given) the pixels of the picture layer. False when the
/// layers cannot be read; the verdict is then the one for a file without layers.
bool CheckBlockInFile(const AnnotationBlock& block, std::span<const uint8_t> file, int docWidth,
                      int docHeight, BlockVerdict& verdict, std::vector<psd::LayerPixels>& layers,
                      std::vector<uint8_t>* picture = nullptr);

/// One line for the user about annotations left flat or dropped; empty when there were none.
QString BlockVerdictNote(const BlockVerdict& verdict);

}  // namespace orv
