#pragma once
// Desktop: the one door to the operating system. Menus, dialogs, clipboard,
// pointer, screen, web pages, waits, the tray icon and window services all go
// through it. QtDesktop implements it; tests use FakeDesktop.

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

#include "platform/Colour.h"

namespace orv {

class Form;

/// One item of a pop-up menu: its short name, caption and submenu items.
struct MenuItem {
    QString Name;
    QString Caption;
    std::vector<MenuItem> Items;
    bool Checkable = false;  ///< shows a check mark when Checked
    bool Checked = false;
};

/// A pop-up menu: its short name and items in order.
struct Menu {
    QString Name;
    std::vector<MenuItem> Items;
    /// Whether an item of this menu (or of a submenu) is named name.
    bool Has(const QString& name) const { return Has(Items, name); }

  private:
    static bool Has(const std::vector<MenuItem>& items, const QString& name) {
        for (const MenuItem& i : items)
            if (i.Name == name || Has(i.Items, name)) return true;
        return false;
    }
};

/// What the save dialog is asked with.
struct SaveDialogRequest {
    QStringList Filters;  ///< description/pattern pairs, in order
    int FilterIndex = 1;  ///< 1-based
    QString DefaultExtension;
    QString InitialFolder;
    QString SuggestedName;          ///< the file name offered first; empty for none
    bool ConfirmOverwrite = false;  ///< asks before an existing file is replaced
};

/// The tray icon's notifications: the mouse message of a left and a right button release.
constexpr int kLeftButtonUp = 0x0202;
constexpr int kRightButtonUp = 0x0205;

/// One screen as the desktop reports it.
struct ScreenReading {
    QRect Rect{0, 0, 1920, 1080};   ///< place on the desktop, pixels
    double LogicalDpi = 96.0;       ///< twips per pixel = 1440 / dpi
    double DevicePixelRatio = 1.0;  ///< device pixels per pixel
};

/// Message box icons.
enum class MessageIcon { None, Information };

/// The answers to a question whether to save work before it would be lost.
enum class SaveAnswer { Save, Discard, Cancel };

class Desktop {
  public:
    virtual ~Desktop() = default;

    // Pop-up menus and dialogs (all modal).
    /// Opens menu at the pointer; returns the chosen item's name, empty when dismissed.
    virtual QString PopupMenu(const Menu& menu) = 0;
    virtual void MessageBox(const QString& text, const QString& title, MessageIcon icon) = 0;
    /// A question with the buttons Save, Discard and Cancel; closing the box is Cancel.
    virtual SaveAnswer AskSaveChanges(const QString& text, const QString& title) = 0;
    /// The colour dialog starting at initial; nullopt on cancel.
    virtual std::optional<Colour> PickColour(Colour initial) = 0;
    /// The open-file dialog; empty on cancel.
    virtual QString OpenFileDialog() = 0;
    /// The save-file dialog; empty on cancel.
    virtual QString SaveFileDialog(const SaveDialogRequest& request) = 0;

    /// A value kept between runs of the program; empty when none was kept.
    virtual QString Setting(const QString& key) {
        const auto it = settings_.find(key);
        return it == settings_.end() ? QString() : it->second;
    }
    virtual void SetSetting(const QString& key, const QString& value) { settings_[key] = value; }

    // Clipboard.
    virtual QImage ClipboardPicture() = 0;
    virtual void SetClipboardPicture(const QImage& picture) = 0;
    virtual QString ClipboardText() = 0;
    virtual void SetClipboardText(const QString& text) = 0;
    /// Puts text as plain text and json as application/json on the clipboard in
    /// one write, so a pasting program takes whichever form it reads.
    virtual void SetClipboardTextAndJson(const QString& text, const QByteArray& json) = 0;
    virtual void ClearClipboard() = 0;

    // Pointer and screen.
    /// Pointer position in screen pixels.
    virtual QPoint CursorPos() = 0;
    /// Screen size in pixels.
    virtual QSize ScreenSize() = 0;
    /// Logical dots per inch of the screen (twips per pixel = 1440 / dpi).
    virtual double LogicalDpi() = 0;
    /// A still copy of the screen rectangle (pixels); areas off the screen are black.
    virtual QImage GrabScreen(int x, int y, int w, int h) = 0;
    /// The screen the pointer is on, read now (screens come and go, change
    /// resolution and scale while the program waits in the tray).
    virtual ScreenReading PointerScreen() = 0;
    /// A still copy of a whole screen at its device resolution: one picture
    /// pixel per device pixel (twice the size in pixels of its place at 2x).
    virtual QImage GrabScreenDevice(const ScreenReading& screen) = 0;
    /// Whether GrabScreen can read the screen here at any moment.
    virtual bool CanGrabScreen() = 0;
    /// Before a screen measurement: where the screen is copied by asking the
    /// desktop (the Wayland portal), asks now, and GrabScreen then reads that
    /// copy. False, after telling the user why, when no copy can be had.
    virtual bool PrepareScreenCopy() { return true; }
    virtual void SetBusyCursor(bool busy) = 0;

    // Shell.
    virtual void OpenUrl(const QString& url) = 0;
    /// Waits ms milliseconds while events keep flowing.
    virtual void Wait(int ms, const QString& timerName) = 0;
    virtual void TrayAdd(const QString& tip, const QString& iconPath) = 0;
    virtual void TrayRemove() = 0;
    /// Ends the program at once, without unload handlers.
    virtual void EndProgram() = 0;
    virtual QString ExecutableBaseName() = 0;

    // Windows.
    virtual void SetForeground(Form& form) = 0;
    virtual void SetTopmost(Form& form) = 0;
    /// Starts the system move of a window (or of a child picture box when given).
    virtual void StartSystemMove(Form& form, const QString& childName) = 0;
    virtual void ReleaseCapture(Form& form) = 0;

  private:
    std::map<QString, QString> settings_;  ///< without a lasting store: kept for this run only
};

}  // namespace orv
