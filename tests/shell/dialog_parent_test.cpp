// Every dialog, message box and pop-up menu belongs to the window it serves:
// the full-screen editor, or the tool strip while a screen measurement shows
// it. Each case opens the real Qt dialog (offscreen) and reads, while it is
// open, which window it was made the transient child of.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QWindow>
#include <functional>

#include "app/Wiring.h"
#include "platform/Screen.h"
#include "platform/Timer.h"
#include "platform/qt/FormWindow.h"
#include "platform/qt/QtDesktop.h"
#include "shell/App.h"
#include "shell/form3.h"

namespace orv::test {
namespace {

class DialogParent : public ::testing::Test {
  protected:
    void SetUp() override {
        Screen() = ScreenInfo{15.0f, 15.0f, 1920 * 15.0f, 1080 * 15.0f};
        Connect(app, desktop);
    }
    void TearDown() override {
        FormWindow::AfterEvent() = nullptr;
        Timer::AfterTick() = nullptr;
    }

    /// Runs open (which shows a modal dialog or a menu) and reports the window
    /// the dialog showed as the child of, closing it once seen.
    QWidget* OwnerOfWhatOpens(const std::function<void()>& open) {
        QWidget* owner = nullptr;
        bool seen = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* shown = QApplication::activeModalWidget();
            if (!shown) shown = QApplication::activePopupWidget();
            if (!shown) return;
            seen = true;
            owner = shown->parentWidget();
            // The native window names the same owner to the window manager.
            if (owner && shown->windowHandle()) {
                EXPECT_EQ(shown->windowHandle()->transientParent(), owner->windowHandle());
            }
            shown->close();
        });
        poll.start(20);
        open();
        poll.stop();
        EXPECT_TRUE(seen) << "nothing opened";
        return owner;
    }

    /// Every kind of dialog and menu the desktop opens, each with its owner.
    std::vector<std::pair<const char*, QWidget*>> OwnersOfEveryKind() {
        std::vector<std::pair<const char*, QWidget*>> owners;
        owners.emplace_back("message box", OwnerOfWhatOpens([&] {
                                desktop.MessageBox(QStringLiteral("Done"),
                                                   QStringLiteral("Orvane Tessaly"),
                                                   MessageIcon::Information);
                            }));
        owners.emplace_back("save question", OwnerOfWhatOpens([&] {
                                desktop.AskSaveChanges(QStringLiteral("Save changes?"),
                                                       QStringLiteral("Orvane Tessaly"));
                            }));
        owners.emplace_back("colour dialog",
                            OwnerOfWhatOpens([&] { desktop.PickColour(Colour{0x0000FF}); }));
        owners.emplace_back("open dialog", OwnerOfWhatOpens([&] { desktop.OpenFileDialog(); }));
        owners.emplace_back("save dialog", OwnerOfWhatOpens([&] {
                                SaveDialogRequest r;
                                r.Filters = {QStringLiteral("PNG"), QStringLiteral("*.png")};
                                desktop.SaveFileDialog(r);
                            }));
        owners.emplace_back("pop-up menu", OwnerOfWhatOpens([&] {
                                desktop.PopupMenu(Menu{QStringLiteral("m"), {{"a", "Item", {}}}});
                            }));
        return owners;
    }

    QtDesktop desktop;
    QString commandLine;
    App app{desktop, commandLine};
};

TEST_F(DialogParent, EachDialogBelongsToTheEditorOrDuringAMeasurementToTheStrip) {
    // Nothing of ours on screen: the dialogs stand alone.
    for (const auto& [kind, owner] : OwnersOfEveryKind()) EXPECT_EQ(owner, nullptr) << kind;

    app.ShowEditor();
    desktop.SyncAll();
    FormWindow* editor = desktop.WindowOf(app.Editor());
    ASSERT_TRUE(editor && editor->isVisible());
    for (const auto& [kind, owner] : OwnersOfEveryKind()) EXPECT_EQ(owner, editor) << kind;

    // The strip over the full-screen editor during a screen measurement.
    app.Strip().Visible = true;
    desktop.SyncAll();
    FormWindow* strip = desktop.WindowOf(app.Strip());
    ASSERT_TRUE(strip && strip->isVisible());
    for (const auto& [kind, owner] : OwnersOfEveryKind()) EXPECT_EQ(owner, strip) << kind;
}

TEST_F(DialogParent, AnEditorShownByTheSameHandlerIsOnScreenToOwnTheDialog) {
    // A handler shows the editor and tells something before its windows are synced
    // (a layered file whose annotations cannot be restored, opened from the command line).
    app.ShowEditor();
    QWidget* owner = OwnerOfWhatOpens([&] {
        desktop.MessageBox(QStringLiteral("Flat"), QStringLiteral("Orvane Tessaly"),
                           MessageIcon::Information);
    });
    FormWindow* editor = desktop.WindowOf(app.Editor());
    ASSERT_TRUE(editor);
    EXPECT_EQ(owner, editor);
    EXPECT_TRUE(editor->isVisible());
}

TEST_F(DialogParent, ADialogOpenWhileItsWindowIsTakenAwayLivesOn) {
    app.ShowEditor();
    desktop.SyncAll();
    FormWindow* editor = desktop.WindowOf(app.Editor());
    ASSERT_TRUE(editor);
    bool closed = false;
    QTimer::singleShot(50, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_TRUE(box);
        // The editor's window goes while its message box is still open.
        desktop.RemoveWindow(app.Editor());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(box->parentWidget(), nullptr);
        box->close();
        closed = true;
    });
    desktop.MessageBox(QStringLiteral("Done"), QStringLiteral("Orvane Tessaly"), MessageIcon::None);
    EXPECT_TRUE(closed);
}

}  // namespace
}  // namespace orv::test
