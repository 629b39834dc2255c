// What names an annotation, apart from its controls: kept out of Annotations.cpp so that
// the annotation JSON (and its fuzz target) needs no control arrays to read a block.

#include <type_traits>
#include <variant>

#include "annotations/Annotations.h"
#include "annotations/Kinds.h"

namespace orv {

AnnotationKey KeyOf(const AnnotationState& s) {
    AnnotationKey described;
    if (VisitKind(s, [&](auto k, const auto& st) {
            described = AnnotationKey{false, st.Index, decltype(k)::Family};
        }))
        return described;
    return std::visit(
        [](const auto& v) {
            return AnnotationKey{!std::is_same_v<std::decay_t<decltype(v)>, DistanceState>,
                                 v.Index};
        },
        s);
}

}  // namespace orv
