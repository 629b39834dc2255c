#pragma once
// Artwork: SVG resources rendered crisply at the size they are shown.

#include <QImage>
#include <QSize>
#include <QString>

namespace orv {

/// Renders the SVG resource at path to a picture of size pixels; null when missing.
QImage RenderArtwork(const QString& path, QSize size);
/// The native size of the SVG resource in pixels; empty when missing.
QSize ArtworkSize(const QString& path);

}  // namespace orv
