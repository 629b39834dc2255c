#pragma once
// Real text editing for the text boxes of a form: a visible TextBox gets a
// Qt editor child widget of the form's window (a plain-text editor for
// multi-line boxes, a line editor otherwise), laid exactly over the box's
// pixel place, in its colours and font. Typing flows into the model (SetText,
// so its Change handler runs); model changes flow back into the editor.
// Pointer events over an editor still reach the model's handlers of the box,
// through the window, so pointer capture and the note menu keep working.
// A box the window paints itself, as its editor would show it, has an editor
// only while it needs one: while it holds the keyboard (or is asked to, or keeps
// it and its selection under an open menu), lies under the pointer or holds the
// pointer. So a window with thousands of notes has a handful of editor widgets,
// not thousands, and the pointer finds a real editor wherever it rests on a note.

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <functional>
#include <optional>
#include <vector>

#include "platform/Form.h"

class QMouseEvent;
class QWidget;

namespace orv {

class TextBoxEditors : public QObject {
  public:
    /// Editors for the text boxes of form, as children of window.
    TextBoxEditors(QWidget& window, Form& form);
    ~TextBoxEditors() override;
    TextBoxEditors(const TextBoxEditors&) = delete;
    TextBoxEditors& operator=(const TextBoxEditors&) = delete;

    /// Brings the editors in step with the form: one per visible text box, in
    /// place, colour, font, text, enabled state and stacking; the focus request.
    void Sync();
    /// The editor widget of a text box, or null when it has none.
    QWidget* EditorOf(const TextBox& box) const;

    /// Where the window shows the space of a top-level control (a zoomed
    /// canvas): a rectangle of that space in window pixels, and its scale.
    std::function<QRect(const Control* root, const QRect& r)> ToWindow;
    std::function<double(const Control* root)> ScaleOf;
    /// Whether the window paints a text box itself, as its editor shows it, when the box
    /// has no editor widget (such a box gets one only while it needs one).
    std::function<bool(const TextBox& box)> PaintsItself;

    /// Where the pointer is in the window, as of the pointer event being handled.
    void PointerAt(QPoint pos) { pointer_ = pos; }
    /// A press on a box the window paints: gives the box its editor and hands the editor
    /// the press (which it passes on to the model, as any press of its own), and the rest
    /// of that press's moves and release. False when the press is not for such a box.
    bool HandPress(QMouseEvent* e);
    /// A move or release of the press handed to an editor: handed on to it; else false.
    bool HandOn(QMouseEvent* e);

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    struct Editor {
        QPointer<QWidget> widget;
        bool multiLine = false;
    };
    /// A visible text box and what of it shows in the window, in window pixels.
    struct Shown {
        TextBox* box;
        QRect rect;
        QRegion visible;
        double scale = 1.0;  ///< window pixels per pixel of the box
    };
    void Collect(const Container& in, QPoint origin, bool pixelScale, const QRegion& clip,
                 const Control* root, std::vector<Shown>& out) const;
    Editor& Ensure(TextBox& box);
    void Update(Editor& ed, const TextBox& box, const Shown& place);
    void Retire(Editor& ed);
    /// Whether a shown box painted by the window needs its editor widget now.
    bool Needs(const Shown& s, const TextBox* hovered) const;
    void SendTo(QWidget* surface, QMouseEvent* e);
    /// The live text box an editor widget (or its viewport) belongs to, or null.
    TextBox* BoxOf(QObject* watched) const;
    void TextEdited(QWidget* widget);
    bool ForwardPointer(QWidget* from, QEvent* e);

    QWidget& window_;
    Form& form_;
    QHash<const TextBox*, Editor> editors_;
    std::vector<const TextBox*> order_;  ///< stacking order of the last sync
    bool pushing_ = false;               ///< the model's text is being put into an editor
    bool forwarding_ = false;            ///< an editor's pointer event is on its way to the model
    std::optional<QPoint> pointer_;      ///< in the window, as of the last pointer event
    QPointer<QWidget> handed_;           ///< the editor surface a press was handed to
};

}  // namespace orv
