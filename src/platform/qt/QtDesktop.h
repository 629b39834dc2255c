#pragma once
// The desktop door on Qt: menus, dialogs, clipboard, screen, tray icon and
// window services, plus the window manager that gives every loaded form its
// window and keeps the windows in step with the models.

#include <QHash>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "platform/Desktop.h"
#include "platform/qt/FormWindow.h"

class QSystemTrayIcon;
class QWidget;

namespace orv {

class ExportedTrayMenu;

class QtDesktop : public Desktop {
  public:
    QtDesktop();
    ~QtDesktop() override;

    /// Keeps the windows in step after every handler that runs from a window or a timer.
    void Install();
    /// Gives a loaded form its window (hidden until the form is visible).
    FormWindow& AddWindow(Form& form);
    /// Takes the window of a form that is being unloaded away.
    void RemoveWindow(Form& form);

    /// What the program does with a tray notification (mouse message identifier).
    std::function<void(int mouseMessage)> TrayNotified;
    /// The tray menu as it stands now, for hosts that draw it themselves.
    std::function<Menu()> TrayMenuNow;
    /// Runs an item such a host chose from the tray menu.
    std::function<void(const QString& item)> TrayMenuChosen;
    /// A window of ours beside the forms' (the tray's stand-in) that holds a
    /// pop-up menu opened while it shows and no form's window does.
    QPointer<QWidget> MenuHolder;
    /// Frees forms unloaded from their own handlers; run when no handler or modal wait runs.
    std::function<void()> CollectGarbage;
    /// Brings every window in step with its form; frees unloaded forms when
    /// no handler is running.
    void SyncAll();
    FormWindow* WindowOf(const Form& form) const;
    /// The window a dialog, message box or pop-up menu shown now belongs to:
    /// the visible topmost window (the tool strip during a screen
    /// measurement), else the visible editor; null when none shows. Every
    /// dialog is made its transient child, so each window manager and
    /// compositor stacks it above that window, also above a full-screen one.
    QWidget* DialogParent() const;
    /// Whether a topmost window shown over the editor becomes a child of the
    /// full-screen editor instead of a window of its own: where clients have no
    /// global positions (Wayland), so it lands where the form places it.
    void DockTopmostWindows(bool dock) { dockTopmost_ = dock; }
    /// Whether a modal dialog, menu or wait of this desktop is up.
    bool InModal() const { return depth_ > 0; }
    /// Runs when the program is about to end at once (EndProgram).
    std::function<void()> Ending;
    /// A question with the given buttons, the first being the default (Return) and the last
    /// the one closing the box stands for; the index of the button pressed.
    int Ask(const QString& text, const QString& title, const QStringList& buttons);

    QString PopupMenu(const Menu& menu) override;
    void MessageBox(const QString& text, const QString& title, MessageIcon icon) override;
    SaveAnswer AskSaveChanges(const QString& text, const QString& title) override;
    std::optional<Colour> PickColour(Colour initial) override;
    QString OpenFileDialog() override;
    QString SaveFileDialog(const SaveDialogRequest& request) override;
    QString Setting(const QString& key) override;
    void SetSetting(const QString& key, const QString& value) override;
    QImage ClipboardPicture() override;
    void SetClipboardPicture(const QImage& picture) override;
    QString ClipboardText() override;
    void SetClipboardText(const QString& text) override;
    void SetClipboardTextAndJson(const QString& text, const QByteArray& json) override;
    void ClearClipboard() override;
    QPoint CursorPos() override;
    QSize ScreenSize() override;
    double LogicalDpi() override;
    QImage GrabScreen(int x, int y, int w, int h) override;
    ScreenReading PointerScreen() override;
    QImage GrabScreenDevice(const ScreenReading& screen) override;
    bool CanGrabScreen() override;
    bool PrepareScreenCopy() override;
    void SetBusyCursor(bool busy) override;
    void OpenUrl(const QString& url) override;
    void Wait(int ms, const QString& timerName) override;
    void TrayAdd(const QString& tip, const QString& iconPath) override;
    void TrayRemove() override;
    void EndProgram() override;
    QString ExecutableBaseName() override;
    void SetForeground(Form& form) override;
    void SetTopmost(Form& form) override;
    void StartSystemMove(Form& form, const QString& childName) override;
    void ReleaseCapture(Form& form) override;

  private:
    /// DialogParent() once every window is in step with its form.
    QWidget* SyncedDialogParent();
    /// The flags of form's window when it is a window of its own.
    static Qt::WindowFlags TopLevelFlags(const Form& form);
    /// The window a topmost window that appears now serves, or null.
    QWidget* OwnerWindow() const;
    /// Raises every visible topmost window (the tool strip) above the others.
    void RaiseTopmost();
    QHash<const Form*, QPointer<FormWindow>> windows_;
    /// The menu exported with the tray icon (outlives the icon that holds it).
    std::unique_ptr<ExportedTrayMenu> trayMenu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    /// The portal's copy of the screen, where the screen cannot be read directly.
    QImage portalShot_;
    bool dockTopmost_;
    int depth_ = 0;
    bool collectScheduled_ = false;
};

}  // namespace orv
