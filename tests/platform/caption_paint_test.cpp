// Label captions: the painter keeps their laid-out text between repaints. What it draws
// must stay what drawText draws for the same caption, font and place, at any scale, on the
// first repaint and the next ones, and after the caption changes.
#include <gtest/gtest.h>

#include <QPainter>

#include "platform/Colour.h"
#include "platform/Fonts.h"
#include "platform/Painter.h"
#include "platform/Screen.h"

namespace orv {
namespace {

QImage Blank() {
    QImage img(700, 240, QImage::Format_RGB32);
    img.fill(QColor(250, 250, 240));
    return img;
}

TEST(CaptionPaint, LabelsPaintTheirCaptionsAsDrawTextDoesAtEveryScale) {
    Screen().TwipsPerPixelX = Screen().TwipsPerPixelY = 15;
    const QString captions[] = {
        QStringLiteral("126px"),        QStringLiteral("#FF8000"),
        QStringLiteral("R255,G128,B0"), QStringLiteral("X:1234 Y:56"),
        QStringLiteral("two\r\nlines"), QString::fromUtf8("\xd8\xb9\xd8\xb1\xd8\xa8\xd9\x8a 12"),
        QStringLiteral("tab\there"),    QStringLiteral("Wide WWW iii fi"),
    };
    const FontSpec fonts[] = {{QStringLiteral("Arial"), 9.0, true},
                              {QStringLiteral("Arial"), 9.0, false},
                              {QStringLiteral("Arial"), 14.0, true},
                              {QStringLiteral("Liberation Serif"), 11.0, false}};
    Label label;
    label.AutoSize = true;
    label.Left = 7 * 15;
    label.Top = 5 * 15;
    label.ForeColor = RGB(200, 20, 40);
    int n = 0;
    for (const FontSpec& font : fonts)
        for (const QString& caption : captions)
            for (double scale : {1.0, 3.0, 1.0 / 3, 0.25}) {
                label.SetFont(font);
                label.SetCaption(caption);
                label.BackStyle = n++ % 2;
                QImage expected = Blank();
                {
                    QPainter p(&expected);
                    p.scale(scale, scale);
                    const QRect r = ControlPlace(label);
                    if (label.BackStyle == 1) p.fillRect(r, ToQColor(label.BackColor));
                    p.setPen(ToQColor(label.ForeColor));
                    p.setFont(MakeQFont(font));
                    p.setRenderHint(QPainter::TextAntialiasing, true);
                    QString text = caption;
                    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                    p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
                }
                for (int repaint = 0; repaint < 2; ++repaint) {
                    QImage painted = Blank();
                    {
                        QPainter p(&painted);
                        p.scale(scale, scale);
                        PaintControl(p, label);
                    }
                    ASSERT_TRUE(painted == expected)
                        << qPrintable(caption) << " in " << qPrintable(font.Name) << " "
                        << font.Size << (font.Bold ? " bold" : "") << " at " << scale
                        << (repaint ? ", repainted" : "");
                }
            }
}

}  // namespace
}  // namespace orv
