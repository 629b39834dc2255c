#include "platform/qt/QtDesktop.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QColorDialog>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/PictureLimits.h"
#include "platform/Timer.h"
#include "platform/qt/DialogRun.h"
#include "platform/qt/OpenDialog.h"
#include "platform/qt/PortalScreenshot.h"
#include "platform/qt/SaveDialog.h"
#include "platform/qt/Stacking.h"
#include "platform/qt/Translate.h"
#include "platform/qt/TrayMenu.h"

namespace orv {

namespace {
/// Counts modal waits and dialogs: windows unloaded meanwhile are freed only after.
struct DepthGuard {
    explicit DepthGuard(int& d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
    int& depth;
};

bool OnWayland() {
    return QGuiApplication::platformName() == QStringLiteral("wayland");
}

/// In a Wayland session, natively or through XWayland: there the compositor places
/// X11 windows itself (in the middle) and a click on an inactive one only activates it,
/// so the tool strip docks inside the editor either way.
bool InWaylandSessionNow() {
    return InWaylandSession(QGuiApplication::platformName(),
                            qEnvironmentVariable("WAYLAND_DISPLAY"),
                            qEnvironmentVariable("XDG_SESSION_TYPE"));
}

/// Runs a dialog; in a Wayland session the keyboard may stay on the window below, so keys
/// are handed over from there.
int Run(QDialog& dialog) {
    return RunDialog(dialog, InWaylandSessionNow());
}

/// A one-pixel see-through window of fixed size (which tiling compositors float
/// rather than tile), shown and ready to hold a pop-up.
std::unique_ptr<QWidget> ShowMenuAnchor() {
    auto anchor = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint);
    anchor->setObjectName(QStringLiteral("MenuAnchor"));
    anchor->setWindowTitle(QStringLiteral("Orvane Tessaly"));
    anchor->setAttribute(Qt::WA_TranslucentBackground);
    anchor->setFixedSize(1, 1);
    anchor->show();
    QElapsedTimer waited;
    waited.start();
    while (!(anchor->windowHandle() && anchor->windowHandle()->isExposed()) &&
           waited.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return anchor;
}
}  // namespace

QtDesktop::QtDesktop() : dockTopmost_(InWaylandSessionNow()) {}
QtDesktop::~QtDesktop() = default;

void QtDesktop::Install() {
    FormWindow::AfterEvent() = [this] { SyncAll(); };
    Timer::AfterTick() = [this] { SyncAll(); };
    Timer::AfterTickOf() = [this](const Control& touched) {
        for (auto it = windows_.begin(); it != windows_.end(); ++it)
            if (it.value() && it.value()->SyncOne(touched)) return;
        SyncAll();  // not a top-level control of any window: look at everything
    };
}

FormWindow* QtDesktop::WindowOf(const Form& form) const {
    return windows_.value(&form);
}

Qt::WindowFlags QtDesktop::TopLevelFlags(const Form& form) {
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
    if (!form.ShowInTaskbar) flags |= Qt::Tool;
    if (form.Topmost) flags |= Qt::WindowStaysOnTopHint;
    return flags;
}

FormWindow& QtDesktop::AddWindow(Form& form) {
    auto* w = new FormWindow(form);
    w->setWindowFlags(TopLevelFlags(form));
    windows_.insert(&form, w);
    return *w;
}

void QtDesktop::RemoveWindow(Form& form) {
    if (FormWindow* w = windows_.take(&form)) {
        // A dialog still open over the window outlives it: the dialog's caller owns it.
        for (QWidget* child : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isWindow()) {
                child->setParent(nullptr, child->windowFlags());
            } else if (auto* docked = qobject_cast<FormWindow*>(child)) {
                // A window docked in this one lives on, hidden, as a window of its own.
                docked->hide();
                for (auto it = windows_.begin(); it != windows_.end(); ++it)
                    if (it.value() == docked) Dock(*docked, nullptr, TopLevelFlags(*it.key()));
            }
        }
        w->hide();
        // The window must never touch its form again; free it with the event loop.
        w->setParent(nullptr);
        w->deleteLater();
    }
}

void QtDesktop::SyncAll() {
    bool shown = false;
    // Topmost windows last: one that appears is made the tool window of a window
    // already on screen, which the window manager then keeps it above.
    for (const bool topmost : {false, true}) {
        for (auto it = windows_.begin(); it != windows_.end(); ++it) {
            if (!it.value() || it.key()->Topmost != topmost) continue;
            const bool was = it.value()->isVisible();
            if (topmost && !was && it.key()->Visible) {
                if (dockTopmost_)
                    Dock(*it.value(), OwnerWindow(), TopLevelFlags(*it.key()));
                else
                    SetOwner(*it.value(), OwnerWindow());
            }
            it.value()->Sync();
            shown = shown || (!was && it.value()->isVisible());
        }
    }
    // Without a window manager stacking follows the order of showing: keep
    // topmost windows above the others whenever a window appears.
    if (shown) RaiseTopmost();
    if (CollectGarbage && depth_ == 0 && !collectScheduled_) {
        collectScheduled_ = true;
        QTimer::singleShot(0, [this] {
            collectScheduled_ = false;
            if (depth_ == 0 && CollectGarbage) CollectGarbage();
        });
    }
}

QString QtDesktop::PopupMenu(const Menu& menu) {
    DepthGuard g(depth_);
    QWidget* owner = SyncedDialogParent();
    if (!owner && MenuHolder && MenuHolder->isVisible()) owner = MenuHolder;
    QPoint at = QCursor::pos();
    // On Wayland a pop-up opens on a surface of ours; with no window showing,
    // a small borderless one holds it, and the menu opens at its corner.
    std::unique_ptr<QWidget> anchor;
    if (!owner && OnWayland()) {
        anchor = ShowMenuAnchor();
        owner = anchor.get();
        at = anchor->mapToGlobal(QPoint(0, 0));
    }
    QMenu m(owner);
    m.setObjectName(menu.Name);
    FillMenu(m, menu.Items);
    QAction* chosen = m.exec(at);
    return chosen ? chosen->data().toString() : QString();
}

void QtDesktop::MessageBox(const QString& text, const QString& title, MessageIcon icon) {
    DepthGuard g(depth_);
    QMessageBox box(
        icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::NoIcon,
        Tr(title), Tr(text), QMessageBox::Ok, SyncedDialogParent());
    Run(box);
}

SaveAnswer QtDesktop::AskSaveChanges(const QString& text, const QString& title) {
    DepthGuard g(depth_);
    QMessageBox box(QMessageBox::Warning, Tr(title), Tr(text),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                    SyncedDialogParent());
    // Some platform themes call Discard "Close without Saving": the three words stay as written,
    // each with its Alt key.
    box.button(QMessageBox::Save)->setText(Tr(QStringLiteral("&Save")));
    box.button(QMessageBox::Discard)->setText(Tr(QStringLiteral("&Discard")));
    box.button(QMessageBox::Cancel)->setText(Tr(QStringLiteral("&Cancel")));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (Run(box)) {
        case QMessageBox::Save:
            return SaveAnswer::Save;
        case QMessageBox::Discard:
            return SaveAnswer::Discard;
        default:
            return SaveAnswer::Cancel;
    }
}

int QtDesktop::Ask(const QString& text, const QString& title, const QStringList& buttons) {
    DepthGuard g(depth_);
    QMessageBox box(QMessageBox::Question, Tr(title), Tr(text), QMessageBox::NoButton,
                    SyncedDialogParent());
    std::vector<QAbstractButton*> added;
    for (const QString& caption : buttons)
        added.push_back(box.addButton(Tr(caption), QMessageBox::ActionRole));
    if (added.empty()) return -1;
    box.setDefaultButton(qobject_cast<QPushButton*>(added.front()));
    box.setEscapeButton(added.back());
    Run(box);
    const auto chosen = std::find(added.begin(), added.end(), box.clickedButton());
    return chosen == added.end() ? int(added.size()) - 1 : int(chosen - added.begin());
}

std::optional<Colour> QtDesktop::PickColour(Colour initial) {
    DepthGuard g(depth_);
    QColorDialog dialog(ToQColor(initial), SyncedDialogParent());
    if (Run(dialog) != QDialog::Accepted || !dialog.selectedColor().isValid()) return std::nullopt;
    return FromQColor(dialog.selectedColor());
}

QString QtDesktop::OpenFileDialog() {
    DepthGuard g(depth_);
    return RunOpenDialog(SyncedDialogParent(), InWaylandSessionNow());
}

QString QtDesktop::SaveFileDialog(const SaveDialogRequest& r) {
    DepthGuard g(depth_);
    return RunSaveDialog(r, SyncedDialogParent(), InWaylandSessionNow());
}

namespace {
// The program's lasting choices, in the user's configuration folder (orvane/orvane.conf).
QSettings& Kept() {
    static QSettings settings(QStringLiteral("orvane"), QStringLiteral("orvane"));
    return settings;
}
}  // namespace

QString QtDesktop::Setting(const QString& key) {
    return Kept().value(key).toString();
}

void QtDesktop::SetSetting(const QString& key, const QString& value) {
    Kept().setValue(key, value);
    Kept().sync();
}

QImage QtDesktop::ClipboardPicture() {
    const QMimeData* m = QGuiApplication::clipboard()->mimeData();
    if (!m || !m->hasImage()) return {};
    // A picture over the editor's limit is refused from its header, before it is decoded.
    for (const QString& format : m->formats()) {
        if (!format.startsWith(QStringLiteral("image/"))) continue;
        QByteArray bytes = m->data(format);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        const QSize size = QImageReader(&buffer).size();
        if (!size.isValid()) continue;
        if (!WithinPictureLimit(size.width(), size.height())) return {};
        // Within the editor's limit, Qt's own allocation limit (far lower) must not refuse it.
        const int previous = QImageReader::allocationLimit();
        const qint64 neededMb = qint64(size.width()) * size.height() * 4 / (1024 * 1024) + 1;
        if (previous != 0 && neededMb > previous) QImageReader::setAllocationLimit(int(neededMb));
        const QImage picture = QGuiApplication::clipboard()->image();
        QImageReader::setAllocationLimit(previous);
        return picture;
    }
    return QGuiApplication::clipboard()->image();
}

void QtDesktop::SetClipboardPicture(const QImage& picture) {
    QGuiApplication::clipboard()->setImage(picture);
}
QString QtDesktop::ClipboardText() {
    return QGuiApplication::clipboard()->text();
}
void QtDesktop::SetClipboardText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}
void QtDesktop::SetClipboardTextAndJson(const QString& text, const QByteArray& json) {
    auto* data = new QMimeData;
    data->setText(text);
    data->setData(QStringLiteral("application/json"), json);
    QGuiApplication::clipboard()->setMimeData(data);  // the clipboard owns it
}
void QtDesktop::ClearClipboard() {
    QGuiApplication::clipboard()->clear();
}

QPoint QtDesktop::CursorPos() {
    return QCursor::pos();
}

namespace {
// The screen holding a desktop point; the primary screen when none does.
QScreen* ScreenAt(QPoint p) {
    QScreen* s = QGuiApplication::screenAt(p);
    return s ? s : QGuiApplication::primaryScreen();
}
}  // namespace

QSize QtDesktop::ScreenSize() {
    return PointerScreen().Rect.size();
}

double QtDesktop::LogicalDpi() {
    return PointerScreen().LogicalDpi;
}

ScreenReading QtDesktop::PointerScreen() {
    QScreen* s = ScreenAt(QCursor::pos());
    if (!s) return {};
    return ScreenReading{s->geometry(), s->logicalDotsPerInch(), s->devicePixelRatio()};
}

bool QtDesktop::CanGrabScreen() {
    return !InWaylandSessionNow();
}

bool QtDesktop::PrepareScreenCopy() {
    portalShot_ = QImage();
    if (CanGrabScreen()) return true;
    DepthGuard g(depth_);
    const PortalShot shot = TakePortalScreenshot(QDBusConnection::sessionBus());
    if (shot.outcome != PortalShot::Outcome::Taken) {
        if (!shot.detail.isEmpty()) qWarning("screen portal: %s", qUtf8Printable(shot.detail));
        MessageBox(PortalShotMessage(shot), QStringLiteral("Orvane Tessaly"),
                   MessageIcon::Information);
        return false;
    }
    // The portal copies device pixels; the editor lays out in screen pixels.
    portalShot_ =
        shot.picture.size() == ScreenSize()
            ? shot.picture
            : shot.picture.scaled(ScreenSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return true;
}

QImage QtDesktop::GrabScreen(int x, int y, int w, int h) {
    QImage out(std::max(1, w), std::max(1, h), QImage::Format_RGB32);
    out.fill(Qt::black);
    if (!portalShot_.isNull()) {
        // The portal's copy of the screen stands in for a screen that cannot be read.
        QPainter p(&out);
        p.drawImage(QPoint(-x, -y), portalShot_);
        return out;
    }
    const QRect want(x, y, w, h);
    QScreen* s = ScreenAt(want.center());
    if (!s) return out;
    // Only the part on that screen is read; the rest stays black.
    const QRect part = want.intersected(s->geometry());
    if (part.isEmpty()) return out;
    const QPoint at = part.topLeft() - s->geometry().topLeft();
    QImage shot = s->grabWindow(0, at.x(), at.y(), part.width(), part.height()).toImage();
    shot.setDevicePixelRatio(1);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(part.topLeft() - want.topLeft(), part.size()), shot);
    return out;
}

QImage QtDesktop::GrabScreenDevice(const ScreenReading& r) {
    if (!portalShot_.isNull()) return portalShot_.convertToFormat(QImage::Format_RGB32);
    QScreen* s = ScreenAt(r.Rect.center());
    if (!s) return {};
    // Every device pixel of the screen, never resampled.
    QImage shot = s->grabWindow(0).toImage();
    shot.setDevicePixelRatio(1);
    if (shot.format() != QImage::Format_RGB32) shot.convertTo(QImage::Format_RGB32);
    return shot;
}

void QtDesktop::SetBusyCursor(bool busy) {
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

void QtDesktop::OpenUrl(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}

void QtDesktop::Wait(int ms, const QString& timerName) {
    // What the caller changed shows during the pause.
    SyncAll();
    DepthGuard g(depth_);
    QEventLoop loop;
    QTimer timer;
    timer.setObjectName(timerName);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(ms);
    loop.exec();
}

void QtDesktop::TrayAdd(const QString& tip, const QString& iconPath) {
    if (tray_) return;
    tray_ = std::make_unique<QSystemTrayIcon>(QIcon(iconPath));
    tray_->setToolTip(Tr(tip));
    QObject::connect(tray_.get(), &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (!TrayNotified) return;
                         // Left click and context click are the two button releases.
                         int msg = 0;
                         if (reason == QSystemTrayIcon::Trigger) msg = kLeftButtonUp;
                         if (reason == QSystemTrayIcon::Context) msg = kRightButtonUp;
                         if (!msg) {
                             SyncAll();
                             return;
                         }
                         // A host's call over D-Bus is answered first: the menu's
                         // wait would hold the host waiting for the answer.
                         if (TrayIconsUseDBus()) {
                             QTimer::singleShot(0, tray_.get(), [this, msg] {
                                 if (TrayNotified) TrayNotified(msg);
                                 // "Start at login" may have changed in our own pop-up.
                                 if (trayMenu_) trayMenu_->Refresh();
                                 SyncAll();
                             });
                             return;
                         }
                         TrayNotified(msg);
                         SyncAll();
                     });
    // Hosts of the StatusNotifier kind draw the exported menu on a right click.
    if (TrayMenuNow && TrayIconsUseDBus()) {
        trayMenu_ = std::make_unique<ExportedTrayMenu>(TrayMenuNow, [this](const QString& item) {
            if (TrayMenuChosen) TrayMenuChosen(item);
            SyncAll();
        });
        tray_->setContextMenu(&trayMenu_->Widget());
    }
    tray_->show();
}

void QtDesktop::TrayRemove() {
    if (!tray_) return;
    tray_->hide();
    tray_.reset();
    trayMenu_.reset();
    QCoreApplication::processEvents();
}

void QtDesktop::EndProgram() {
    // At once: no unload handlers, no questions.
    if (Ending) Ending();
    std::fflush(nullptr);
    std::_Exit(0);
}

QString QtDesktop::ExecutableBaseName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void QtDesktop::RaiseTopmost() {
    for (auto it = windows_.begin(); it != windows_.end(); ++it)
        if (it.value() && it.key()->Topmost && it.value()->isVisible()) it.value()->raise();
}

void QtDesktop::SetForeground(Form& form) {
    if (FormWindow* w = WindowOf(form)) {
        w->raise();
        w->activateWindow();
        // Without a window manager a raised window would cover the topmost ones.
        if (!form.Topmost) RaiseTopmost();
    }
}

void QtDesktop::SetTopmost(Form& form) {
    FormWindow* w = WindowOf(form);
    if (!w) return;
    const bool shown = w->isVisible();
    // A window docked in another stays above that one's content as its child.
    if (!w->isWindow()) return;
    w->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (shown) w->show();
}

void QtDesktop::StartSystemMove(Form& form, const QString& childName) {
    FormWindow* w = WindowOf(form);
    // Only a held left button moves: passing over the window starts nothing.
    if (!w || !w->LeftHeld()) return;
    // The window follows the pointer while we hold it, with or without a window
    // manager. A window manager's own move (_NET_WM_MOVERESIZE) ends only at a
    // release it sees, and one that comes before its grab would leave the
    // window stuck to the pointer.
    w->BeginChildDrag(childName);
}

QWidget* QtDesktop::SyncedDialogParent() {
    // A window the running handler has just shown is put on screen first, to own the dialog.
    SyncAll();
    return DialogParent();
}

QWidget* QtDesktop::DialogParent() const {
    for (const bool topmost : {true, false})
        for (auto it = windows_.begin(); it != windows_.end(); ++it)
            if (it.value() && it.key()->Topmost == topmost && it.value()->isVisible())
                return it.value();
    return nullptr;
}

QWidget* QtDesktop::OwnerWindow() const {
    // The visible window that is not topmost: the editor.
    for (auto it = windows_.begin(); it != windows_.end(); ++it)
        if (it.value() && !it.key()->Topmost && it.key()->Visible) return it.value();
    return nullptr;
}

void QtDesktop::ReleaseCapture(Form& form) {
    form.Capture = nullptr;
    if (FormWindow* w = WindowOf(form)) w->releaseMouse();
}

}  // namespace orv
