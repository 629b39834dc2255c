#include "platform/qt/Stacking.h"

#include <QWidget>
#include <QWindow>

namespace orv {

void ShowOnTop(QWidget& w, bool fullScreen) {
    if (fullScreen) w.setWindowState(w.windowState() | Qt::WindowFullScreen);
    w.show();
    w.raise();
    if (w.windowType() != Qt::Tool) w.activateWindow();
}

void SetOwner(QWidget& tool, QWidget* owner) {
    // Both need their native windows: the owner is named by its window id.
    tool.winId();
    QWindow* parent = nullptr;
    if (owner) {
        owner->winId();
        parent = owner->windowHandle();
    }
    if (QWindow* h = tool.windowHandle(); h && h->transientParent() != parent)
        h->setTransientParent(parent);
}

void Dock(QWidget& tool, QWidget* owner, Qt::WindowFlags topLevelFlags) {
    if (tool.parentWidget() == owner && (owner || tool.isWindow())) return;
    const QRect place = tool.geometry();
    if (owner) {
        tool.setParent(owner, Qt::Widget);
    } else {
        tool.setParent(nullptr, topLevelFlags);
    }
    tool.setGeometry(place);
}

}  // namespace orv
