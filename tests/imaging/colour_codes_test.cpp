// Colour codes of sampled colours, number and length texts, and the commands
// that switch a colour marker between its two code forms.

#include <gtest/gtest.h>

#include "AppFixture.h"
#include "imaging/ColourCodes.h"

namespace orv::test {
namespace {

TEST(ColourCodes, WebCodeAndRgbTextOfSampledColours) {
    struct Case {
        int64_t colour;
        const char* web;
        const char* rgb;
    };
    const Case cases[] = {
        {0, "#000000", "R0,G0,B0"},
        {255, "#FF0000", "R255,G0,B0"},
        {16711680, "#0000FF", "R0,G0,B255"},
        {658188, "#0C0B0A", "R12,G11,B10"},  // every part keeps two digits
        {RGB(255, 128, 0), "#FF8000", "R255,G128,B0"},
        {0xFFFFFF, "#FFFFFF", "R255,G255,B255"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WebColour(c.colour), QLatin1String(c.web)) << c.colour;
        EXPECT_EQ(RgbText(c.colour), QLatin1String(c.rgb)) << c.colour;
    }
    // Bits above the colour never leak into the parts.
    EXPECT_EQ(WebColour(0x7F0A0B0C), QStringLiteral("#0C0B0A"));
}

TEST(ColourCodes, NumberTextIsShortestDecimalOfFifteenDigits) {
    EXPECT_EQ(NumberText(11), QStringLiteral("11"));
    EXPECT_EQ(NumberText(1000), QStringLiteral("1000"));  // never "1e+03"
    EXPECT_EQ(NumberText(0.5), QStringLiteral("0.5"));
    EXPECT_EQ(NumberText(1.0 / 3), QStringLiteral("0.333333333333333"));
    EXPECT_EQ(NumberText(2.0 / 3), QStringLiteral("0.666666666666667"));
    EXPECT_EQ(NumberText(123456789012345678.0), QStringLiteral("123456789012346000"));
    EXPECT_EQ(NumberText(0.1 + 0.2), QStringLiteral("0.3"));
    EXPECT_EQ(NumberText(-0.0), QStringLiteral("0"));
    EXPECT_EQ(LengthText(11), QStringLiteral("11px"));
    EXPECT_EQ(LengthText(201), QStringLiteral("201px"));
}

TEST(ColourCodes, SingleTextKeepsSevenDigits) {
    EXPECT_EQ(SingleText(300), QStringLiteral("300"));
    EXPECT_EQ(SingleText(-20), QStringLiteral("-20"));
    EXPECT_EQ(SingleText(12.5f), QStringLiteral("12.5"));
    EXPECT_EQ(SingleText(1.0f / 3), QStringLiteral("0.3333333"));
    EXPECT_EQ(SingleText(57600), QStringLiteral("57600"));
}

class ColourCodeCommands : public AppTest {
  protected:
    // A colour marker at index 1 freshly filled with colour.
    Label& Sample(int64_t colour) {
        ed().co.Load(1);
        ed().Shape1.Load(1);
        ed().vars.sampledColor = colour;
        ed().getwebrgb(0, 0);
        return ed().co(1);
    }
    // What the marker's right-click copies before its menu opens.
    void RightClicked(int i) {
        ed().coindex = i;
        ed().cotext1.Text = ed().co(i).Caption();
        ed().cotext1.ToolTipText = ed().co(i).ToolTipText;
    }
};

TEST_F(ColourCodeCommands, FreshSampleShowsWebCodeWithRgbTooltipAndSwatch) {
    Label& l = Sample(658188);
    EXPECT_EQ(l.Caption(), QStringLiteral("#0C0B0A"));
    EXPECT_EQ(l.ToolTipText, QStringLiteral("R12,G11,B10"));
    EXPECT_EQ(ed().Shape1(1).BackColor, RGB(12, 11, 10));
    // Only marker wwww is written: another marker keeps its texts.
    ed().co.Load(2);
    ed().Shape1.Load(2);
    ed().wwww = 2;
    ed().vars.sampledColor = 255;
    ed().getwebrgb(0, 0);
    EXPECT_EQ(l.Caption(), QStringLiteral("#0C0B0A"));
    EXPECT_EQ(ed().co(2).Caption(), QStringLiteral("#FF0000"));
}

TEST_F(ColourCodeCommands, SwitchingFormsSwapsTextsOnlyFromTheOtherForm) {
    Label& l = Sample(RGB(255, 128, 0));
    RightClicked(1);
    ed().towebrgb_Click();  // already the web code: nothing changes
    EXPECT_EQ(l.Caption(), QStringLiteral("#FF8000"));
    ed().torgb_Click();
    EXPECT_EQ(l.Caption(), QStringLiteral("R255,G128,B0"));
    EXPECT_EQ(l.ToolTipText, QStringLiteral("#FF8000"));
    RightClicked(1);
    ed().torgb_Click();  // already the RGB text
    EXPECT_EQ(l.Caption(), QStringLiteral("R255,G128,B0"));
    ed().towebrgb_Click();
    EXPECT_EQ(l.Caption(), QStringLiteral("#FF8000"));
    EXPECT_EQ(l.ToolTipText, QStringLiteral("R255,G128,B0"));
}

TEST_F(ColourCodeCommands, SwitchOnADeletedMarkerDoesNothing) {
    Sample(0);
    RightClicked(1);
    ed().co.Unload(1);
    EXPECT_NO_THROW(ed().torgb_Click());
    EXPECT_FALSE(ed().co.Exists(1));
}

}  // namespace
}  // namespace orv::test
