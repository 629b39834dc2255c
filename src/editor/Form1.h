#pragma once
// form1, the full-screen editor window: the canvas Picture2 with the picture
// being marked up, the top bar Picture6 (window buttons, read-outs, palette),
// the left bar Picture1 (tool pictures), the magnifier view and the state the
// editor keeps in hidden fields. Each group of handlers has a file of its own
// in editor/ (CanvasPointer, DistanceMarkerHandlers, NoteHandlers, ...); what
// an annotation is and how it is laid out lives in annotations/.

#include <QString>
#include <array>
#include <memory>
#include <optional>

#include "annotations/Annotations.h"
#include "editor/ContrastNotes.h"
#include "editor/EdgeGuides.h"
#include "editor/EditorHost.h"
#include "editor/Keyboard.h"
#include "editor/UndoHistory.h"
#include "editor/UnsavedWork.h"
#include "platform/ControlArray.h"
#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/Timer.h"

namespace orv {

class Desktop;
class cpsd;
class clsWaitableTimer;
struct Menu;
class RedactedPicture;

/// The tool mode `pd`: what a left press on the canvas does.
enum class Tool { Distance = 0, ColourPick = 1, Move = 2, Note = 3, Box = 4, Redact = 5 };

/// Form-level variables of the editor: they keep their values when the editor
/// is unloaded and loaded again.
struct EditorVariables {
    float pressX = 0, pressY = 0;     ///< pointer at the last press on the canvas, twips
    float grabX = 0, grabY = 0;       ///< point inside a pressed annotation element, twips
    int64_t sampledColor = 0;         ///< colour read at the last colour pick, 0x00BBGGRR or -1
    std::shared_ptr<cpsd> psdReader;  ///< the PSD reader, created on first use
    int32_t lensWidth = 0, lensHeight = 0;  ///< magnifier size parameters
};

class Form1 : public Form {
  public:
    Form1(EditorHost& host, EditorVariables& vars);
    ~Form1() override;

    /// Runs the load sequence (size, tiling, screen copy, modes).
    void Load();
    /// Puts a fresh copy of the screen on the canvas at the window's corner, with the bars
    /// hidden (the tool strip is the only tool bar then), as a screen measurement shows it.
    void ShowScreenCopy();
    /// Lays the window and its bars out again for Screen() after a change of resolution
    /// or monitor while the editor was hidden; the picture and its markup stay.
    void FollowScreen();
    /// Takes the place and size of Screen() and tiles the background over it.
    void CoverScreen();

    // ---- Tool modes and window buttons -------------------------------------
    void Command2_Click();  ///< move tool
    void Command3_Click();  ///< distance tool
    void Command4_Click();  ///< colour-pick tool
    void Command6_Click();  ///< note tool
    void Image5_Click();
    void Image6_Click();
    void Image7_Click();
    void Image8_Click();
    void Image9_Click();  ///< save
    void Image1_Click();  ///< hide the editor
    void Image3_Click();  ///< close the editor

    // ---- Canvas pointer handling, dragging, edge scrolling ------------------
    void Picture2_MouseDown(const MouseEvent& e);
    void Picture2_MouseMove(const MouseEvent& e);
    void Picture2_MouseUp(const MouseEvent& e);
    /// At the release: removes the distance or colour marker being drawn when it
    /// never left its press point and never showed its label (a dot nothing
    /// could reach), keeping its index for the next one. True when removed.
    bool DropPointMark();
    /// At the release of a note-tool press: a note that was never dragged goes beside the
    /// press point, and the new note takes the keyboard.
    void PlaceClickedNote();
    void Timer2_Timer();

    // ---- Distance markers ---------------------------------------------------
    void Timer1_Timer();
    void aapx_MouseDown(int Index, const MouseEvent& e);
    void aapx_MouseMove(int Index, const MouseEvent& e);
    void aapx_MouseUp(int Index, const MouseEvent& e);

    // ---- Colour markers -----------------------------------------------------
    void co_MouseDown(int Index, const MouseEvent& e);
    void co_MouseMove(int Index, const MouseEvent& e);
    void co_MouseUp(int Index, const MouseEvent& e);
    void Command10_Click();  ///< change the colour marker's line colour
    void Command11_Click();  ///< copy the colour code to the clipboard
    void contrast_Click();   ///< compare with the next colour marker clicked

    // ---- Notes --------------------------------------------------------------
    void bz_Change(int Index);
    void bz_MouseDown(int Index, const MouseEvent& e);
    void bz_MouseMove(int Index, const MouseEvent& e);
    void bz_MouseUp(int Index, const MouseEvent& e);
    /// Escape in a note ends its editing: the keyboard goes back to the editor's keys.
    void bz_KeyPress(int Index, int key);
    /// A note just placed takes the keyboard with its text selected, so typing replaces it.
    void EditNewNote(int Index);
    void bzz_Click(int Index);
    void bzz_MouseMove(int Index, const MouseEvent& e);
    void Command16_Click();  ///< note background colour
    void Command13_Click();  ///< note text colour
    void Command19_Click();  ///< delete the note
    void Command15_Click();  ///< transparent note
    void Command17_Click();  ///< opaque note with a chosen background

    // ---- Palette, styling, deletion -----------------------------------------
    void colormenu_Click(int Index);
    /// Gives the templates of every annotation array the palette colour c.
    void SetTemplateColours(Colour c);
    void Command9_Click();   ///< distance marker line colour
    void Command18_Click();  ///< distance label background colour
    void Command20_Click();  ///< distance label transparent background
    void delline_Click();    ///< delete the distance marker
    void Command21_Click();  ///< colour label background colour
    void coltm_Click();      ///< colour label transparent background
    void delzbb_Click();     ///< delete the colour marker

    // ---- Custom label text --------------------------------------------------
    void Command25_Click();         ///< open the in-place label editor
    void szz_Click();               ///< apply the edited label text
    void shuzhi_Change();           ///< widen the label editor to its text
    void shuzhi_KeyPress(int key);  ///< Enter applies, Escape closes

    // ---- Box measures ------------------------------------------------------
    void ImageBox_Click();  ///< box measure tool
    /// Keeps the box of the flat region the guides found (a snapping click).
    void KeepSnappedBox(const EdgeSpans& spans);
    void boxSize_MouseDown(int Index, const MouseEvent& e);
    void boxSize_MouseMove(int Index, const MouseEvent& e);
    void boxSize_MouseUp(int Index, const MouseEvent& e);
    static const Menu& boxmenu();  ///< box-measure menu
    void boxLine_Click();          ///< box outline colour
    void boxBack_Click();          ///< box label background colour
    void boxClear_Click();         ///< box label transparent background
    void boxText_Click();          ///< custom text for the box label
    void boxDelete_Click();        ///< delete the box
    void boxCopy_Click();          ///< copy the box's size as text

    // ---- Redactions ---------------------------------------------------------
    void ImageRedact_Click();         ///< redaction tool
    static const Menu& redactmenu();  ///< redaction menu
    void redactPixelate_Click();      ///< hide the area in blocks
    void redactBlack_Click();         ///< hide the area in solid black
    void redactDelete_Click();        ///< delete the redaction
    /// Brings the picture in line with the redactions (after any change to them).
    void SyncRedactions();
    /// The redaction under canvas point (x, y) twips, the newest first; 0 for none.
    int RedactionAt(float x, float y) const;

    // ---- Measurements as text ----------------------------------------------
    /// The canvas menu, opened by a right press on the canvas.
    static const Menu& canvasmenu();
    /// Puts every annotation on the clipboard as text and as JSON (Ctrl+Shift+C).
    void CopyMeasurements_Click();

    // ---- Magnifier ----------------------------------------------------------
    void Timer3_Timer();
    void fd_MouseMove(const MouseEvent& e);

    // ---- Colour codes -------------------------------------------------------
    void getwebrgb(float x, float y);
    void towebrgb_Click();
    void torgb_Click();

    // ---- Opening and saving -------------------------------------------------
    void Command14_Click();  ///< open dispatch by extension
    void Command22_Click();  ///< PSD open
    void Command66_Click();  ///< PNG/JPEG open
    void Command5_Click();   ///< capture and save
    void CutdSave();
    /// Loads open1 with the loader its extension open2 selects (the part of the
    /// open dispatch that the tool strip's file route shares).
    void OpenByExtension();
    /// Opens a dropped file exactly as a command-line path.
    void OpenDroppedFile(const QString& path);
    /// Before unsaved annotations would be lost: asks "Save changes to this markup?" and
    /// returns whether the caller may go on (Discard, or Save that succeeded).
    bool MayDiscardWork();

    /// Shows or hides the editor; its timers run only while it is shown.
    void SetShown(bool shown);

    // ---- Annotation menus ---------------------------------------------------
    static const Menu& cd();    ///< distance-marker menu
    static const Menu& cdd();   ///< colour-marker menu
    static const Menu& cddd();  ///< note menu
    /// Opens an annotation menu at the pointer and runs the chosen command.
    void PopupAnnotationMenu(const Menu& menu);
    /// Runs the editor command behind an annotation menu item; false for any other item.
    bool RunAnnotationCommand(const QString& item);

    /// The shared colour dialog: the chosen colour, or nullopt on cancel.
    std::optional<Colour> PickColour();
    /// Tiles the pattern box's picture over the window's persistent drawing.
    static void PictureTile(Form& window, PictureBox& pattern);

    EditorHost& host;
    Desktop& desktop;
    EditorVariables& vars;

    // ---- Controls -----------------------------------------------------------
    PictureBox Picture2;  ///< the canvas
    PictureBox Picture6;  ///< top tool bar
    PictureBox Picture1;  ///< left tool bar
    PictureBox beij;      ///< hidden holder of the background pattern
    PictureBox Picture3;  ///< hidden holder of the captured picture
    Image Image5, Image55, Image6, Image66, Image7, Image77, Image8, Image88;  ///< tools
    Image ImageBox, ImageBoxOn, ImageRedact, ImageRedactOn;  ///< box and redaction tools
    Image Image9, Image1, Image2, Image3;  ///< window buttons: save, hide, (unused), close
    Label Label5, Label6;                  ///< pointer read-outs "X:" and "Y:"
    PictureBox bcolormenu;                 ///< the palette strip
    std::array<Label, 6> colormenu;        ///< palette swatches
    Shape colorshape;                      ///< palette selection frame
    PictureBox fd;                         ///< magnifier view
    Shape fd1;                             ///< magnifier pointer frame
    TextBox shuzhi;                        ///< in-place label text editor
    PictureBox szz;                        ///< its apply (tick) button

    ControlArray<Line> Line1, aaaa, bbbb;  ///< distance segments and end ticks
    ControlArray<Label> aapx;              ///< distance length labels
    ControlArray<Line> zba, zbb;           ///< leader legs of colour markers and notes
    ControlArray<Label> co;                ///< colour code labels
    ControlArray<Shape> Shape1;            ///< colour swatches
    ControlArray<TextBox> bz;              ///< note text boxes
    ControlArray<Label> bzz;               ///< note display labels (transparent mode)
    ControlArray<Shape> boxFrame;          ///< box measure outlines
    ControlArray<Label> boxSize;           ///< box measure size labels
    ControlArray<Shape> redaction;         ///< redacted areas (never drawn themselves)

    /// The annotations as things: views over the arrays above.
    Annotations annotations;
    /// Undo and redo of user changes to the annotations.
    UndoHistory history{annotations};
    /// Whether the annotations changed since they were last saved or opened.
    UnsavedWork unsaved{annotations};

    Timer Timer1{10, false};   ///< live measurement tick while drawing
    Timer Timer2{10, false};   ///< edge scrolling, while the left button holds the canvas
    Timer Timer3{100, false};  ///< magnifier refresh, while the editor is shown

    // ---- State kept in hidden fields ---------------------------------------
    Tool pd = Tool::Move;               ///< tool mode
    int qqqq = 1;                       ///< index of the next distance marker
    int wwww = 1;                       ///< index of the next colour marker or note
    std::optional<float> Text5, Text6;  ///< last pointer X, Y on the canvas (unset at first)
    float Text1 = 0, Text2 = 0;         ///< pointer offset from the anchor, twips
    float Text3 = 0;                    ///< |dy| / |dx|
    std::optional<double> ti;           ///< length of the segment being drawn, twips
    Label px;                           ///< hidden length text of the segment being drawn
    int Label1 = 0;  ///< orientation code: 1 horizontal, 2 vertical, 0 not set yet
    int Label2 = 0;  ///< octant code 1..8, 0 not set yet
    QString open1 = QStringLiteral("open1");  ///< path of the picture being opened
    QString open2;                            ///< its lower-cased extension during an open
    int moshi = 0;                            ///< mode of the label-text editor (2)
    int aapxindex = 0;                        ///< distance marker last pressed
    int coindex = 0;                          ///< colour marker last pressed
    int bzindex = 0;                          ///< note last pressed or hovered
    int boxindex = 0;                         ///< box last pressed
    int redactindex = 0;                      ///< redaction last pressed
    /// The annotation of a described kind the last left press on the canvas took hold of (a
    /// redaction in its tool, drawn or grabbed); index 0 when it took none.
    AnnotationKey canvasHold;
    struct {
        QString Text, ToolTipText;
    } cotext1;  ///< the right-clicked colour marker's caption and tooltip
    struct {
        Colour BackColor = 0, ForeColor = 0;
    } jzys;                    ///< one-slot colour memory while an element is held
    QString ifsz;              ///< kind of label the text editor serves ("1" distance)
    Colour CommonDialog1 = 0;  ///< colour chosen last in the colour dialog

    // ---- What the open and save commands keep -------------------------------
    /// The last open dispatch (Command14_Click) opened nothing.
    bool openFailed = false;
    /// The file whose picture the canvas shows; empty for the clipboard and the screen.
    QString shownFile;
    /// "Saved <file>" in the top bar for a moment after a save.
    Label savedNote;
    /// Takes savedNote away again.
    Timer savedNoteTimer{4000, false};

    EdgeGuides guides{*this};       ///< edge-snapping guides of the distance tool
    ContrastNotes contrast{*this};  ///< a pending "Contrast with…" comparison
    Keyboard keyboard{*this};       ///< the editor's keys
    /// The picture under the redactions, and what the canvas shows with them applied.
    std::unique_ptr<RedactedPicture> redacted;

  private:
    bool pressEditsNote_ = false;  ///< the canvas press under way edits a note, makes none
    void SelectTool(Image& normal);
    void WireHandlers();
    /// Records a step around every press..release and menu command, and binds the undo keys.
    void WireUndo();
    /// Opens the canvas menu on a right press and binds Ctrl+Shift+C.
    void WireMeasurements();
    /// Runs the edge-scroll timer only from a left press on the canvas to its release, and
    /// stops any tick that finds the editor hidden.
    void WireQuietTimers();
    void LayOutDesign();
    /// Lays out the box and redaction tools and routes the canvas to them in their modes.
    void LayOutKinds();
    void WireKinds();
    /// Brings the picture in line with the redactions after every key and release.
    void WireRedactionSync();
    /// A right press on a redaction in the redaction tool opens its menu: true when it did.
    bool RedactionMenuAt(const MouseEvent& e);
    /// Runs a box or redaction menu command; false for any other item.
    bool RunKindCommand(const QString& item);
    /// Canvas press, move and release in the box and redaction tools.
    void KindPress(const MouseEvent& e);
    void KindMove(const MouseEvent& e);
    void KindRelease(const MouseEvent& e);
    void RedactionPress(const MouseEvent& e);
    void RedactionMove(const MouseEvent& e);
    void RedactionRelease();
    /// What a press in the redaction tool holds: the redaction and which of its
    /// edges follow the pointer (all four: it moves), or a new one being drawn.
    struct RedactionGrip {
        int index = 0;
        bool left = false, top = false, right = false, bottom = false;
        bool drawing = false;
        float x = 0, y = 0;                    ///< press point, twips
        float l0 = 0, t0 = 0, r0 = 0, b0 = 0;  ///< area at the press, twips
    } grip_;
    /// The box being drawn: its index and its anchor pixel (0: none).
    struct {
        int index = 0;
        int x = 0, y = 0;
    } boxDraw_;

    /// The editor's message-pumping wait (the open commands), created on first use.
    clsWaitableTimer& Waiter();
    std::shared_ptr<clsWaitableTimer> waiter_;
};

/// ifsz while the label editor serves a box's size label.
inline const QString kBoxLabel = QStringLiteral("box");

/// The canvas colours and sizes of the design.
constexpr Colour kLabelBack = RGB(255, 255, 192);
constexpr Colour kAnnotationRed = RGB(255, 0, 0);

}  // namespace orv
