// Palette, styling and deletion: the palette colour of annotations made from
// now on, the colour and background commands of the distance-marker and
// colour-marker menus, and deleting either kind of marker.

#include "annotations/Palette.h"
#include "editor/Form1.h"

namespace orv {

namespace {

// A run-time element of an array (never the template), or nullptr when it is
// gone: the menu commands then have nothing to act on.
template <class T>
T* Marker(const ControlArray<T>& array, int index) {
    return index >= 1 ? array.Find(index) : nullptr;
}

// Unloads element i; one already gone does not stop the others.
template <class T>
void Unload(ControlArray<T>& array, int i) {
    IgnoreErrors([&] { array.Unload(i); });
}

}  // namespace

void Form1::colormenu_Click(int Index) {
    if (Index < 0 || Index >= static_cast<int>(colormenu.size())) return;
    const Label& swatch = colormenu[static_cast<size_t>(Index)];
    MovePaletteFrame(colorshape, swatch);
    SetTemplateColours(swatch.BackColor);
}

void Form1::SetTemplateColours(Colour c) {
    // Text colours first, then the line colours, in the order the palette sets them.
    aapx.Template().ForeColor = c;
    co.Template().ForeColor = c;
    bz.Template().ForeColor = c;
    for (ControlArray<Line>* lines : {&aaaa, &bbbb, &Line1, &zbb, &zba})
        lines->Template().BorderColor = c;
}

// ---- Distance marker Val(aapxindex) ----------------------------------------

void Form1::Command9_Click() {
    if (!Marker(aapx, aapxindex)) return;
    const std::optional<Colour> c = PickColour();
    if (!c) return;
    // The marker is looked up again: the dialog is modal but events still run.
    const int i = aapxindex;
    for (ControlArray<Line>* lines : {&Line1, &aaaa, &bbbb})
        if (Line* l = Marker(*lines, i)) l->BorderColor = *c;
    if (Label* label = Marker(aapx, i)) label->ForeColor = *c;
}

void Form1::Command18_Click() {
    if (!Marker(aapx, aapxindex)) return;
    const std::optional<Colour> c = PickColour();
    if (!c) return;
    if (Label* label = Marker(aapx, aapxindex)) {
        label->BackStyle = 1;
        label->BackColor = *c;
    }
}

void Form1::Command20_Click() {
    if (Label* label = Marker(aapx, aapxindex)) label->BackStyle = 0;
}

void Form1::delline_Click() {
    const int i = aapxindex;
    if (i < 1) return;  // never the templates
    Unload(Line1, i);
    Unload(aapx, i);
    Unload(aaaa, i);
    Unload(bbbb, i);
}

// ---- Colour marker Val(coindex) --------------------------------------------

void Form1::Command21_Click() {
    if (!Marker(co, coindex)) return;
    const std::optional<Colour> c = PickColour();
    if (!c) return;
    if (Label* label = Marker(co, coindex)) {
        label->BackStyle = 1;
        label->BackColor = *c;
    }
}

void Form1::coltm_Click() {
    if (Label* label = Marker(co, coindex)) label->BackStyle = 0;
}

void Form1::delzbb_Click() {
    const int i = coindex;
    if (i < 1) return;  // never the templates
    // Only a colour marker's elements: a note sharing the leader arrays keeps its own.
    if (!co.Exists(i)) return;
    Unload(zba, i);
    Unload(zbb, i);
    Unload(co, i);
    Unload(Shape1, i);
}

}  // namespace orv
