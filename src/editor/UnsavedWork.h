#pragma once
// Whether the annotations hold work that was never saved: they differ from the
// annotations as they were at the last successful save or open. Anything that
// would throw them away (closing, exiting, opening another picture) asks first.

#include <cstdint>

#include "annotations/AnnotationSnapshot.h"

namespace orv {

class Annotations;

/// The text of the question asked before unsaved annotations would be lost.
inline constexpr char kSaveChangesQuestion[] = "Save changes to this markup?";

class UnsavedWork {
  public:
    explicit UnsavedWork(const Annotations& annotations) : annotations_(annotations) {}

    /// The annotations as they are now are safe: just saved, or just opened.
    void MarkSaved();
    /// A new picture is on the canvas: annotations carried onto it were never saved with it.
    void MarkNewPicture();
    /// True when there are annotations and they differ from the ones last saved or opened.
    bool Pending() const;
    /// Grows with every MarkSaved.
    std::uint64_t Generation() const { return generation_; }

  private:
    const Annotations& annotations_;
    AnnotationSnapshot saved_;
    std::uint64_t generation_ = 0;
};

}  // namespace orv
