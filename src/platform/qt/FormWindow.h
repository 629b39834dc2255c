#pragma once
// A Qt window that shows one form: paints its controls, repaints only what
// changed, and turns Qt pointer events into the controls' handlers (twips,
// relative to the control, with pointer capture while a button is held).

#include <QHash>
#include <QPointer>
#include <QWidget>

#include "platform/ChildIndex.h"
#include "platform/Form.h"
#include "platform/qt/CanvasView.h"
#include "platform/qt/TextBoxEditors.h"

class QLabel;

namespace orv {

class FormWindow : public QWidget {
    Q_OBJECT
  public:
    explicit FormWindow(Form& form);
    ~FormWindow() override;
    Form& form() { return form_; }

    /// Brings the window in step with its form: visibility, place, and a
    /// repaint of every control whose look changed since the last sync.
    void Sync();
    /// Sync() for one top-level control of the form and what it holds, when only it changed;
    /// false (nothing done) when the control is not a top-level control of this form.
    bool SyncOne(const Control& control);
    /// Starts moving the child picture box named child with the pointer, or the
    /// window itself when child is empty, until the left button goes up.
    void BeginChildDrag(const QString& child);
    /// Whether the left button is held in the pointer event being handled.
    bool LeftHeld() const { return leftHeld_; }
    /// The control under a window position that takes pointer events, or null.
    Control* HitTest(QPointF pos);

    /// Runs after a model handler ran from this window (the application resyncs).
    static std::function<void()>& AfterEvent();

    /// Lets the top-level picture box named canvas zoom (Ctrl + wheel, Ctrl +/-,
    /// Ctrl+0, Ctrl+9); the zoom shows in a small read-out just right of the
    /// control named readoutAfter.
    void SetZoomable(const QString& canvas, const QString& readoutAfter);
    /// The zoom in screen pixels per picture pixel (1 when nothing zooms).
    double Zoom() const { return view_.Zoom(); }
    /// Zooms to z about a window position (clamped to the steps' range).
    void ZoomAbout(double z, QPointF anchor);
    void ZoomIn(QPointF anchor);
    void ZoomOut(QPointF anchor);
    void ZoomReset();
    void ZoomToFit();
    /// The text of the zoom read-out ("300%"); empty when there is none.
    QString ZoomText() const;
    /// The window pixel where the zooming canvas's top-left corner shows ((0, 0) without one).
    QPoint CanvasOrigin() const;

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    /// Ctrl with +, -, 0 or 9 zooms the canvas; false for any other key.
    bool ZoomKey(QKeyEvent* e);

  public:
    /// Handlers the window layer offers the application.
    std::function<void()> CloseRequested;
    std::function<void(const QString&)> FileDropped;

  private:
    struct Snapshot {
        QRect rect;
        size_t key = 0;
        const Control* root = nullptr;  ///< the top-level control it lies in (itself at top level)
    };
    void Dispatch(QMouseEvent* e, int kind);
    void DispatchKey(QKeyEvent* e, bool down);
    QPoint OriginOf(const Control& c) const;
    /// The zooming canvas when it is shown, else null.
    const Control* ZoomBox() const;
    /// The top-level control that holds c (c itself at top level).
    const Control* RootOf(const Control& c) const;
    /// A window position in the pixel space of the top-level control root
    /// (the canvas space for the zooming canvas, window pixels otherwise).
    QPoint SpaceOf(QPointF pos, const Control* root) const;
    /// Window rectangle of a rectangle in the space of root.
    QRect WindowRect(const QRect& r, const Control* root) const;
    void ViewChanged();
    void PlaceZoomReadout();
    void CollectSnapshots(const Container& box, QPoint origin, bool pixelScale, const Control* root,
                          QHash<const Control*, Snapshot>& out) const;
    /// When a top-level picture box only moved, moves its pixels on screen
    /// instead of repainting them; returns it, with the offset in delta.
    const Control* ScrollMovedBox(const QHash<const Control*, Snapshot>& now, QPoint& delta,
                                  QRegion& dirty);

    Form& form_;
    Control* pressed_ = nullptr;
    QString childDrag_;
    QPoint childDragLast_;
    bool windowDrag_ = false;  ///< the pointer moves the window itself
    bool leftHeld_ = false;
    /// Other buttons pressed while the left one was held: neither their press nor
    /// their release reaches the form, so a drag in progress ends only with its own release.
    Qt::MouseButtons chorded_;
    QPoint pointer_;  ///< on the screen, in the pointer event being handled
    QHash<const Control*, Snapshot> painted_;
    /// Where the zooming canvas's children lie as of the last sync, so a repaint of a
    /// small part of it (the magnifier's tick) looks only at those there.
    ChildIndex canvasIndex_;
    QRect marked_;  ///< where the selection frame of the form's marked control is painted
    bool firstSync_ = true;
    bool viewChanged_ = false;  ///< the zoomed canvas's view changed since the last sync
    QString zoomName_, readoutAfter_;
    CanvasView view_;
    QLabel* zoomReadout_ = nullptr;
    int wheelRest_ = 0;  ///< wheel angle not yet turned into a zoom step
    // Real editors over the form's text boxes (after form_: it uses it).
    TextBoxEditors editors_{*this, form_};
};

}  // namespace orv
