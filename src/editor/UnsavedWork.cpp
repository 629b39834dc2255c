#include "editor/UnsavedWork.h"

#include "annotations/Annotations.h"
#include "editor/Form1.h"
#include "platform/Desktop.h"

namespace orv {

void UnsavedWork::MarkSaved() {
    ++generation_;
    saved_ = annotations_.Take();
}

void UnsavedWork::MarkNewPicture() {
    saved_ = AnnotationSnapshot{};
}

bool UnsavedWork::Pending() const {
    const AnnotationSnapshot now = annotations_.Take();
    return !now.Items.empty() && !(now == saved_);
}

bool Form1::MayDiscardWork() {
    if (!unsaved.Pending()) return true;
    switch (desktop.AskSaveChanges(QString::fromUtf8(kSaveChangesQuestion), Caption)) {
        case SaveAnswer::Discard:
            // Thrown away means gone: none of it may turn up on the next picture.
            annotations.RemoveAll();
            return true;
        case SaveAnswer::Save:
            // The usual save; a cancelled or failed one leaves the work unsaved, and then
            // nothing may be thrown away.
            Command5_Click();
            return !unsaved.Pending();
        case SaveAnswer::Cancel:
            break;
    }
    return false;
}

}  // namespace orv
