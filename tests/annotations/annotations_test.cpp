// The annotation layer: views found by index, the list in creation order,
// removal, and snapshots that restore an editor exactly.

#include <QPainter>

#include "../editor/CanvasFixture.h"
#include "platform/Painter.h"

namespace orv::test {
namespace {

class AnnotationsTest : public CanvasTest {
  protected:
    /// A picture, then one of each kind: a distance marker, a colour marker
    /// restyled from its menu, an opaque note and a transparent one.
    void MarkUp() {
        QImage img(200, 150, QImage::Format_RGB32);
        img.fill(QColor(40, 90, 200));
        QPainter(&img).fillRect(50, 40, 60, 30, QColor(250, 220, 10));
        ed().Picture2.SetPicture(img);
        distance = Draw(&Form1::Command3_Click, 300, 300, 1500, 320);
        colour = Draw(&Form1::Command4_Click, 900, 700, 1400, 1000);
        desktop.colourChoices.push_back(RGB(10, 200, 30));
        Choose(&Form1::co_MouseDown, colour, "tjbjs");
        note = Draw(&Form1::Command6_Click, 600, 1500, 1200, 1800);
        ed().bz(note).SetText(QStringLiteral("Peak day\r\nkeep this"));
        glass = Draw(&Form1::Command6_Click, 2400, 600, 2000, 300);
        ed().bz(glass).SetText(QStringLiteral("see-through"));
        Choose(&Form1::bz_MouseDown, glass, "backtm");
        // A label dragged after it was placed: its stacking changes.
        ed().aapx_MouseDown(distance, Left(10, 10));
        ed().aapx_MouseMove(distance, Left(200, 150));
        ed().aapx_MouseUp(distance, Left(200, 150));
    }
    /// The canvas as the save capture paints it.
    static QImage Paint(const PictureBox& canvas) {
        QImage out(static_cast<int>(canvas.Width / 15), static_cast<int>(canvas.Height / 15),
                   QImage::Format_RGB32);
        out.fill(Qt::white);
        QPainter p(&out);
        PaintPictureBoxContent(p, canvas);
        return out;
    }
    int distance = 0, colour = 0, note = 0, glass = 0;
};

TEST_F(AnnotationsTest, ViewsListAndRemoveWholeAnnotations) {
    MarkUp();
    Annotations& a = ed().annotations;
    ASSERT_TRUE(a.DistanceMarkerAt(distance));
    EXPECT_EQ(&a.DistanceMarkerAt(distance)->Length, &ed().aapx(distance));
    EXPECT_TRUE(a.ColourMarkerAt(colour));
    EXPECT_FALSE(a.NoteAt(colour));  // the leader index holds a colour marker, not a note
    EXPECT_TRUE(a.NoteAt(note));
    EXPECT_FALSE(a.DistanceMarkerAt(0));  // never the templates
    EXPECT_FALSE(a.DistanceMarkerAt(distance + 1));

    const std::vector<Annotation> all = a.List();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_TRUE(std::holds_alternative<DistanceMarker>(all[0]));
    EXPECT_TRUE(std::holds_alternative<ColourMarker>(all[1]));
    EXPECT_EQ(IndexOf(all[2]), note);
    EXPECT_EQ(IndexOf(all[3]), glass);

    a.Remove(all[1]);
    a.Remove(all[3]);
    EXPECT_FALSE(ed().zba.Exists(colour) || ed().zbb.Exists(colour) || ed().co.Exists(colour) ||
                 ed().Shape1.Exists(colour));
    EXPECT_FALSE(ed().bz.Exists(glass) || ed().bzz.Exists(glass));
    EXPECT_EQ(a.List().size(), 2u);
    // A note deleted from its menu leaves its display label loaded, so it is no note any more.
    desktop.menuChoices.push_back(QStringLiteral("Delete"));
    ed().bz_MouseDown(note, Right(5, 5));
    EXPECT_TRUE(ed().bzz.Exists(note));
    EXPECT_FALSE(a.NoteAt(note));
    EXPECT_EQ(a.List().size(), 1u);
}

TEST_F(AnnotationsTest, ASnapshotRestoredInAFreshEditorPaintsTheSame) {
    MarkUp();
    const AnnotationSnapshot before = ed().annotations.Take();
    ASSERT_EQ(before.Items.size(), 4u);
    EXPECT_EQ(before.qqqq, ed().qqqq);
    EXPECT_EQ(before.wwww, ed().wwww);
    const QImage picture = ed().Picture2.Picture();
    const QImage original = Paint(ed().Picture2);

    app = std::make_unique<App>(desktop, QString());
    ed().Picture2.SetPicture(picture);
    ed().annotations.Restore(before);
    EXPECT_EQ(ed().annotations.Take(), before);
    EXPECT_EQ(ed().qqqq, before.qqqq);
    const QImage restored = Paint(ed().Picture2);
    ASSERT_EQ(restored.size(), original.size());
    EXPECT_TRUE(restored == original);

    // The restored annotations are live: their handlers are wired as after a draw.
    desktop.menuChoices.push_back(QStringLiteral("Deleteline"));
    ed().aapx_MouseDown(distance, Right(5, 5));
    EXPECT_FALSE(ed().Line1.Exists(distance));
    desktop.menuChoices.push_back(QStringLiteral("delcolo"));
    ed().co_MouseDown(colour, Right(5, 5));
    EXPECT_FALSE(ed().co.Exists(colour));
}

TEST_F(AnnotationsTest, RestoringAnEarlierSnapshotUndoesEveryKindOfChange) {
    MarkUp();
    const AnnotationSnapshot start = ed().annotations.Take();
    const QImage painted = Paint(ed().Picture2);
    // Move, restyle, retype, delete and draw anew.
    ed().co_MouseDown(colour, Left(10, 10));
    ed().co_MouseMove(colour, Left(400, 90));
    ed().co_MouseUp(colour, Left(400, 90));
    desktop.colourChoices.push_back(RGB(200, 0, 200));
    Choose(&Form1::aapx_MouseDown, distance, "delyanse");
    ed().bz(note).SetText(QStringLiteral("another text"));
    Choose(&Form1::bz_MouseDown, glass, "Delete");
    Draw(&Form1::Command3_Click, 100, 2000, 100, 2600);
    EXPECT_NE(ed().annotations.Take(), start);

    ed().annotations.Restore(start);
    EXPECT_EQ(ed().annotations.Take(), start);
    EXPECT_TRUE(Paint(ed().Picture2) == painted);
    // Leftovers of the deleted note are gone with the restore; new draws take fresh indices.
    const int next = Draw(&Form1::Command6_Click, 700, 700, 900, 900);
    EXPECT_EQ(next, start.wwww);
}

}  // namespace
}  // namespace orv::test
