// Painting a form's window: its backdrop and controls, the zoomed canvas scaled as one
// with its notes in window pixels as their editors show them, and the selection frame.

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/Painter.h"
#include "platform/Screen.h"
#include "platform/qt/EditorLook.h"
#include "platform/qt/FormWindow.h"

namespace orv {

void FormWindow::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    p.setClipRegion(e->region());
    const Control* zoomed = ZoomBox();
    // The zoomed canvas fills its box with opaque pixels: the window's backdrop
    // need not be painted under the pixels it covers whole.
    QRegion covered;
    if (zoomed && zoomed->Visible) {
        const float tx = Screen().TwipsPerPixelX, ty = Screen().TwipsPerPixelY;
        const double s = view_.Scale();
        const QSize box(static_cast<int>(std::ceil(zoomed->Width / tx)),
                        static_cast<int>(std::ceil(zoomed->Height / ty)));
        covered = QRect(view_.Origin(ControlPlace(*zoomed).topLeft()),
                        QSize(static_cast<int>(std::floor(s * box.width())),
                              static_cast<int>(std::floor(s * box.height()))));
    }
    PaintForm(
        p, form_,
        [&](QPainter& q, const Control& c) {
            if (&c != zoomed) return false;
            // The canvas and all it holds, scaled as one: whole blocks per picture
            // pixel when zoomed in, smoothed when zoomed out.
            const QRect place = ControlPlace(c);
            if (!q.clipBoundingRect().toAlignedRect().intersects(WindowRect(place, &c)))
                return true;
            // A picture box above the canvas (the magnifier's view) paints every pixel of its
            // place: the canvas is painted only round it, not under it.
            QRegion round = q.clipRegion();
            const std::vector<Control*>& order = form_.PaintOrder();
            for (auto it = std::find(order.begin(), order.end(), &c); it != order.end(); ++it)
                if (*it != &c && (*it)->Visible && (*it)->Kind() == ControlKind::PictureBox)
                    round -= ControlPlace(**it);
            if (round.isEmpty()) return true;
            q.save();
            q.setClipRegion(round);
            q.translate(view_.Origin(place.topLeft()));
            q.scale(view_.Scale(), view_.Scale());
            q.setRenderHint(QPainter::SmoothPixmapTransform, view_.Zoom() < 1.0);
            // Its notes in window pixels, just as their editors show them (where an editor
            // widget lies over one, it shows these very pixels).
            const PaintHook notes = [&](QPainter& n, const Control& child) {
                if (child.Kind() != ControlKind::TextBox ||
                    !editors_.PaintsItself(static_cast<const TextBox&>(child)))
                    return false;
                const QRect at = view_.ToWindow(
                    ControlPlace(child, static_cast<const PictureBox&>(c).ScalePixels)
                        .translated(place.topLeft()),
                    place.topLeft());
                n.save();
                n.resetTransform();
                if (n.clipBoundingRect().toAlignedRect().intersects(at))
                    PaintAsPlainTextEditor(n, static_cast<const TextBox&>(child), at,
                                           view_.Scale());
                n.restore();
                return true;
            };
            PaintPictureBoxContent(q, static_cast<const PictureBox&>(c), &canvasIndex_, notes);
            q.restore();
            return true;
        },
        covered);
    if (!marked_.isEmpty()) {
        // A thin two-tone dashed frame that shows on any picture.
        const QRect r = marked_.adjusted(0, 0, -1, -1);
        p.setClipRegion(e->region());
        p.setPen(QPen(QColor(255, 255, 255), 1));
        p.drawRect(r);
        QPen dash(QColor(0, 120, 215), 1, Qt::DashLine);
        p.setPen(dash);
        p.drawRect(r);
    }
}

}  // namespace orv
