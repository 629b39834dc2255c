#pragma once
// A kind of annotation said in one place: the controls it is made of, where
// each one's state sits in the kind's plain-data state, its name in the
// annotation JSON, its line in the copied measurements and its layer in a
// saved PSD. Annotations, the JSON, undo, the measurements and the layered
// save walk the list of kinds below instead of naming each kind, so a new
// kind is a description (BoxKind.h is one) and a line in DescribedKinds.

#include <cstdint>
#include <tuple>
#include <variant>

#include "annotations/BoxKind.h"
#include "annotations/RedactionKind.h"

namespace orv {

/// Every kind that describes itself, in the order their numbers are given.
using DescribedKinds = std::tuple<BoxKind, RedactionKind>;

/// Calls f(K{}) for every described kind K.
template <class F>
void ForEachKind(F&& f) {
    std::apply([&](auto... k) { (f(k), ...); }, DescribedKinds{});
}

/// Calls f(K{}) for the described kind whose Family is family; false for none.
template <class F>
bool WithKind(std::uint8_t family, F&& f) {
    bool found = false;
    ForEachKind([&](auto k) {
        if (decltype(k)::Family != family) return;
        f(k);
        found = true;
    });
    return found;
}

/// Calls f(K{}, state) for the described kind whose state s holds; false when
/// s is one of the three first kinds.
template <class F>
bool VisitKind(const AnnotationState& s, F&& f) {
    bool found = false;
    ForEachKind([&](auto k) {
        using K = decltype(k);
        if (const auto* v = std::get_if<typename K::State>(&s)) {
            f(k, *v);
            found = true;
        }
    });
    return found;
}

}  // namespace orv
