// Composing a document from its layers, for files whose merged picture is missing or empty.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "psd_layers.h"

namespace orv::psd {

// Draws `layer` onto `out`, an opaque picture of `width` x `height` pixels (blue, green, red,
// 255), with normal blending: each pixel by its alpha times the layer's opacity. What lies
// outside the picture is cut off.
void BlendNormal(const LayerPixels& layer, uint8_t* out, int32_t width, int32_t height);

// BlendNormal for row y of `layer` alone, given as four rows of its blue, green, red and alpha
// bytes (as VisitLayerRows hands them), with the same result for its pixels.
void BlendNormalRow(const LayerPixels& layer, int32_t y, const uint8_t* const* rows, uint8_t* out,
                    int32_t width, int32_t height);

// Which layers a composition shows: visible ones outside hidden groups (group records and
// their end markers show nothing themselves). `approximated` tells whether a shown layer uses
// what normal blending only approximates (another blend mode, clipping, a mask, effects, a
// group's own blending).
std::vector<bool> ShownLayers(const std::vector<LayerPixels>& layers, bool& approximated);

// Composes the shown layers of the layer and mask information section `length` bytes at `at`
// in `source` (as VisitLayerRows reads it), bottom first, over white into `out` (width * height
// * 4 bytes), holding a row of one layer at a time. False when the section cannot be read or no
// shown layer has any pixels, so nothing was composed.
bool ComposeSection(ByteSource& source, uint64_t at, uint64_t length, bool large, int32_t width,
                    int32_t height, uint8_t* out, bool& approximated);

}  // namespace orv::psd
