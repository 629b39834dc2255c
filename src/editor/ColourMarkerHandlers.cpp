// Colour markers: the colour codes of a new marker, moving the code label, its
// right-click menu, the line colour, copying the code and switching its form.

#include "editor/Form1.h"
#include "imaging/ColourCodes.h"
#include "platform/Desktop.h"

namespace orv {

namespace {
// The colour of a marker's leader legs while its label is held.
constexpr Colour kHeldLeaderColour = RGB(0, 0, 255);
}  // namespace

void Form1::co_MouseDown(int Index, const MouseEvent& e) {
    if (e.Button == 1) {
        vars.grabX = e.X;
        vars.grabY = e.Y;
        coindex = Index;
        IgnoreErrors([&] { jzys.BackColor = co(Index).ForeColor; });
        IgnoreErrors([&] { zba(Index).BorderColor = kHeldLeaderColour; });
        IgnoreErrors([&] { zbb(Index).BorderColor = kHeldLeaderColour; });
        contrast.Pick(Index);
    } else if (e.Button == 2) {
        coindex = Index;
        // The code-form switch reads the label's texts from this scratch pair.
        IgnoreErrors([&] {
            const Label& label = co(coindex);
            cotext1.Text = label.Caption();
            cotext1.ToolTipText = label.ToolTipText;
        });
        PopupAnnotationMenu(cdd());
    }
}

void Form1::co_MouseMove(int Index, const MouseEvent& e) {
    if (e.Button != 1) return;
    // Only the label moves: the swatch and the leader stay where they are.
    IgnoreErrors([&] {
        Label& label = co(Index);
        label.Left = label.Left + e.X - vars.grabX;
        label.Top = label.Top + e.Y - vars.grabY;
        label.ZOrder();
    });
}

void Form1::co_MouseUp(int, const MouseEvent& e) {
    // The remembered colour belongs to the last left press; only the release
    // that ends that hold gives it back. A release after the right-click menu
    // would otherwise undo a colour just chosen there with a stale one.
    if (e.Button != 1) return;
    const int i = coindex;
    IgnoreErrors([&] { zba(i).BorderColor = jzys.BackColor; });
    IgnoreErrors([&] { zbb(i).BorderColor = jzys.BackColor; });
    IgnoreErrors([&] { co(i).ForeColor = jzys.BackColor; });
}

void Form1::Command10_Click() {
    const std::optional<Colour> chosen = PickColour();
    if (!chosen) return;
    const int i = coindex;
    // The swatch keeps the sampled colour.
    IgnoreErrors([&] { zba(i).BorderColor = *chosen; });
    IgnoreErrors([&] { zbb(i).BorderColor = *chosen; });
    IgnoreErrors([&] { co(i).ForeColor = *chosen; });
}

void Form1::Command11_Click() {
    // Exactly the form the label shows now, web code or RGB text.
    const Label* label = co.Find(coindex);
    if (!label) return;
    desktop.ClearClipboard();
    desktop.SetClipboardText(label->Caption());
}

// ---- Colour codes of the colour markers ----------------------------------

void Form1::getwebrgb(float, float) {
    const int i = wwww;
    const int64_t colour = vars.sampledColor;
    const ColourParts p = SplitColour(colour);
    IgnoreErrors([&] { co(i).SetCaption(WebColour(colour)); });
    IgnoreErrors([&] { co(i).ToolTipText = RgbText(colour); });
    IgnoreErrors([&] { Shape1(i).BackColor = RGB(p.R, p.G, p.B); });
}

namespace {
bool ShowsWebCode(const QString& caption) {
    return caption.contains(QLatin1Char('#'));
}
}  // namespace

void Form1::towebrgb_Click() {
    if (ShowsWebCode(cotext1.Text)) return;
    IgnoreErrors([&] {
        Label& l = co(coindex);
        l.SetCaption(cotext1.ToolTipText);
        l.ToolTipText = cotext1.Text;
    });
}

void Form1::torgb_Click() {
    if (!ShowsWebCode(cotext1.Text)) return;
    IgnoreErrors([&] {
        Label& l = co(coindex);
        l.SetCaption(cotext1.ToolTipText);
        l.ToolTipText = cotext1.Text;
    });
}

}  // namespace orv
