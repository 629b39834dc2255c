#pragma once
// A Qt window that shows one form: paints its controls, repaints only what
// changed, and turns Qt pointer events into the controls' handlers (twips,
// relative to the control, with pointer capture while a button is held).

#include <QHash>
#include <QPointer>
#include <QWidget>

#include "platform/Form.h"
#include "platform/qt/TextBoxEditors.h"

namespace orv {

class FormWindow : public QWidget {
    Q_OBJECT
  public:
    explicit FormWindow(Form& form);
    Form& form() { return form_; }

    /// Brings the window in step with its form: visibility, place, and a
    /// repaint of every control whose look changed since the last sync.
    void Sync();
    /// Starts moving the child picture box named child with the pointer.
    void BeginChildDrag(const QString& child);
    /// The control under a window pixel that takes pointer events, or null.
    Control* HitTest(QPoint px, QPoint* origin = nullptr);

    /// Runs after a model handler ran from this window (the application resyncs).
    static std::function<void()>& AfterEvent();

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
    QHash<const Control*, Snapshot> painted_;
    bool firstSync_ = true;
    // Real editors over the form's text boxes (after form_: it uses it).
    TextBoxEditors editors_{*this, form_};
};

}  // namespace orv
