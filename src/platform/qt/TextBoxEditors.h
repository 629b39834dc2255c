#pragma once
// Real text editing for the text boxes of a form: every visible TextBox gets a
// Qt editor child widget of the form's window (a plain-text editor for
// multi-line boxes, a line editor otherwise), laid exactly over the box's
// pixel place, in its colours and font. Typing flows into the model (SetText,
// so its Change handler runs); model changes flow back into the editor.
// Pointer events over an editor still reach the model's handlers of the box,
// through the window, so pointer capture and the note menu keep working.

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <functional>
#include <vector>

#include "platform/Form.h"

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
    /// The live text box an editor widget (or its viewport) belongs to, or null.
    TextBox* BoxOf(QObject* watched) const;
    void TextEdited(QWidget* widget);
    bool ForwardPointer(QWidget* from, QEvent* e);

    QWidget& window_;
    Form& form_;
    QHash<const TextBox*, Editor> editors_;
    std::vector<const TextBox*> order_;  ///< stacking order of the last sync
    bool pushing_ = false;               ///< the model's text is being put into an editor
};

}  // namespace orv
