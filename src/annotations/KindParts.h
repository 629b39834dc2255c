#pragma once
// The parts a kind of annotation is described by (see Kinds.h), and the
// generic work on a kind's elements that follows from its parts alone.

#include <array>
#include <cstdint>
#include <optional>
#include <tuple>
#include <vector>

#include "annotations/AnnotationSnapshot.h"
#include "platform/ControlArray.h"
#include "platform/Controls.h"

namespace orv {

/// The control arrays of the kinds that describe themselves, owned by the editor.
struct KindArrays {
    ControlArray<Shape>* boxFrame = nullptr;   ///< box outlines
    ControlArray<Label>* boxSize = nullptr;    ///< box size labels
    ControlArray<Shape>* redaction = nullptr;  ///< redacted areas
};

/// One element of a kind: its JSON name, its state within the kind's state and
/// the array whose element n it is.
template <class KindState, class ElementState, class C>
struct Part {
    using Control = C;
    const char* name;
    ElementState KindState::*state;
    ControlArray<C>* KindArrays::*array;
};

// ---- Walking a kind's parts ------------------------------------------------

template <class K, class F>
void ForEachPart(F&& f) {
    std::apply([&](const auto&... p) { (f(p), ...); }, K::Parts);
}

/// Whether every element of the kind's annotation n is loaded.
template <class K>
bool AllLoaded(const KindArrays& a, int n) {
    bool all = n >= 1;
    ForEachPart<K>([&](const auto& p) { all = all && (a.*p.array) && (a.*p.array)->Exists(n); });
    return all;
}

/// Whether any element of the kind's annotation n is loaded.
template <class K>
bool AnyLoaded(const KindArrays& a, int n) {
    bool any = false;
    ForEachPart<K>([&](const auto& p) { any = any || ((a.*p.array) && (a.*p.array)->Exists(n)); });
    return any;
}

/// The first index from n on that no element of the kind holds.
template <class K>
int FreeKindIndex(const KindArrays& a, int n) {
    while (AnyLoaded<K>(a, n)) ++n;
    return n;
}

/// Loads the kind's elements at n, hidden copies of their templates.
template <class K>
void LoadKind(KindArrays& a, int n) {
    ForEachPart<K>([&](const auto& p) { (a.*p.array)->Load(n); });
}

/// Unloads whatever elements of the kind's annotation n are loaded.
template <class K>
void UnloadKind(KindArrays& a, int n) {
    if (n < 1) return;
    ForEachPart<K>([&](const auto& p) {
        if ((a.*p.array) && (a.*p.array)->Exists(n)) (a.*p.array)->Unload(n);
    });
}

/// The elements of annotation n in the order of the kind's parts (all loaded).
template <class K>
std::vector<Control*> ElementsOf(const KindArrays& a, int n) {
    std::vector<Control*> out;
    ForEachPart<K>([&](const auto& p) { out.push_back(&(*(a.*p.array))(n)); });
    return out;
}

/// The state of the kind's annotation n, if all its elements are loaded.
template <class K>
std::optional<typename K::State> StateOf(const KindArrays& a, int n) {
    if (!AllLoaded<K>(a, n)) return std::nullopt;
    typename K::State s;
    s.Index = n;
    ForEachPart<K>([&](const auto& p) { ReadElement((*(a.*p.array))(n), s.*p.state); });
    return s;
}

/// Writes a state into the loaded elements of its annotation.
template <class K>
void WriteKind(KindArrays& a, const typename K::State& s) {
    ForEachPart<K>([&](const auto& p) { WriteElement((*(a.*p.array))(s.Index), s.*p.state); });
}

/// The state with every element's rank cleared.
template <class K>
typename K::State Unranked(typename K::State s) {
    ForEachPart<K>([&](const auto& p) { (s.*p.state).Rank = 0; });
    return s;
}

// ---- Element state (defined in Annotations.cpp) ----------------------------

void ReadElement(const Line& c, LineState& s);
void ReadElement(const Label& c, LabelState& s);
void ReadElement(const Shape& c, ShapeState& s);
void ReadElement(const TextBox& c, TextBoxState& s);
void WriteElement(Line& c, const LineState& s);
void WriteElement(Label& c, const LabelState& s);
void WriteElement(Shape& c, const ShapeState& s);
void WriteElement(TextBox& c, const TextBoxState& s);

}  // namespace orv
