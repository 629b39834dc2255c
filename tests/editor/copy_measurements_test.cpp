// "Copy measurements" from the canvas menu and from Ctrl+Shift+C: one clipboard write with the
// text and the JSON of what is on the canvas; the undo keys still work beside it.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

#include "CanvasFixture.h"

namespace orv::test {
namespace {

constexpr int kShift = 1, kCtrl = 2, kAlt = 4;

class CopyMeasurements : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        Picture(600, 400, QColor(0x6C, 0x5C, 0xE7));
    }
    int ClipboardWrites() const {
        return static_cast<int>(
            std::count(desktop.calls.begin(), desktop.calls.end(), "SetClipboardTextAndJson"));
    }
    void RightPressCanvas(const char* choice) {
        if (choice) desktop.menuChoices.push_back(QString::fromLatin1(choice));
        // The menu takes the button's release, as a pop-up menu does.
        ed().Picture2.MouseDown(Right(4500, 4500));
    }
};

TEST_F(CopyMeasurements, CanvasMenuPutsTextAndJsonOnTheClipboardInOneWrite) {
    Draw(&Form1::Command3_Click, 1800, 5100, 6450, 5150);
    Draw(&Form1::Command4_Click, 1500, 1500, 2400, 1200);
    const int note = Draw(&Form1::Command6_Click, 300, 450, 900, 900);
    ed().bz(note).SetText(QStringLiteral("Peak day: \"keep\" this bar colour"));

    RightPressCanvas("copymeasure");
    EXPECT_EQ(desktop.menusOpened.back(), QStringLiteral("canvasmenu"));
    EXPECT_EQ(desktop.lastMenu.Items.at(0).Caption, QStringLiteral("Copy measurements"));
    EXPECT_EQ(ClipboardWrites(), 1);
    EXPECT_EQ(desktop.clipboardText.split(QLatin1Char('\n')),
              (QStringList{"distance 1: 311px horizontal from (120,340) to (430,340)",
                           "colour 1: #6C5CE7 at (100,100)",
                           "note 2: \"Peak day: \\\"keep\\\" this bar colour\""}));
    const QJsonArray items = QJsonDocument::fromJson(desktop.clipboardJson)["items"].toArray();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[2].toObject()["text"].toString(),
              QStringLiteral("Peak day: \"keep\" this bar colour"));
    // Copying changes nothing: no undo step, the same annotations.
    EXPECT_EQ(ed().history.UndoCount(), 0u);

    // A dismissed menu copies nothing.
    desktop.clipboardText = QStringLiteral("kept");
    RightPressCanvas(nullptr);
    EXPECT_EQ(desktop.clipboardText, QStringLiteral("kept"));
    EXPECT_EQ(ClipboardWrites(), 1);
}

// Ctrl+Shift+C copies; Ctrl+C, Ctrl+Alt+Shift+C and a release do not; the undo keys bound
// before it still undo and redo.
TEST_F(CopyMeasurements, CtrlShiftCCopiesBesideTheUndoKeys) {
    ed().Command3_Click();
    ed().Picture2.MouseDown(Left(1800, 5100));
    DragTo(6450, 5100);
    ed().Picture2.MouseUp(Left(6450, 5100));
    ASSERT_EQ(ed().history.UndoCount(), 1u);

    ed().Key(Qt::Key_C, kCtrl, true);
    ed().Key(Qt::Key_C, kCtrl | kShift | kAlt, true);
    ed().Key(Qt::Key_C, kCtrl | kShift, false);
    EXPECT_EQ(ClipboardWrites(), 0);
    ed().Key(Qt::Key_C, kCtrl | kShift, true);
    EXPECT_EQ(ClipboardWrites(), 1);
    EXPECT_EQ(desktop.clipboardText,
              QStringLiteral("distance 1: 311px horizontal from (120,340) to (430,340)"));

    ed().Key(Qt::Key_Z, kCtrl, true);
    EXPECT_TRUE(ed().annotations.List().empty());
    // With nothing on the canvas the clipboard keeps what it held.
    ed().Key(Qt::Key_C, kCtrl | kShift, true);
    EXPECT_EQ(ClipboardWrites(), 1);
    ed().Key(Qt::Key_Y, kCtrl, true);
    EXPECT_EQ(ed().annotations.List().size(), 1u);
}

}  // namespace
}  // namespace orv::test
