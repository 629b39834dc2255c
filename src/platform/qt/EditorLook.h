#pragma once
// How a multi-line text box looks in its plain-text editor widget, for the editor and
// for the window: a box with no editor widget of its own is painted by the window with
// the very pixels its editor would show, so that the editor can come and go unseen.

#include <QFont>
#include <QPainter>
#include <QRect>

#include "platform/Controls.h"

namespace orv {

/// The text of a box as its editors hold it: text boxes keep Windows line breaks, the
/// editors plain ones.
QString EditorText(const QString& model);
/// The editor's font for a box shown at scale window pixels per pixel of the box
/// (text in a zoomed canvas grows and shrinks with it).
QFont EditorFont(const TextBox& box, double scale);
/// The space between the box's corner and its text in the editor, in window pixels:
/// 50 twips, at the scale.
double EditorMargin(double scale);
/// Paints box as its plain-text editor shows it when it does not hold the keyboard and
/// shows its text from the start, over rect (window pixels; the painter unscaled).
void PaintAsPlainTextEditor(QPainter& p, const TextBox& box, const QRect& rect, double scale);

}  // namespace orv
