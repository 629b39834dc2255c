#pragma once
// Each annotation as a layer of a saved document: what names it and which controls draw it.
// Layered PSDs and vector documents list the same layers, in the same order, under the same
// names.

#include <QString>
#include <cstddef>
#include <type_traits>
#include <variant>
#include <vector>

#include "annotations/AnnotationSnapshot.h"
#include "annotations/Annotations.h"

namespace orv {

/// Where the state of kind T lies among the alternatives of AnnotationState.
template <class T, class V = AnnotationState>
struct KindIndex;
template <class T, class... Ts>
struct KindIndex<T, std::variant<Ts...>> {
    static constexpr std::size_t value = [] {
        std::size_t i = 0;
        (void)((std::is_same_v<T, Ts> ? false : (++i, true)) && ...);
        return i;
    }();
};

/// One annotation's layer.
struct AnnotationLayer {
    QString id;    ///< a short name for programs: "distance-1", "colour-2", "note-3"
    QString name;  ///< the name a person reads: "Distance 1 — 311px"
    std::vector<const Control*> controls;  ///< its elements (some may be missing: nullptr)
    std::size_t kind = 0;  ///< which alternative of AnnotationState the annotation is
    int index = 0;         ///< its index among the elements of its kind
};

/// The layers of the annotations below the counters qqqq (distance markers) and wwww (colour
/// markers and notes): distance markers first, then colour markers and notes, each in index
/// order. An index whose elements are all gone has no layer.
std::vector<AnnotationLayer> AnnotationLayers(const AnnotationArrays& arrays, int qqqq, int wwww);
/// The same, followed by the layers of the described kinds (boxes; a redaction has none: it
/// lies in the picture), each in index order: every annotation that has a layer.
std::vector<AnnotationLayer> AnnotationLayers(const Annotations& annotations, int qqqq, int wwww);

}  // namespace orv
