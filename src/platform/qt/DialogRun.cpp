#include "platform/qt/DialogRun.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace orv {

namespace {

/// While a dialog runs: hands keys meant for other windows to it, and keeps pointer input
/// away from every other window of ours.
class KeysToDialog : public QObject {
  public:
    explicit KeysToDialog(QDialog& dialog) : dialog_(&dialog) { qApp->installEventFilter(this); }
    ~KeysToDialog() override { qApp->removeEventFilter(this); }

    /// Makes the dialog the active window of the program, so that its widgets have the focus
    /// (a name field completes and shows its caret only then) although the compositor still
    /// sends the keys to the window below.
    void Activate() {
        if (dialog_ && dialog_->isVisible()) QApplication::setActiveWindow(dialog_);
    }

  protected:
    bool eventFilter(QObject* to, QEvent* e) override {
        if (!dialog_ || !to->isWidgetType()) return false;
        switch (e->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
                if (Inside(static_cast<QWidget*>(to)) || !dialog_->isVisible()) return false;
                HandOver(*static_cast<QKeyEvent*>(e));
                return true;
            case QEvent::WindowActivate:
                // The window below got the keyboard back: the dialog stays the active one.
                if (!Inside(static_cast<QWidget*>(to))) ActivateLater();
                return false;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
                return !Inside(static_cast<QWidget*>(to));
            default:
                return false;
        }
    }

  private:
    void ActivateLater() {
        QTimer::singleShot(0, dialog_, [this] { Activate(); });
    }

    /// The dialog, its children, and the windows they open (a list's pop-up, a question).
    bool Inside(const QWidget* w) const {
        for (; w; w = w->parentWidget())
            if (w == dialog_) return true;
        return false;
    }

    /// The key goes to the widget that holds the dialog's focus, as if typed there.
    void HandOver(const QKeyEvent& k) {
        QWidget* target = dialog_->focusWidget() ? dialog_->focusWidget() : dialog_.data();
        if (k.type() == QEvent::ShortcutOverride) return;  // nothing of ours claims keys first
        QKeyEvent copy(k.type(), k.key(), k.modifiers(), k.nativeScanCode(), k.nativeVirtualKey(),
                       k.nativeModifiers(), k.text(), k.isAutoRepeat(), k.count());
        QCoreApplication::sendEvent(target, &copy);
    }

    QPointer<QDialog> dialog_;
};

}  // namespace

int RunDialog(QDialog& dialog, bool handKeysOver) {
    if (!handKeysOver) return dialog.exec();
    dialog.setWindowModality(Qt::NonModal);
    const QPointer<QWidget> before = QApplication::activeWindow();
    KeysToDialog filter(dialog);
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    dialog.setResult(0);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    filter.Activate();
    loop.exec(QEventLoop::DialogExec);
    if (before && before->isVisible()) QApplication::setActiveWindow(before);
    return dialog.result();
}

}  // namespace orv
