#pragma once
// Fonts of the controls: a FontSpec made into a QFont at the screen's scale,
// and text measured in twips.

#include <QFont>
#include <QSizeF>
#include <QString>

#include "platform/Controls.h"

namespace orv {

/// The QFont for font at the current twips per pixel (9 pt is 12 px at 96 dpi).
QFont MakeQFont(const FontSpec& font);
/// The extent of text in twips: widest line and all lines' height.
QSizeF MeasureText(const FontSpec& font, const QString& text);

}  // namespace orv
