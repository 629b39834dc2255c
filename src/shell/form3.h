#pragma once
// form3, the tool strip: the three open routes of the tray menu, the start
// mode the editor reads, and during a screen measurement a small borderless
// bar at the top-right corner with tool icons, palette, save and close.

#include <QString>
#include <array>
#include <memory>

#include "editor/EditorHost.h"
#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/WaitableTimer.h"

namespace orv {

class App;

class form3 : public Form {
  public:
    explicit form3(App& app);

    /// Load: the command-line open, then the topmost flag.
    void Form_Load();

    // Open routes raised by the tray menu.
    void OpenFromFile();
    void OpenFromClipboard();
    void MeasureScreen();

    // Tool icons, palette, save and close.
    void Imag5_Click();
    void Imag6_Click();
    void Imag7_Click();
    void Imag77_Click();
    void colormenu_Click(int Index);
    void Image2_Click();  ///< save
    void Image3_Click();  ///< close editor and strip
    /// Any close request: unloads the editor, then the strip; never cancelled.
    void QueryUnload();
    void Picture1_MouseMove(const MouseEvent& e);
    /// Shows the editor's tool mode on the strip's icons (none for the move tool).
    void ShowEditorTool();

    /// Lays out the editor's bars after a route filled it, and shows them.
    void LayOutEditorBars();
    /// Ends a screen measurement for a route that fills the editor otherwise; true when
    /// one was under way.
    bool LeaveScreenMeasurement();

    /// The start mode the editor reads: a screen measurement once that route ran.
    StartMode Text1 = StartMode::Normal;
    /// The command-line argument without the double quotes around it.
    QString firstopen;

    PictureBox Picture1;  ///< background
    Image Imag5, Imag55, Imag6, Imag66, Imag7, Imag77;
    PictureBox bcolormenu;
    std::array<Label, 6> colormenu;
    Shape colorshape;
    Image Image2, Image3;

    App& app;

  private:
    std::unique_ptr<clsWaitableTimer> waiter_;
    clsWaitableTimer& Waiter();
};

}  // namespace orv
