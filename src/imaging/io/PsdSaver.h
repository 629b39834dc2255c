// Saving a marked-up picture as a layered Photoshop document.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QPoint>
#include <QString>

#include <vector>

#include "imaging/io/PictureSaver.h"

namespace orv {

// One layer over the picture: its name, where its top-left pixel lies on the picture, and its
// pixels (transparent where the layer shows nothing).
struct PsdLayer {
    QString name;
    QPoint at;
    QImage pixels;
    bool visible = true;
};

// What a layered file holds: the merged picture (what every other reader shows), the layers
// from the bottom up, and our own bytes for the private image resource (none when empty).
struct LayeredPicture {
    QImage merged;
    std::vector<PsdLayer> layers;
    QByteArray privateData;
};

// The layered picture of a flat one: the picture as the composite and as a single layer named
// "Picture".
LayeredPicture FlatLayeredPicture(const QImage& picture);

// Writes the document to `device`; false with a reason in `why` when it cannot be written.
bool WriteLayeredPsd(const LayeredPicture& doc, QIODevice& device, QString& why);

// Writes the document to `path` the way every save does: beside the target under a temporary
// name, then put in its place, so a failed save leaves the old file untouched.
SaveResult SaveLayeredPsd(const LayeredPicture& doc, const QString& path);

}  // namespace orv
