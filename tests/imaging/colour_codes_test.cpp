// Colour codes of sampled colours, number and length texts, and the right-click commands
// that switch a colour marker between its two code forms.

#include <gtest/gtest.h>
#include <tuple>

#include "AppFixture.h"
#include "imaging/ColourCodes.h"

namespace orv::test {
namespace {

TEST(ColourCodes, ColourAndNumberTexts) {
    // Every part keeps two digits; bits above the colour never leak in.
    for (const int64_t colour : {int64_t{658188}, int64_t{0x7F0A0B0C}}) {
        EXPECT_EQ(WebColour(colour), QStringLiteral("#0C0B0A")) << colour;
        EXPECT_EQ(RgbText(colour), QStringLiteral("R12,G11,B10")) << colour;
    }
    // Shortest decimals of at most 15 (7 for single precision) digits, without exponent.
    EXPECT_EQ(NumberText(2.0 / 3), QStringLiteral("0.666666666666667"));
    EXPECT_EQ(NumberText(123456789012345678.0), QStringLiteral("123456789012346000"));
    EXPECT_EQ(NumberText(0.1 + 0.2), QStringLiteral("0.3"));
    EXPECT_EQ(NumberText(-0.0), QStringLiteral("0"));
    EXPECT_EQ(SingleText(-20), QStringLiteral("-20"));
    EXPECT_EQ(SingleText(1.0f / 3), QStringLiteral("0.3333333"));
}

class ColourCodeCommands : public AppTest {
  protected:
    // Colour marker i freshly filled with colour.
    Label& Sample(int i, int64_t colour) {
        ed().co.Load(i);
        ed().Shape1.Load(i);
        ed().wwww = i;
        ed().vars.sampledColor = colour;
        ed().getwebrgb(0, 0);
        return ed().co(i);
    }
};

// A fresh sample shows the web code with the RGB text as tooltip (its caption and swatch are
// checked with the colour-pick press); the marker's right-click menu swaps the two texts only
// from the other form, on the clicked marker alone.
TEST_F(ColourCodeCommands, FreshSampleShowsWebCodeAndTheMenuSwapsTheForms) {
    const Label& first = Sample(1, 658188);
    EXPECT_EQ(first.ToolTipText, QStringLiteral("R12,G11,B10"));
    Label& l = Sample(2, RGB(255, 128, 0));
    const std::tuple<const char*, const char*, const char*> steps[] = {
        {"getweb", "#FF8000", "R255,G128,B0"},  // already the web code: nothing changes
        {"getrgb", "R255,G128,B0", "#FF8000"},
        {"getrgb", "R255,G128,B0", "#FF8000"},  // already the RGB text
        {"getweb", "#FF8000", "R255,G128,B0"},
    };
    for (const auto& [item, caption, tip] : steps) {
        desktop.menuChoices.push_back(QString::fromLatin1(item));
        ed().co_MouseDown(2, Right(5, 5));
        EXPECT_EQ(l.Caption(), QLatin1String(caption)) << item;
        EXPECT_EQ(l.ToolTipText, QLatin1String(tip)) << item;
    }
    EXPECT_EQ(first.Caption(), QStringLiteral("#0C0B0A"));
    // On a marker deleted meanwhile, a switch does nothing.
    ed().co.Unload(2);
    EXPECT_NO_THROW(ed().towebrgb_Click());
    EXPECT_FALSE(ed().co.Exists(2));
}

}  // namespace
}  // namespace orv::test
