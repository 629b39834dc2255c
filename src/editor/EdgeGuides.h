#pragma once
// The distance tool's edge-snapping guides: while Alt is held, or after G turned
// them on (for desktops whose window manager keeps Alt + click for itself), the
// horizontal and vertical span of the region under the pointer are shown as
// guides with their lengths, and a click then keeps both as distance markers.

#include <QImage>

#include "annotations/EdgeSpans.h"
#include "platform/Controls.h"

namespace orv {

class Form1;

class EdgeGuides {
  public:
    explicit EdgeGuides(Form1& editor);

    /// Puts the guide controls on the canvas and the tolerance read-out on the
    /// top bar; called once while the editor lays out its design.
    void LayOut(PictureBox& canvas, PictureBox& topBar);

    /// Pointer move on the canvas: shows or follows the guides while Alt is
    /// held in the distance tool, hides them otherwise.
    void Follow(const MouseEvent& e);
    /// Press on the canvas: an Alt + left press in the distance tool keeps both
    /// spans as distance markers and returns true (the press is used up, and so
    /// are the moves and the release that belong to it).
    bool Press(const MouseEvent& e);
    /// True while the button of a used-up press is held (its moves are ignored).
    bool Holding() const { return holding_; }
    /// Release on the canvas: true when it ends a used-up press.
    bool Release();
    /// Key on the editor: Alt shows (down) or hides (up) the guides at the last
    /// pointer position; G in the distance tool turns them on until G again;
    /// `[` and `]` lower and raise the tolerance while they are on.
    void Key(int key, int shift, bool down);
    /// Turned on by G: the guides show without Alt.
    bool Latched() const { return latched_; }

    bool Showing() const { return showing_; }
    int Tolerance() const { return tolerance_; }
    void SetTolerance(int t);
    /// The spans the guides show (valid only while showing).
    const EdgeSpans& Spans() const { return spans_; }
    /// Both spans through the canvas pixel at (x, y) twips, read from what the
    /// canvas shows (surface over picture over background).
    EdgeSpans SpansAt(float x, float y);

    Line horizontal, vertical;           ///< the guides
    Label horizontalText, verticalText;  ///< their lengths, "240px"
    Label readout;                       ///< the tolerance, "Tolerance 8"

  private:
    void Show(float x, float y);
    void Hide();
    void Keep(const EdgeSpans& s);
    void DrawByHand(float x1, float y1, float x2, float y2, bool vertical);
    const PixelView& CanvasPixels();

    Form1& ed_;
    PictureBox* canvas_ = nullptr;
    int tolerance_ = kDefaultSpanTolerance;
    bool showing_ = false;
    bool holding_ = false;
    bool latched_ = false;
    EdgeSpans spans_;
    int crossX_ = 0, crossY_ = 0;  ///< pixel of the last span search
    QImage composed_;
    qint64 pictureKey_ = -1, surfaceKey_ = -1;
    float composedW_ = -1, composedH_ = -1;
    Colour composedBack_ = 0;
    PixelView view_;
};

}  // namespace orv
