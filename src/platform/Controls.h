#pragma once
// The window toolkit's controls as plain data. Positions and sizes are float
// twips relative to the container; colours are 0x00BBGGRR. Widgets paint these
// objects and feed pointer events into their handlers; models own them.

#include <QImage>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/Colour.h"

namespace orv {

class Container;

/// A run-time error of one step that the steps after it may carry on from: a
/// control that is missing, a wait that could not run. Nothing else counts as one.
struct RecoverableError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// A control that was addressed but does not exist (unloaded, never loaded).
struct ControlMissing : RecoverableError {
    using RecoverableError::RecoverableError;
};

/// Pointer event arguments as handlers receive them: the held-button mask
/// (1 left, 2 right, 4 middle), the shift state and the position in twips
/// relative to the control that receives the event.
/// Bits of the modifier mask in MouseEvent::Shift and in the `shift` of a
/// form's Key handler.
inline constexpr int kShiftMask = 1, kCtrlMask = 2, kAltMask = 4;

struct MouseEvent {
    int Button = 0;
    int Shift = 0;
    float X = 0;
    float Y = 0;
};

/// A text font: family, size in points and weight.
struct FontSpec {
    QString Name = QStringLiteral("Arial");
    double Size = 9.0;
    bool Bold = false;
    bool operator==(const FontSpec&) const = default;
};

enum class ControlKind { Line, Label, Shape, TextBox, Image, PictureBox };

/// Base of every control: place, visibility, tooltip, pointer handlers and
/// its place in the container's stacking order.
class Control {
  public:
    Control() = default;
    Control(const Control& other);
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    virtual ControlKind Kind() const = 0;
    /// Windowed controls (text boxes, picture boxes) always lie above the
    /// windowless ones of the same container.
    bool Windowed() const {
        return Kind() == ControlKind::TextBox || Kind() == ControlKind::PictureBox;
    }
    virtual std::unique_ptr<Control> Clone() const = 0;
    /// The area the control paints on its container, in twips.
    virtual void Bounds(float& l, float& t, float& w, float& h) const;

    /// Brings the control to the front of its own layer.
    void ZOrder();
    Container* Parent() const { return parent_; }
    uint64_t StackKey() const { return stack_; }

    QString Name;
    int Index = -1;  ///< index within its control array, -1 when not in one
    float Left = 0, Top = 0, Width = 0, Height = 0;
    bool Visible = true;
    bool Enabled = true;
    QString ToolTipText;
    /// The key that does what the control does; the window names it after the
    /// tooltip text, as " (D)", so the tooltip's own text stays as written.
    QString KeyHint;

    std::function<void(const MouseEvent&)> MouseDown, MouseMove, MouseUp;
    std::function<void()> Click;

  private:
    friend class Container;
    Container* parent_ = nullptr;
    uint64_t stack_ = 0;
};

/// A straight line from (X1, Y1) to (X2, Y2). Receives no pointer events.
class Line : public Control {
  public:
    ControlKind Kind() const override { return ControlKind::Line; }
    std::unique_ptr<Control> Clone() const override { return std::make_unique<Line>(*this); }
    void Bounds(float& l, float& t, float& w, float& h) const override;
    float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    Colour BorderColor = RGB(0, 0, 0);
    int BorderWidth = 1;  ///< pixels
};

/// A windowless text label. With AutoSize it takes the size of its caption.
class Label : public Control {
  public:
    ControlKind Kind() const override { return ControlKind::Label; }
    std::unique_ptr<Control> Clone() const override { return std::make_unique<Label>(*this); }
    const QString& Caption() const { return caption_; }
    /// Sets the caption and, with AutoSize, resizes the label to it.
    void SetCaption(const QString& text);
    void SetFont(const FontSpec& font);
    const FontSpec& Font() const { return font_; }
    /// Resizes an AutoSize label to its caption in its font.
    void Resize();
    Colour BackColor = RGB(255, 255, 255);
    Colour ForeColor = RGB(0, 0, 0);
    int BackStyle = 1;  ///< 0 transparent, 1 opaque
    bool AutoSize = false;

  private:
    QString caption_;
    FontSpec font_;
};

/// A rectangle with a border and an optional fill. Receives no pointer events.
class Shape : public Control {
  public:
    ControlKind Kind() const override { return ControlKind::Shape; }
    std::unique_ptr<Control> Clone() const override { return std::make_unique<Shape>(*this); }
    Colour BorderColor = RGB(0, 0, 0);
    int BorderWidth = 1;  ///< pixels
    Colour BackColor = RGB(255, 255, 255);
    int BackStyle = 0;  ///< 0 transparent inside, 1 opaque
};

/// An editable text box (windowed). Change runs after every edit of Text.
class TextBox : public Control {
  public:
    ControlKind Kind() const override { return ControlKind::TextBox; }
    std::unique_ptr<Control> Clone() const override { return std::make_unique<TextBox>(*this); }
    const QString& Text() const { return text_; }
    /// Replaces the text and runs the Change handler when it differs.
    void SetText(const QString& text);
    FontSpec Font;
    Colour BackColor = RGB(255, 255, 255);
    Colour ForeColor = RGB(0, 0, 0);
    bool MultiLine = false;
    std::function<void()> Change;
    /// A key typed in the box (Qt key code), before the box handles it.
    std::function<void(int key)> KeyPress;
    /// The box gave up the keyboard (the user went on elsewhere).
    std::function<void()> LostFocus;

  private:
    QString text_;
};

/// A picture from the artwork, drawn at the control's size.
class Image : public Control {
  public:
    ControlKind Kind() const override { return ControlKind::Image; }
    std::unique_ptr<Control> Clone() const override { return std::make_unique<Image>(*this); }
    QString Picture;  ///< artwork resource path, e.g. ":/art/btn-close.svg"
    /// Painted over its container's own artwork, hiding whatever lies behind it.
    bool Opaque = false;
};

/// Something that holds controls and keeps their stacking order.
class Container {
  public:
    virtual ~Container();
    void Add(Control& c);
    void Remove(Control& c);
    /// Children in painting order: windowless by stacking order, then windowed.
    /// Valid until the next change of the children or their stacking.
    const std::vector<Control*>& PaintOrder() const;
    const std::vector<Control*>& Children() const { return children_; }
    void BringToFront(Control& c);
    /// Gives a child back a stacking key it held before (keys are never handed
    /// out twice, so it goes back exactly where it was among the others).
    void SetStackKey(Control& c, uint64_t key);
    /// Changes with every change of the children or their stacking, and is never the same
    /// for two containers: what was worked out from the children (where they lie) can tell
    /// that it is out of date.
    uint64_t ChildrenVersion() const { return version_; }

  private:
    void Changed();

    std::vector<Control*> children_;
    uint64_t version_ = 0;
    /// PaintOrder as last worked out; every paint asks for it (the magnifier's tick among
    /// them), so it is sorted again only after a child or its stacking changed.
    mutable std::vector<Control*> order_;
    mutable bool orderValid_ = false;
};

/// A picture box (windowed): holds a picture, a persistent drawing surface and
/// child controls. Its scale is twips unless ScalePixels is set.
class PictureBox : public Control, public Container {
  public:
    PictureBox() = default;
    PictureBox(const PictureBox& other);
    ControlKind Kind() const override { return ControlKind::PictureBox; }
    std::unique_ptr<Control> Clone() const override { return std::make_unique<PictureBox>(*this); }

    /// Assigns a picture; the box takes its size when AutoSize is on.
    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }
    /// Clears what was drawn on the persistent surface.
    void Cls();
    /// The persistent drawing surface, as large as the box in pixels; created on demand.
    QImage& Surface();
    bool HasSurface() const { return !surface_.isNull(); }
    /// The colour of the canvas at (x, y) twips: surface, else picture, else background; -1
    /// outside.
    int64_t Point(float x, float y) const;
    float ScaleWidth() const;
    float ScaleHeight() const;

    Colour BackColor = RGB(255, 255, 255);
    bool AutoRedraw = false;
    bool AutoSize = false;
    int BorderStyle = 0;  ///< 0 none
    QString Artwork;      ///< decorative artwork drawn stretched over the box
    bool ScalePixels = false;

  private:
    QImage picture_;
    QImage surface_;
};

/// Runs fn and swallows a recoverable error (a missing control, a failed wait),
/// for steps that carry on when one fails. Anything else (no memory, a fault in a
/// decoder) is never swallowed here.
template <class Fn>
void IgnoreErrors(Fn&& fn) {
    try {
        fn();
    } catch (const RecoverableError&) {
    }
}

}  // namespace orv
