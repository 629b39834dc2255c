// The palette; the colour, background, copy and delete commands of the three
// annotation menus; the in-place editor of a length label's text and its tick.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "../editor/CanvasFixture.h"

namespace orv::test {
namespace {

constexpr Colour kGreen = RGB(0, 192, 0);

class Styling : public CanvasTest {
  protected:
    void SetUp() override {
        CanvasTest::SetUp();
        Picture(600, 400, QColor(0, 128, 255));
    }
    /// A horizontal distance marker on row y (twips).
    int Distance(float y) { return Draw(&Form1::Command3_Click, 1000, y, 3000, y + 50); }
    int Marker(float x, float y) { return Draw(&Form1::Command4_Click, x, y, x + 600, y + 300); }
    void DistanceMenu(int n, const char* item) { Choose(&Form1::aapx_MouseDown, n, item); }
    void ColourMenu(int n, const char* item) { Choose(&Form1::co_MouseDown, n, item); }
};

TEST_F(Styling, PaletteColoursOnlyAnnotationsMadeAfterwards) {
    const int before = Distance(1500);
    ed().colormenu_Click(1);
    EXPECT_EQ(QPointF(ed().colorshape.Left, ed().colorshape.Top), QPointF(600 - 60, 60));
    const int after = Distance(3000);
    const int note = Draw(&Form1::Command6_Click, 4000, 4000, 4600, 4300);
    const int marker = Marker(1500, 4500);
    for (Line* l : {&ed().Line1(after), &ed().aaaa(after), &ed().bbbb(after), &ed().zba(note),
                    &ed().zbb(note), &ed().zba(marker), &ed().zbb(marker)})
        EXPECT_EQ(l->BorderColor, kGreen) << l->Name.toStdString() << l->Index;
    EXPECT_EQ(ed().aapx(after).ForeColor, kGreen);
    EXPECT_EQ(ed().bz(note).ForeColor, kGreen);
    EXPECT_EQ(ed().co(marker).ForeColor, kGreen);
    for (Line* l : {&ed().Line1(before), &ed().aaaa(before), &ed().bbbb(before)})
        EXPECT_EQ(l->BorderColor, kAnnotationRed);
    EXPECT_EQ(ed().aapx(before).ForeColor, kAnnotationRed);
    EXPECT_EQ(ed().Shape1(marker).BackColor, RGB(0, 128, 255));  // the sampled colour

    app->Strip().colormenu_Click(4);  // the tool strip's palette sets the same templates
    EXPECT_EQ(ed().zba.Template().BorderColor, RGB(255, 128, 0));
    for (int out : {6, -1}) ed().colormenu_Click(out);  // no such swatch: nothing happens
    EXPECT_EQ(ed().colorshape.Left, 600 - 60);
    EXPECT_EQ(ed().aapx.Template().ForeColor, RGB(255, 128, 0));
}

// Every colour command of the three menus: the dialog opens with the colour chosen last (black
// at first); a cancelled dialog changes nothing, also on a transparent label; the choice lands
// on exactly its properties of the clicked annotation, also after the right button's release,
// and nowhere else. A background colour makes a transparent label opaque again.
TEST_F(Styling, ColourCommandsRecolourOnlyTheirTargetAndCancelChangesNothing) {
    Form1& f = ed();
    using Colours = std::map<std::string, Colour>;
    // Every colour of annotation i of a kind (0 distance, 1 colour marker, 2 note), and whether
    // its label is opaque.
    const auto coloursOf = [&](int kind, int i) -> Colours {
        if (kind == 0)
            return {{"line", f.Line1(i).BorderColor}, {"tick1", f.aaaa(i).BorderColor},
                    {"tick2", f.bbbb(i).BorderColor}, {"text", f.aapx(i).ForeColor},
                    {"back", f.aapx(i).BackColor},    {"opaque", f.aapx(i).BackStyle}};
        if (kind == 1)
            return {{"leg1", f.zba(i).BorderColor}, {"leg2", f.zbb(i).BorderColor},
                    {"text", f.co(i).ForeColor},    {"back", f.co(i).BackColor},
                    {"opaque", f.co(i).BackStyle},  {"swatch", f.Shape1(i).BackColor}};
        return {{"leg1", f.zba(i).BorderColor},
                {"leg2", f.zbb(i).BorderColor},
                {"text", f.bz(i).ForeColor},
                {"back", f.bz(i).BackColor}};
    };
    const struct {
        void (Form1::*tool)();
        Handler down, up;
    } kinds[] = {{&Form1::Command3_Click, &Form1::aapx_MouseDown, &Form1::aapx_MouseUp},
                 {&Form1::Command4_Click, &Form1::co_MouseDown, &Form1::co_MouseUp},
                 {&Form1::Command6_Click, &Form1::bz_MouseDown, &Form1::bz_MouseUp}};
    const struct {
        int kind;
        const char *item, *transparent;  // the command, and one chosen before it
        std::vector<std::string> changed;
    } rows[] = {{0, "delyanse", nullptr, {"line", "tick1", "tick2", "text"}},
                {0, "btmbjs", "tmbjs", {"back"}},
                {1, "delys", nullptr, {"leg1", "leg2", "text"}},
                {1, "tjbjs", "coltran", {"back"}},
                {2, "editys", nullptr, {"back"}},
                {2, "editfore", nullptr, {"text"}},
                {2, "backno", nullptr, {"back"}}};
    Colour last = RGB(0, 0, 0), chosen = RGB(10, 20, 30);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.item);
        const auto& k = kinds[r.kind];
        const int other = Draw(k.tool, 1000, 1500, 1600, 1800);
        const int n = Draw(k.tool, 1000, 3000, 1600, 3300);
        const Colours otherBefore = coloursOf(r.kind, other);
        if (r.transparent) {
            Choose(k.down, n, r.transparent);
            EXPECT_EQ(coloursOf(r.kind, n)["opaque"], 0u);
        }
        Colours expected = coloursOf(r.kind, n);
        Choose(k.down, n, r.item);  // cancelled
        EXPECT_EQ(coloursOf(r.kind, n), expected);
        for (const std::string& name : r.changed) expected[name] = chosen;
        if (r.transparent) expected["opaque"] = 1;
        desktop.colourChoices.push_back(chosen);
        Choose(k.down, n, r.item);
        EXPECT_EQ(desktop.colourDialogStarts.back(), last);
        (f.*k.up)(n, Right(5, 5));
        EXPECT_EQ(coloursOf(r.kind, n), expected);
        EXPECT_EQ(coloursOf(r.kind, other), otherBefore);
        last = chosen;
        chosen += 0x10000;
    }
    EXPECT_EQ(desktop.colourDialogStarts.size(), 14u);
}

TEST_F(Styling, CopyPutsTheFormTheCodeLabelShowsOnTheClipboard) {
    const int n = Marker(1500, 1500);
    Marker(1500, 3000);  // the newest marker is not the one clicked
    ColourMenu(n, "fzts");
    EXPECT_EQ(desktop.clipboardText, QStringLiteral("#0080FF"));
    // The form switch reads the texts the right press copied into cotext1.
    ColourMenu(n, "getrgb");
    EXPECT_EQ(ed().co(n).Caption(), QStringLiteral("R0,G128,B255"));
    ColourMenu(n, "fzts");
    EXPECT_EQ(desktop.clipboardText, QStringLiteral("R0,G128,B255"));
    ColourMenu(n, "getweb");
    ColourMenu(n, "fzts");
    EXPECT_EQ(desktop.clipboardText, QStringLiteral("#0080FF"));
    ColourMenu(n, "delcolo");  // once the marker is gone there is nothing to copy
    desktop.clipboardText = QStringLiteral("kept");
    ed().Command11_Click();
    EXPECT_EQ(desktop.clipboardText, QStringLiteral("kept"));
}

TEST_F(Styling, DeletingAMarkerRemovesAllItsElementsAndNothingElse) {
    const int a = Distance(1500), b = Distance(3000);
    const int marker = Marker(1500, 1500);
    const int note = Draw(&Form1::Command6_Click, 3000, 3000, 3600, 3300);
    DistanceMenu(a, "Deleteline");
    ColourMenu(marker, "delcolo");
    EXPECT_FALSE(ed().Line1.Exists(a) || ed().aapx.Exists(a) || ed().aaaa.Exists(a) ||
                 ed().bbbb.Exists(a));
    EXPECT_TRUE(ed().Line1.Exists(b) && ed().aapx.Exists(b) && ed().aaaa.Exists(b) &&
                ed().bbbb.Exists(b));
    EXPECT_FALSE(ed().zba.Exists(marker) || ed().zbb.Exists(marker) || ed().co.Exists(marker) ||
                 ed().Shape1.Exists(marker));
    EXPECT_EQ(Distance(4500), b + 1);  // indices are not reused

    // Commands addressing a marker that is gone, a note's index or nothing yet do nothing.
    desktop.colourChoices.push_back(RGB(10, 20, 30));
    for (int i : {a, 0}) {
        ed().aapxindex = i;
        for (auto cmd : {&Form1::Command9_Click, &Form1::Command18_Click, &Form1::Command20_Click,
                         &Form1::delline_Click})
            EXPECT_NO_THROW((ed().*cmd)());
    }
    for (int i : {note, marker, 0}) {
        ed().coindex = i;
        for (auto cmd : {&Form1::Command21_Click, &Form1::coltm_Click, &Form1::delzbb_Click})
            EXPECT_NO_THROW((ed().*cmd)());
    }
    EXPECT_TRUE(desktop.colourDialogStarts.empty());
    EXPECT_TRUE(ed().zba.Exists(note) && ed().zbb.Exists(note) && ed().bz.Exists(note));
    EXPECT_TRUE(ed().aapx.Exists(0) && ed().co.Exists(0) && ed().Shape1.Exists(0));
    EXPECT_EQ(ed().aapx.Template().BackStyle + ed().co.Template().BackStyle, 2);
}

// The edit box lies over the label; the tick applies its text to the label pressed last (an
// empty box is refused) and drops it when that label was deleted meanwhile.
TEST_F(Styling, CustomTextBoxCoversTheLabelAndTheTickAppliesItToTheLabelPressedLast) {
    const int a = Distance(1500), b = Distance(3000);
    const Label& label = ed().aapx(a);
    const QString measured = label.Caption();
    const float width = label.Width;
    DistanceMenu(a, "shizhi");
    TextBox& box = ed().shuzhi;
    const PictureBox& canvas = ed().Picture2;
    EXPECT_TRUE(box.Visible && ed().szz.Visible);
    EXPECT_EQ(box.Text(), measured);
    EXPECT_EQ(QPointF(box.Left, box.Top),
              QPointF(label.Left + canvas.Left, label.Top + canvas.Top));
    EXPECT_EQ(box.Height, label.Height);
    EXPECT_EQ(box.Width, label.Width);  // exactly over the label until its text is edited
    EXPECT_EQ(QPointF(ed().szz.Left, ed().szz.Top), QPointF(box.Left + box.Width, box.Top));
    EXPECT_EQ(ed().FocusRequest, &box);
    box.SetText(QStringLiteral("2.5 cm, measured twice"));
    ed().szz_Click();
    EXPECT_EQ(label.Caption(), QStringLiteral("2.5 cm, measured twice"));
    EXPECT_GT(label.Width, width);
    EXPECT_FALSE(box.Visible || ed().szz.Visible);
    EXPECT_TRUE(box.Text().isEmpty());
    EXPECT_EQ(ed().aapx(b).Caption(), measured);

    DistanceMenu(a, "shizhi");
    box.SetText(QStringLiteral("gap"));
    const QPointF place(box.Left, box.Top);
    ed().aapx_MouseDown(b, Left(0, 0));
    ed().aapx_MouseMove(b, Left(300, 300));
    ed().aapx_MouseUp(b, Left(300, 300));
    EXPECT_EQ(QPointF(box.Left, box.Top), place);  // the box stays
    ed().szz_Click();
    EXPECT_EQ(ed().aapx(b).Caption(), QStringLiteral("gap"));
    EXPECT_EQ(label.Caption(), QStringLiteral("2.5 cm, measured twice"));
    // The measuring tick of a new marker writes only its own label.
    const int c = Distance(4500);
    EXPECT_EQ(ed().aapx(b).Caption(), QStringLiteral("gap"));
    DistanceMenu(c, "shizhi");
    box.SetText(QString());
    ed().szz_Click();
    EXPECT_EQ(ed().aapx(c).Caption(), measured);
    EXPECT_TRUE(box.Visible);
    ed().shuzhi_KeyPress(Qt::Key_Escape);

    DistanceMenu(a, "shizhi");
    box.SetText(QStringLiteral("lost"));
    DistanceMenu(a, "Deleteline");
    EXPECT_NO_THROW(ed().szz_Click());
    EXPECT_FALSE(box.Visible);
    EXPECT_EQ(ed().aapx.Template().Caption(), QStringLiteral("aapx"));
    EXPECT_EQ(ed().aapx(b).Caption(), QStringLiteral("gap"));
    ed().Command25_Click();  // opening on a marker that is gone shows nothing
    EXPECT_FALSE(box.Visible);
}

}  // namespace
}  // namespace orv::test
