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

#include <initializer_list>
#include <utility>

namespace orv {

class Container;
class Image;

/// Names a square artwork picture, places it in `in` at (left, top) twips with
/// its tooltip, and shows the resource ":/art/<art>".
void PlaceImage(Image& img, const QString& name, float left, float top, float size, const char* art,
                Container& in, const QString& tip = {});

/// The look of a row of tool pictures, each a pair of its plain and its active
/// picture: the chosen tool shows its active picture, every other its plain one.
void ShowToolLook(std::initializer_list<std::pair<Image*, Image*>> tools, const Image* chosen);

}  // namespace orv
