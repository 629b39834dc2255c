#pragma once
// A layer as the reader gave it, handed back to the writer as it stands: tests write files
// that other programs could have saved by editing a file's layers.
#include "imaging/psd/psd_layers.h"
#include "imaging/psd/psd_writer.h"

namespace orv::test {

/// The writer's description of `l` (its pixels stay in `l`).
inline psd::LayerSpec SpecOf(const psd::LayerPixels& l) {
    return {l.name,    l.left,
            l.top,     {l.bgra.data(), l.width, l.height, std::size_t(l.width) * 4},
            l.opacity, l.visible};
}

}  // namespace orv::test
