// WCAG 2.x contrast ratios, their levels and the note text.

#include <gtest/gtest.h>

#include "annotations/ContrastRatio.h"

namespace orv {
namespace {

const Colour kWhite = RGB(255, 255, 255);
const Colour kBlack = RGB(0, 0, 0);

TEST(ContrastRatio, KnownPairsReadAsTheirLevel) {
    EXPECT_NEAR(ContrastRatio(kBlack, kWhite), 21.0, 1e-9);
    EXPECT_EQ(ContrastText(kBlack, kWhite), QStringLiteral("#000000 on #FFFFFF — 21.0:1 — AAA"));

    EXPECT_NEAR(ContrastRatio(RGB(0x76, 0x76, 0x76), kWhite), 4.54, 0.005);
    EXPECT_EQ(ContrastText(RGB(0x76, 0x76, 0x76), kWhite),
              QStringLiteral("#767676 on #FFFFFF — 4.5:1 — AA"));

    // 4.48 rounds to 4.5 on the note, but falls short of AA.
    EXPECT_NEAR(ContrastRatio(RGB(0x77, 0x77, 0x77), kWhite), 4.48, 0.005);
    EXPECT_EQ(ContrastText(RGB(0x77, 0x77, 0x77), kWhite),
              QStringLiteral("#777777 on #FFFFFF — 4.5:1 — AA large"));

    EXPECT_NEAR(ContrastRatio(kWhite, RGB(255, 255, 0)), 1.07, 0.005);
    EXPECT_EQ(ContrastText(kWhite, RGB(255, 255, 0)),
              QStringLiteral("#FFFFFF on #FFFF00 — 1.1:1 — fails"));

    EXPECT_EQ(ContrastText(RGB(0x6C, 0x5C, 0xE7), kWhite),
              QStringLiteral("#6C5CE7 on #FFFFFF — 4.9:1 — AA"));
}

TEST(ContrastRatio, OrderOfColoursChangesTheTextNotTheRatio) {
    const Colour a = RGB(0x12, 0xAB, 0x3C), b = RGB(0xF0, 0xE0, 0x0D);
    EXPECT_DOUBLE_EQ(ContrastRatio(a, b), ContrastRatio(b, a));
    EXPECT_DOUBLE_EQ(ContrastRatio(a, a), 1.0);
    EXPECT_TRUE(ContrastText(a, b).startsWith(QStringLiteral("#12AB3C on #F0E00D")));
    EXPECT_TRUE(ContrastText(b, a).startsWith(QStringLiteral("#F0E00D on #12AB3C")));
    // The linear part of the sRGB curve, below 0.03928: 10 / 255 / 12.92.
    EXPECT_NEAR(RelativeLuminance(RGB(10, 0, 0)), 0.2126 * 10 / 255.0 / 12.92, 1e-12);
    EXPECT_NEAR(RelativeLuminance(RGB(0, 255, 0)), 0.7152, 1e-12);
}

TEST(ContrastRatio, LevelsAreDecidedOnTheExactRatio) {
    EXPECT_EQ(ContrastLevel(7.0), "AAA");
    EXPECT_EQ(ContrastLevel(6.999), "AA");
    EXPECT_EQ(ContrastLevel(4.5), "AA");
    EXPECT_EQ(ContrastLevel(4.4999), "AA large");
    EXPECT_EQ(ContrastLevel(3.0), "AA large");
    EXPECT_EQ(ContrastLevel(2.9999), "fails");
    EXPECT_EQ(ContrastLevel(1.0), "fails");
}

}  // namespace
}  // namespace orv
