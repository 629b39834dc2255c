#pragma once
// A scripted desktop for tests: records every call, answers menus and dialogs
// from queues, keeps a clipboard and a fake screen, and never waits.

#include <QColor>
#include <QPainter>
#include <deque>

#include "platform/Desktop.h"
#include "platform/Form.h"

namespace orv::test {

class FakeDesktop : public Desktop {
  public:
    // Scripted answers, consumed front first; an empty queue cancels.
    std::deque<QString> menuChoices;
    std::deque<std::optional<Colour>> colourChoices;
    std::deque<QString> openFiles;
    std::deque<QString> saveFiles;
    std::deque<SaveAnswer> saveAnswers;  ///< an empty queue answers Cancel

    // What happened.
    std::vector<QString> menusOpened;  ///< names of the menus opened
    Menu lastMenu;                     ///< the last menu opened, as it was shown
    std::vector<Colour> colourDialogStarts;
    std::vector<std::pair<QString, QString>> messages;  ///< (title, text)
    std::vector<QString> questions;                     ///< texts of save-changes questions
    std::vector<QString> urlsOpened;
    std::vector<std::pair<int, QString>> waits;  ///< (ms, timer name)
    std::vector<SaveDialogRequest> saveRequests;
    std::vector<QString> calls;  ///< every other call by name, in order
    bool trayShown = false;
    QString trayTip, trayIcon;
    bool ended = false;
    int busyDepth = 0;
    /// Runs inside Wait, as if an event arrived during the pause.
    std::function<void()> duringWait;

    QImage clipboardPicture;
    QString clipboardText;
    QByteArray clipboardJson;  ///< the application/json form beside the text, when one was put
    QPoint cursor{100, 100};
    QSize screen{1920, 1080};
    QImage screenPicture;           ///< what GrabScreen reads; black when null
    bool refuseScreenCopy = false;  ///< PrepareScreenCopy's answer, negated
    QPoint screenOrigin{0, 0};      ///< where the pointer's screen lies on the desktop
    double deviceRatio = 1.0;       ///< device pixels per pixel of that screen
    /// What GrabScreenDevice reads, in device pixels; screenPicture when null.
    QImage devicePicture;

    QString PopupMenu(const Menu& menu) override {
        menusOpened.push_back(menu.Name);
        lastMenu = menu;
        if (menuChoices.empty()) return {};
        QString c = menuChoices.front();
        menuChoices.pop_front();
        return c;
    }
    void MessageBox(const QString& text, const QString& title, MessageIcon) override {
        messages.emplace_back(title, text);
    }
    SaveAnswer AskSaveChanges(const QString& text, const QString&) override {
        questions.push_back(text);
        if (saveAnswers.empty()) return SaveAnswer::Cancel;
        const SaveAnswer a = saveAnswers.front();
        saveAnswers.pop_front();
        return a;
    }
    std::optional<Colour> PickColour(Colour initial) override {
        colourDialogStarts.push_back(initial);
        if (colourChoices.empty()) return std::nullopt;
        auto c = colourChoices.front();
        colourChoices.pop_front();
        return c;
    }
    QString OpenFileDialog() override { return Pop(openFiles); }
    QString SaveFileDialog(const SaveDialogRequest& r) override {
        saveRequests.push_back(r);
        return Pop(saveFiles);
    }
    QImage ClipboardPicture() override { return clipboardPicture; }
    void SetClipboardPicture(const QImage& p) override {
        clipboardPicture = p;
        clipboardText.clear();
        clipboardJson.clear();
    }
    QString ClipboardText() override { return clipboardText; }
    void SetClipboardText(const QString& t) override {
        clipboardText = t;
        clipboardJson.clear();
        clipboardPicture = QImage();
    }
    void SetClipboardTextAndJson(const QString& t, const QByteArray& json) override {
        calls.push_back(QStringLiteral("SetClipboardTextAndJson"));
        clipboardText = t;
        clipboardJson = json;
        clipboardPicture = QImage();
    }
    void ClearClipboard() override {
        clipboardText.clear();
        clipboardJson.clear();
        clipboardPicture = QImage();
    }
    QPoint CursorPos() override { return cursor; }
    QSize ScreenSize() override { return screen; }
    double dpi = 96.0;  ///< logical dots per inch of the pointer's screen
    double LogicalDpi() override { return dpi; }
    QImage GrabScreen(int x, int y, int w, int h) override {
        calls.push_back(QStringLiteral("GrabScreen"));
        QImage out(std::max(1, w), std::max(1, h), QImage::Format_RGB32);
        out.fill(Qt::black);
        if (!screenPicture.isNull()) {
            QPainter p(&out);
            p.drawImage(-x, -y, screenPicture);
        }
        return out;
    }
    ScreenReading PointerScreen() override {
        return ScreenReading{QRect(screenOrigin, screen), LogicalDpi(), deviceRatio};
    }
    QImage GrabScreenDevice(const ScreenReading& r) override {
        calls.push_back(QStringLiteral("GrabScreen"));
        const QSize size(qRound(r.Rect.width() * r.DevicePixelRatio),
                         qRound(r.Rect.height() * r.DevicePixelRatio));
        QImage out(size, QImage::Format_RGB32);
        out.fill(Qt::black);
        const QImage& src = devicePicture.isNull() ? screenPicture : devicePicture;
        if (!src.isNull()) {
            QPainter p(&out);
            p.drawImage(0, 0, src);
        }
        return out;
    }
    bool CanGrabScreen() override { return true; }
    bool PrepareScreenCopy() override {
        calls.push_back(QStringLiteral("PrepareScreenCopy"));
        return !refuseScreenCopy;
    }
    void SetBusyCursor(bool busy) override { busyDepth += busy ? 1 : -1; }
    void OpenUrl(const QString& url) override { urlsOpened.push_back(url); }
    void Wait(int ms, const QString& name) override {
        waits.emplace_back(ms, name);
        if (duringWait) {
            auto fn = std::move(duringWait);
            duringWait = nullptr;
            fn();
        }
    }
    void TrayAdd(const QString& tip, const QString& icon) override {
        trayShown = true;
        trayTip = tip;
        trayIcon = icon;
    }
    void TrayRemove() override { trayShown = false; }
    void EndProgram() override { ended = true; }
    QString ExecutableBaseName() override { return QStringLiteral("orvane"); }
    void SetForeground(Form& f) override {
        calls.push_back(QStringLiteral("SetForeground:") + f.Name);
    }
    void SetTopmost(Form& f) override { calls.push_back(QStringLiteral("SetTopmost:") + f.Name); }
    void StartSystemMove(Form& f, const QString& child) override {
        calls.push_back(QStringLiteral("StartSystemMove:") + f.Name + QLatin1Char('/') + child);
    }
    void ReleaseCapture(Form& f) override {
        f.Capture = nullptr;
        calls.push_back(QStringLiteral("ReleaseCapture:") + f.Name);
    }

  private:
    static QString Pop(std::deque<QString>& q) {
        if (q.empty()) return {};
        QString s = q.front();
        q.pop_front();
        return s;
    }
};

}  // namespace orv::test
