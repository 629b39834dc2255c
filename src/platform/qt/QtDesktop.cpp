#include "platform/qt/QtDesktop.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <cstdlib>

#include "platform/Timer.h"

namespace orv {

namespace {
/// Counts modal waits and dialogs: windows unloaded meanwhile are freed only after.
struct DepthGuard {
    explicit DepthGuard(int& d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
    int& depth;
};

void AddItems(QMenu& menu, const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
        if (item.Items.empty()) {
            QAction* a = menu.addAction(item.Caption);
            a->setData(item.Name);
        } else {
            QMenu* sub = menu.addMenu(item.Caption);
            sub->setObjectName(item.Name);
            AddItems(*sub, item.Items);
        }
    }
}
}  // namespace

QtDesktop::QtDesktop() = default;
QtDesktop::~QtDesktop() = default;

void QtDesktop::Install() {
    FormWindow::AfterEvent() = [this] { SyncAll(); };
    Timer::AfterTick() = [this] { SyncAll(); };
}

FormWindow* QtDesktop::WindowOf(const Form& form) const {
    return windows_.value(&form);
}

FormWindow& QtDesktop::AddWindow(Form& form) {
    auto* w = new FormWindow(form);
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
    if (!form.ShowInTaskbar) flags |= Qt::Tool;
    w->setWindowFlags(flags);
    windows_.insert(&form, w);
    return *w;
}

void QtDesktop::RemoveWindow(Form& form) {
    if (FormWindow* w = windows_.take(&form)) {
        w->hide();
        // The window must never touch its form again; free it with the event loop.
        w->setParent(nullptr);
        w->deleteLater();
    }
}

void QtDesktop::SyncAll() {
    bool shown = false;
    for (auto it = windows_.begin(); it != windows_.end(); ++it) {
        if (!it.value()) continue;
        const bool was = it.value()->isVisible();
        it.value()->Sync();
        shown = shown || (!was && it.value()->isVisible());
    }
    // Without a window manager stacking follows the order of showing: keep
    // topmost windows above the others whenever a window appears.
    if (shown)
        for (auto it = windows_.begin(); it != windows_.end(); ++it)
            if (it.value() && it.key()->Topmost && it.value()->isVisible()) it.value()->raise();
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
    QMenu m;
    m.setObjectName(menu.Name);
    AddItems(m, menu.Items);
    QAction* chosen = m.exec(QCursor::pos());
    return chosen ? chosen->data().toString() : QString();
}

void QtDesktop::MessageBox(const QString& text, const QString& title, MessageIcon icon) {
    DepthGuard g(depth_);
    QMessageBox box(
        icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::NoIcon, title,
        text, QMessageBox::Ok);
    box.exec();
}

std::optional<Colour> QtDesktop::PickColour(Colour initial) {
    DepthGuard g(depth_);
    const QColor c = QColorDialog::getColor(ToQColor(initial), nullptr, QString());
    if (!c.isValid()) return std::nullopt;
    return FromQColor(c);
}

QString QtDesktop::OpenFileDialog() {
    DepthGuard g(depth_);
    return QFileDialog::getOpenFileName(nullptr);
}

QString QtDesktop::SaveFileDialog(const SaveDialogRequest& r) {
    DepthGuard g(depth_);
    QFileDialog dlg(nullptr);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    // Never ask before replacing a file; show each entry by its own description only (the
    // pattern appended in brackets is what filters the list).
    dlg.setOption(QFileDialog::DontConfirmOverwrite);
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    QStringList filters, patterns;
    for (int i = 0; i + 1 < r.Filters.size(); i += 2) {
        filters << r.Filters[i] + QStringLiteral(" (") + r.Filters[i + 1] + QLatin1Char(')');
        patterns << r.Filters[i + 1];
    }
    dlg.setNameFilters(filters);
    // A name typed without extension takes the chosen entry's extension ("*.jpg" gives
    // ".jpg"); an entry of every file type takes the requested default extension.
    const auto suffixFor = [&](int entry) {
        const QString pattern = entry >= 0 && entry < patterns.size() ? patterns[entry] : QString();
        const bool specific =
            pattern.startsWith(QStringLiteral("*.")) && pattern.indexOf(QLatin1Char('*'), 1) < 0 &&
            !pattern.contains(QLatin1Char(';')) && !pattern.contains(QLatin1Char('?'));
        return specific ? pattern.mid(2) : r.DefaultExtension;
    };
    QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&](const QString& chosen) {
        // The full entry text, or its description alone where the dialog reports only that.
        qsizetype entry = filters.indexOf(chosen);
        for (qsizetype i = 0; entry < 0 && i < filters.size(); ++i)
            if (r.Filters.value(2 * i) == chosen.trimmed()) entry = i;
        dlg.setDefaultSuffix(suffixFor(static_cast<int>(entry)));
    });
    const int first = r.FilterIndex >= 1 && r.FilterIndex <= filters.size() ? r.FilterIndex - 1 : 0;
    if (!filters.isEmpty()) dlg.selectNameFilter(filters[first]);
    dlg.setDefaultSuffix(filters.isEmpty() ? r.DefaultExtension : suffixFor(first));
    if (!r.InitialFolder.isEmpty()) dlg.setDirectory(r.InitialFolder);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return dlg.selectedFiles().first();
}

QImage QtDesktop::ClipboardPicture() {
    const QMimeData* m = QGuiApplication::clipboard()->mimeData();
    if (!m || !m->hasImage()) return {};
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
void QtDesktop::ClearClipboard() {
    QGuiApplication::clipboard()->clear();
}

QPoint QtDesktop::CursorPos() {
    return QCursor::pos();
}

QSize QtDesktop::ScreenSize() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->size() : QSize(1920, 1080);
}

double QtDesktop::LogicalDpi() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInch() : 96.0;
}

bool QtDesktop::CanGrabScreen() {
    return QGuiApplication::platformName() != QStringLiteral("wayland");
}

QImage QtDesktop::GrabScreen(int x, int y, int w, int h) {
    QImage out(std::max(1, w), std::max(1, h), QImage::Format_RGB32);
    out.fill(Qt::black);
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return out;
    // Only the part on the screen is read; the rest stays black.
    const QRect want(x, y, w, h);
    const QRect part = want.intersected(QRect(QPoint(0, 0), s->size()));
    if (part.isEmpty()) return out;
    const QImage shot = s->grabWindow(0, part.x(), part.y(), part.width(), part.height()).toImage();
    QPainter p(&out);
    p.drawImage(part.topLeft() - want.topLeft(), shot);
    return out;
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
    tray_->setToolTip(tip);
    QObject::connect(tray_.get(), &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (!TrayNotified) return;
                         // Left click and context click are the two button releases.
                         int msg = 0;
                         if (reason == QSystemTrayIcon::Trigger) msg = kLeftButtonUp;
                         if (reason == QSystemTrayIcon::Context) msg = kRightButtonUp;
                         if (msg) TrayNotified(msg);
                         SyncAll();
                     });
    tray_->show();
}

void QtDesktop::TrayRemove() {
    if (!tray_) return;
    tray_->hide();
    tray_.reset();
    QCoreApplication::processEvents();
}

void QtDesktop::EndProgram() {
    // At once: no unload handlers, no questions.
    std::fflush(nullptr);
    std::_Exit(0);
}

QString QtDesktop::ExecutableBaseName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void QtDesktop::SetForeground(Form& form) {
    if (FormWindow* w = WindowOf(form)) {
        w->raise();
        w->activateWindow();
    }
}

void QtDesktop::SetTopmost(Form& form) {
    FormWindow* w = WindowOf(form);
    if (!w) return;
    const bool shown = w->isVisible();
    w->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (shown) w->show();
}

void QtDesktop::StartSystemMove(Form& form, const QString& childName) {
    FormWindow* w = WindowOf(form);
    if (!w || !(QGuiApplication::mouseButtons() & Qt::LeftButton)) return;
    if (!childName.isEmpty()) {
        w->BeginChildDrag(childName);
        return;
    }
    if (QWindow* h = w->windowHandle(); !h || !h->startSystemMove()) w->BeginChildDrag(QString());
}

void QtDesktop::ReleaseCapture(Form& form) {
    form.Capture = nullptr;
    if (FormWindow* w = WindowOf(form)) w->releaseMouse();
}

}  // namespace orv
