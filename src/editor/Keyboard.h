#pragma once
// The editor's keys, for when no text box holds the keyboard: the tools by
// letter and number, nudging and deleting the annotation pressed last, save,
// paste a picture, and Escape to call off a drag under way.

#include <cstdint>
#include <optional>

#include "annotations/AnnotationSnapshot.h"
#include "editor/UndoHistory.h"
#include "platform/Controls.h"

namespace orv {

class Form1;

class Keyboard {
  public:
    /// Which annotation an element press picked: one of the three first kinds, or a kind
    /// that describes itself (Kinds.h), told by its Family.
    enum class Kind { Distance, ColourMark, Note, Described };
    struct Pick {
        Kind kind;
        int index;
        std::uint8_t family = 0;  ///< the described kind's Family, with Kind::Described
        bool operator==(const Pick&) const = default;
    };

    explicit Keyboard(Form1& editor) : ed_(editor) {}

    /// Follows presses on the canvas and on annotation elements, puts each
    /// tool's key beside its tooltip, and takes the editor's keys ahead of the
    /// handlers already bound to Form::Key.
    void Wire();
    /// A key pressed on the editor; true when it was one of ours.
    bool Key(int key, int shift);

    /// The annotation whose element was pressed last, while it is still there.
    std::optional<Pick> LastPressed() const;
    /// A left press on the canvas or an element is held and not called off.
    bool Dragging() const { return held_ && !cancelled_; }
    /// The element that shows the annotation pressed last (its label or note box), which the
    /// window frames as selected; null when there is none or it is hidden.
    const Control* MarkedControl() const;
    /// Tab and Shift+Tab: makes the next (direction 1) or previous (-1) annotation, in the
    /// order they were made, the pressed one, wrapping round.
    void Step(int direction);

  private:
    void Pressed(std::optional<Pick> pick);
    void Nudge(float dx, float dy);
    void DeleteLastPressed();
    void CancelDrag();

    Form1& ed_;
    std::optional<Pick> last_;
    bool held_ = false;       ///< a left press whose release has not come yet
    bool cancelled_ = false;  ///< Escape called that press off: its moves and release are dropped
    UndoHistory::RestorePoint atPress_;     ///< what Escape puts back
    float canvasLeft_ = 0, canvasTop_ = 0;  ///< where the canvas lay at the press
};

}  // namespace orv
