// Colour codes of sampled colours, number and length texts, and the commands
// that switch a colour marker between its two code forms.

#include <gtest/gtest.h>
#include <tuple>

#include "AppFixture.h"
#include "imaging/ColourCodes.h"

namespace orv::test {
namespace {

TEST(ColourCodes, WebCodeAndRgbTextOfSampledColours) {
    const std::tuple<int64_t, const char*, const char*> cases[] = {
        {0, "#000000", "R0,G0,B0"},
        {255, "#FF0000", "R255,G0,B0"},
        {16711680, "#0000FF", "R0,G0,B255"},
        {658188, "#0C0B0A", "R12,G11,B10"},      // every part keeps two digits
        {0x7F0A0B0C, "#0C0B0A", "R12,G11,B10"},  // bits above the colour never leak in
    };
    for (const auto& [colour, web, rgb] : cases) {
        EXPECT_EQ(WebColour(colour), QLatin1String(web)) << colour;
        EXPECT_EQ(RgbText(colour), QLatin1String(rgb)) << colour;
    }
}

TEST(ColourCodes, NumberTextsAreShortestDecimalsWithoutExponent) {
    EXPECT_EQ(NumberText(2.0 / 3), QStringLiteral("0.666666666666667"));  // 15 digits
    EXPECT_EQ(NumberText(123456789012345678.0), QStringLiteral("123456789012346000"));
    EXPECT_EQ(NumberText(0.1 + 0.2), QStringLiteral("0.3"));
    EXPECT_EQ(NumberText(-0.0), QStringLiteral("0"));
    EXPECT_EQ(SingleText(-20), QStringLiteral("-20"));
    EXPECT_EQ(SingleText(1.0f / 3), QStringLiteral("0.3333333"));  // 7 digits
    EXPECT_EQ(SingleText(57600), QStringLiteral("57600"));
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
    // What the marker's right-click copies before its menu opens.
    void RightClicked(int i) {
        ed().coindex = i;
        ed().cotext1.Text = ed().co(i).Caption();
        ed().cotext1.ToolTipText = ed().co(i).ToolTipText;
    }
};

// A fresh sample shows the web code with the RGB text as tooltip and its swatch; the switch
// commands swap the two texts only from the other form, on marker coindex alone.
TEST_F(ColourCodeCommands, FreshSampleShowsWebCodeAndSwitchesSwapTheForms) {
    const Label& first = Sample(1, 658188);
    EXPECT_EQ(first.Caption(), QStringLiteral("#0C0B0A"));
    EXPECT_EQ(first.ToolTipText, QStringLiteral("R12,G11,B10"));
    EXPECT_EQ(ed().Shape1(1).BackColor, RGB(12, 11, 10));
    Label& l = Sample(2, RGB(255, 128, 0));
    RightClicked(2);
    ed().towebrgb_Click();  // already the web code: nothing changes
    EXPECT_EQ(l.Caption(), QStringLiteral("#FF8000"));
    ed().torgb_Click();
    EXPECT_EQ(l.Caption(), QStringLiteral("R255,G128,B0"));
    EXPECT_EQ(l.ToolTipText, QStringLiteral("#FF8000"));
    RightClicked(2);
    ed().torgb_Click();  // already the RGB text
    EXPECT_EQ(l.Caption(), QStringLiteral("R255,G128,B0"));
    ed().towebrgb_Click();
    EXPECT_EQ(l.Caption(), QStringLiteral("#FF8000"));
    EXPECT_EQ(l.ToolTipText, QStringLiteral("R255,G128,B0"));
    EXPECT_EQ(first.Caption(), QStringLiteral("#0C0B0A"));
    // On a marker deleted meanwhile, a switch does nothing.
    ed().co.Unload(2);
    EXPECT_NO_THROW(ed().towebrgb_Click());
    EXPECT_FALSE(ed().co.Exists(2));
}

}  // namespace
}  // namespace orv::test
