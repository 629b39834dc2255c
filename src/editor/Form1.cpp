#include "editor/Form1.h"

#include <QPainter>
#include <cmath>

#include "annotations/Palette.h"
#include "editor/OpenCommands.h"
#include "editor/RedactedPicture.h"
#include "editor/ScreenCopy.h"
#include "platform/Artwork.h"
#include "platform/Desktop.h"
#include "platform/Screen.h"

namespace orv {

namespace {
constexpr float kTopBarHeight = 630;  // 42 px
constexpr float kLeftBarWidth = 750;  // 50 px
constexpr float kToolSize = 525;      // 35 px
constexpr float kButtonSize = 525;

const FontSpec kBold9{QStringLiteral("Arial"), 9.0, true};
}  // namespace

Form1::Form1(EditorHost& h, EditorVariables& v)
    : Form(QStringLiteral("form1")),
      host(h),
      desktop(h.HostDesktop()),
      vars(v),
      Line1(Picture2, QStringLiteral("Line1")),
      aaaa(Picture2, QStringLiteral("aaaa")),
      bbbb(Picture2, QStringLiteral("bbbb")),
      aapx(Picture2, QStringLiteral("aapx")),
      zba(Picture2, QStringLiteral("zba")),
      zbb(Picture2, QStringLiteral("zbb")),
      co(Picture2, QStringLiteral("co")),
      Shape1(Picture2, QStringLiteral("Shape1")),
      bz(Picture2, QStringLiteral("bz")),
      bzz(Picture2, QStringLiteral("bzz")),
      boxFrame(Picture2, QStringLiteral("boxFrame")),
      boxSize(Picture2, QStringLiteral("boxSize")),
      redaction(Picture2, QStringLiteral("redaction")),
      annotations({Line1, aaaa, bbbb, aapx, zba, zbb, co, Shape1, bz, bzz}, Picture2, qqqq, wwww,
                  KindArrays{&boxFrame, &boxSize, &redaction}) {
    Caption = QStringLiteral("Orvane Tessaly");
    LayOutDesign();
    LayOutKinds();
    WireHandlers();
}

Form1::~Form1() = default;

void Form1::LayOutDesign() {
    Width = Screen().Width;
    Height = Screen().Height;

    Picture2.Name = QStringLiteral("Picture2");
    Picture2.Left = kLeftBarWidth + 100;
    Picture2.Top = kTopBarHeight + 100;
    Picture2.Width = 4800;
    Picture2.Height = 3600;
    Picture2.AutoSize = true;
    Picture2.BackColor = RGB(255, 255, 255);
    Add(Picture2);

    Picture6.Name = QStringLiteral("Picture6");
    Picture6.Width = Width;
    Picture6.Height = kTopBarHeight;
    Picture6.Artwork = QStringLiteral(":/art/toolbar-top.svg");
    Picture6.BackColor = RGB(37, 39, 44);
    Add(Picture6);
    Picture1.Name = QStringLiteral("Picture1");
    Picture1.Top = kTopBarHeight;
    Picture1.Width = kLeftBarWidth;
    Picture1.Height = Height;
    Picture1.Artwork = QStringLiteral(":/art/toolbar-left.svg");
    Picture1.BackColor = RGB(37, 39, 44);
    Add(Picture1);

    beij.Name = QStringLiteral("beij");
    beij.Visible = false;
    const QSize tile = ArtworkSize(QStringLiteral(":/art/pattern.svg"));
    if (!tile.isEmpty()) {
        beij.SetPicture(RenderArtwork(QStringLiteral(":/art/pattern.svg"), tile));
        beij.Width = static_cast<float>(tile.width()) * Screen().TwipsPerPixelX;
        beij.Height = static_cast<float>(tile.height()) * Screen().TwipsPerPixelY;
    }
    beij.BorderStyle = 1;
    Add(beij);
    Picture3.Name = QStringLiteral("Picture3");
    Picture3.Visible = false;
    Add(Picture3);

    // Tools: the move tool is the one selected in a fresh editor.
    const float x = (kLeftBarWidth - kToolSize) / 2;
    PlaceImage(Image5, QStringLiteral("Image5"), x, 300, kToolSize, "tool-distance.svg", Picture1,
               "Mark Length");
    PlaceImage(Image55, QStringLiteral("Image55"), x, 300, kToolSize, "tool-distance-active.svg",
               Picture1);
    PlaceImage(Image6, QStringLiteral("Image6"), x, 900, kToolSize, "tool-colour.svg", Picture1,
               "Mark Color");
    PlaceImage(Image66, QStringLiteral("Image66"), x, 900, kToolSize, "tool-colour-active.svg",
               Picture1);
    PlaceImage(Image7, QStringLiteral("Image7"), x, 1500, kToolSize, "tool-note.svg", Picture1,
               "Mark Text");
    PlaceImage(Image77, QStringLiteral("Image77"), x, 1500, kToolSize, "tool-note-active.svg",
               Picture1);
    PlaceImage(Image8, QStringLiteral("Image8"), x, 2100, kToolSize, "tool-move.svg", Picture1,
               "Drag");
    PlaceImage(Image88, QStringLiteral("Image88"), x, 2100, kToolSize, "tool-move-active.svg",
               Picture1);
    Image55.Visible = Image66.Visible = Image77.Visible = false;
    Image8.Visible = false;

    // Window buttons, from the right edge: save, hide, (unused), close.
    const float y = (kTopBarHeight - kButtonSize) / 2;
    const float sw = Screen().Width;
    PlaceImage(Image9, QStringLiteral("Image9"), sw - 5 * kButtonSize, y, kButtonSize,
               "btn-save.svg", Picture6, QStringLiteral("保存"));
    PlaceImage(Image1, QStringLiteral("Image1"), sw - 4 * kButtonSize, y, kButtonSize,
               "btn-hide.svg", Picture6);
    PlaceImage(Image2, QStringLiteral("Image2"), sw - 3 * kButtonSize, y, kButtonSize,
               "btn-hide.svg", Picture6);
    PlaceImage(Image3, QStringLiteral("Image3"), sw - 2 * kButtonSize, y, kButtonSize,
               "btn-close.svg", Picture6);
    Image2.Visible = false;

    for (Label* l : {&Label5, &Label6}) {
        l->AutoSize = true;
        l->BackStyle = 0;
        l->ForeColor = RGB(217, 220, 225);
        l->SetFont(FontSpec{QStringLiteral("Arial"), 9.0, false});
        l->Top = 210;
        Picture6.Add(*l);
    }
    Label5.Name = QStringLiteral("Label5");
    Label5.Left = 960;
    Label5.SetCaption(QStringLiteral("X"));
    Label6.Name = QStringLiteral("Label6");
    Label6.Left = 2040;
    Label6.SetCaption(QStringLiteral("Y"));

    savedNote.Name = QStringLiteral("savedNote");
    savedNote.AutoSize = true;
    savedNote.BackStyle = 0;
    savedNote.ForeColor = RGB(140, 220, 150);
    savedNote.SetFont(FontSpec{QStringLiteral("Arial"), 9.0, true});
    savedNote.Left = 8100;
    savedNote.Top = 210;
    savedNote.Visible = false;
    Picture6.Add(savedNote);

    bcolormenu.Name = QStringLiteral("bcolormenu");
    bcolormenu.Left = 3240;
    bcolormenu.Top = 0;
    bcolormenu.Width = 4575;
    bcolormenu.Height = 495;
    Picture6.Add(bcolormenu);
    LayOutPalette(bcolormenu, colormenu, colorshape);

    fd.Name = QStringLiteral("fd");
    fd.Left = 960;
    fd.Top = 5280;
    fd.Width = 1000;
    fd.Height = 1000;
    fd.ScalePixels = true;
    fd.BorderStyle = 1;
    fd.BackColor = RGB(0, 0, 0);
    Add(fd);
    fd1.Name = QStringLiteral("fd1");
    fd1.Left = 27;
    fd1.Top = 27;
    fd1.Width = 6;
    fd1.Height = 6;
    fd1.BorderColor = RGB(0, 255, 0);
    fd1.BackStyle = 0;
    fd.Add(fd1);

    shuzhi.Name = QStringLiteral("shuzhi");
    shuzhi.BackColor = RGB(255, 128, 128);
    shuzhi.Font = kBold9;
    shuzhi.Visible = false;
    Add(shuzhi);
    szz.Name = QStringLiteral("szz");
    szz.Width = 255;
    szz.Height = 255;
    szz.Artwork = QStringLiteral(":/art/tick.svg");
    szz.BackColor = RGB(255, 255, 255);
    szz.Visible = false;
    Add(szz);

    guides.LayOut(Picture2, Picture6);
    px.Name = QStringLiteral("px");
    px.Visible = false;
    px.SetCaption(QStringLiteral("Label2"));
    Add(px);

    // Templates (element 0) of the annotation arrays.
    for (ControlArray<Line>* a : {&Line1, &aaaa, &bbbb, &zba, &zbb})
        a->Template().BorderColor = kAnnotationRed;
    for (ControlArray<Label>* a : {&aapx, &co}) {
        Label& t = a->Template();
        t.BackColor = kLabelBack;
        t.BackStyle = 1;
        t.ForeColor = kAnnotationRed;
        t.AutoSize = true;
        t.SetFont(kBold9);
    }
    aapx.Template().SetCaption(QStringLiteral("aapx"));
    aapx.Template().ToolTipText = QStringLiteral("左键移动位置右键删除");
    co.Template().SetCaption(QStringLiteral("co"));
    co.Template().ToolTipText = QStringLiteral("点击右键删除");
    Shape& sw1 = Shape1.Template();
    sw1.Width = 135;
    sw1.Height = 135;
    sw1.BorderColor = RGB(0, 0, 0);
    sw1.BackColor = RGB(128, 255, 128);
    sw1.BackStyle = 1;
    TextBox& b = bz.Template();
    b.SetText(QStringLiteral("TEXT\r\n"));
    b.MultiLine = true;
    b.Width = 735;
    b.Height = 285;
    b.BackColor = kLabelBack;
    b.ForeColor = kAnnotationRed;
    b.Font = kBold9;
    Label& l = bzz.Template();
    l.BackStyle = 0;
    l.SetFont(kBold9);
}

void Form1::WireHandlers() {
    Image5.Click = [this] { Image5_Click(); };
    Image6.Click = [this] { Image6_Click(); };
    Image7.Click = [this] { Image7_Click(); };
    Image8.Click = [this] { Image8_Click(); };
    Image9.Click = [this] { Image9_Click(); };
    Image1.Click = [this] { Image1_Click(); };
    Image3.Click = [this] { Image3_Click(); };
    Picture2.MouseDown = [this](const MouseEvent& e) { Picture2_MouseDown(e); };
    Picture2.MouseMove = [this](const MouseEvent& e) { Picture2_MouseMove(e); };
    Picture2.MouseUp = [this](const MouseEvent& e) { Picture2_MouseUp(e); };
    for (Label& s : colormenu) {
        const int k = s.Index;
        s.Click = [this, k] { colormenu_Click(k); };
    }
    fd.MouseMove = [this](const MouseEvent& e) { fd_MouseMove(e); };
    szz.Click = [this] { szz_Click(); };
    shuzhi.KeyPress = [this](int key) { shuzhi_KeyPress(key); };
    shuzhi.Change = [this] { shuzhi_Change(); };
    Key = [this](int key, int shift, bool down) { guides.Key(key, shift, down); };
    Timer1.Tick = [this] { Timer1_Timer(); };
    Timer2.Tick = [this] { Timer2_Timer(); };
    Timer3.Tick = [this] { Timer3_Timer(); };
    // The magnifier's tick changes its view and nothing else.
    Timer3.Touches = &fd;
    savedNoteTimer.Tick = [this] {
        savedNote.Visible = false;
        savedNoteTimer.SetEnabled(false);
    };

    aapx.OnLoad = [this](Label& c) {
        const int i = c.Index;
        c.MouseDown = [this, i](const MouseEvent& e) { aapx_MouseDown(i, e); };
        c.MouseMove = [this, i](const MouseEvent& e) { aapx_MouseMove(i, e); };
        c.MouseUp = [this, i](const MouseEvent& e) { aapx_MouseUp(i, e); };
    };
    co.OnLoad = [this](Label& c) {
        const int i = c.Index;
        c.MouseDown = [this, i](const MouseEvent& e) { co_MouseDown(i, e); };
        c.MouseMove = [this, i](const MouseEvent& e) { co_MouseMove(i, e); };
        c.MouseUp = [this, i](const MouseEvent& e) { co_MouseUp(i, e); };
    };
    bz.OnLoad = [this](TextBox& c) {
        const int i = c.Index;
        c.Change = [this, i] { bz_Change(i); };
        c.MouseDown = [this, i](const MouseEvent& e) { bz_MouseDown(i, e); };
        c.MouseMove = [this, i](const MouseEvent& e) { bz_MouseMove(i, e); };
        c.MouseUp = [this, i](const MouseEvent& e) { bz_MouseUp(i, e); };
        c.KeyPress = [this, i](int key) { bz_KeyPress(i, key); };
    };
    bzz.OnLoad = [this](Label& c) {
        const int i = c.Index;
        c.Click = [this, i] { bzz_Click(i); };
        c.MouseMove = [this, i](const MouseEvent& e) { bzz_MouseMove(i, e); };
    };
    WireKinds();
    WireMeasurements();
    keyboard.Wire();
    WireUndo();
    WireQuietTimers();
    WireRedactionSync();
}

void Form1::Load() {
    CoverScreen();
    if (host.EditorStartMode() == StartMode::ScreenMeasurement) ShowScreenCopy();
    moshi = 2;
    vars.lensWidth = 100;
    vars.lensHeight = 100;
}

void Form1::CoverScreen() {
    Top = Screen().Top;
    Left = Screen().Left;
    Height = Screen().Height;
    Width = Screen().Width;
    PictureTile(*this, beij);
}

void Form1::FollowScreen() {
    CoverScreen();
    RepaintEditorBars(*this);
    Image9.Left = Screen().Width - 5 * Image9.Width;
}

void Form1::ShowScreenCopy() {
    Picture1.Visible = false;
    Picture6.Visible = false;
    Picture2.Left = 0;
    Picture2.Top = 0;
    Picture2.AutoRedraw = true;
    // Whatever an earlier open showed goes: the copy is the picture now.
    ShowOnCanvas(*this, QImage());
    CopyScreenOnto(Picture2, desktop);
}

void Form1::PictureTile(Form& window, PictureBox& pattern) {
    window.AutoRedraw = true;
    pattern.BorderStyle = 0;
    // Counts are 32-bit; an empty tile would never finish, so nothing is tiled then.
    const int64_t height = std::llround(window.Height);
    const int64_t width = std::llround(window.Width);
    const int64_t stepY = std::llround(pattern.ScaleHeight());
    const int64_t stepX = std::llround(pattern.ScaleWidth());
    const float tx = Screen().TwipsPerPixelX, ty = Screen().TwipsPerPixelY;
    const QSize px(static_cast<int>(std::ceil(static_cast<float>(width) / tx)),
                   static_cast<int>(std::ceil(static_cast<float>(height) / ty)));
    if (px.isEmpty()) return;
    if (window.Surface.size() != px) {
        window.Surface = QImage(px, QImage::Format_RGB32);
        window.Surface.fill(ToQColor(window.BackColor));
    }
    if (stepX <= 0 || stepY <= 0 || pattern.Picture().isNull()) return;
    QPainter p(&window.Surface);
    for (int64_t y = 0; y <= height; y += stepY)
        for (int64_t x = 0; x <= width; x += stepX)
            p.drawImage(QPointF(static_cast<double>(x) / tx, static_cast<double>(y) / ty),
                        pattern.Picture());
}

void Form1::SelectTool(Image& normal) {
    ShowToolLook({{&Image5, &Image55},
                  {&Image6, &Image66},
                  {&Image7, &Image77},
                  {&Image8, &Image88},
                  {&ImageBox, &ImageBoxOn},
                  {&ImageRedact, &ImageRedactOn}},
                 &normal);
}

void Form1::Command2_Click() {
    pd = Tool::Move;
}
void Form1::Command3_Click() {
    pd = Tool::Distance;
}
void Form1::Command4_Click() {
    pd = Tool::ColourPick;
}
void Form1::Command6_Click() {
    pd = Tool::Note;
}

void Form1::Image5_Click() {
    SelectTool(Image5);
    Command3_Click();
}
void Form1::Image6_Click() {
    SelectTool(Image6);
    Command4_Click();
}
void Form1::Image7_Click() {
    SelectTool(Image7);
    Command6_Click();
}
void Form1::Image8_Click() {
    SelectTool(Image8);
    Command2_Click();
}

void Form1::Image9_Click() {
    Command5_Click();
}
void Form1::Image1_Click() {
    SetShown(false);
}

std::optional<Colour> Form1::PickColour() {
    const std::optional<Colour> c = desktop.PickColour(CommonDialog1);
    if (c) CommonDialog1 = *c;
    return c;
}

}  // namespace orv
