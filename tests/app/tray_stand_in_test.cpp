// The window that stands in for the tray icon follows the notification area
// all along: it shows while there is none, at start or after a panel went,
// and goes (with the icon made again) each time one comes back.

#include <gtest/gtest.h>

#include <QToolButton>

#include "app/TrayStandIn.h"

namespace orv::test {
namespace {

struct Area {
    bool available = false;
    int appeared = 0;
    int menus = 0;
};

std::unique_ptr<TrayStandIn> StandInFor(Area& area) {
    return std::make_unique<TrayStandIn>([&area] { ++area.menus; }, [&area] { ++area.appeared; },
                                         [&area] { return area.available; });
}

TEST(TrayStandIn, ShowsWhileNoNotificationAreaIsThereEachTimeOneGoes) {
    Area area;
    auto standIn = StandInFor(area);
    EXPECT_TRUE(standIn->isVisible()) << "no notification area at start";
    EXPECT_TRUE(standIn->StandingIn());

    // The menu button opens the tray menu.
    standIn->MenuButton()->click();
    EXPECT_EQ(area.menus, 1);

    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        area.available = true;
        standIn->CheckTray();
        EXPECT_FALSE(standIn->isVisible()) << "the notification area came";
        EXPECT_EQ(area.appeared, round) << "the icon is made again once";
        standIn->CheckTray();
        EXPECT_EQ(area.appeared, round) << "an area that stays is no new one";

        area.available = false;  // the panel ended
        standIn->CheckTray();
        EXPECT_TRUE(standIn->isVisible()) << "the notification area went";
        EXPECT_TRUE(standIn->StandingIn());
        standIn->CheckTray();
        EXPECT_EQ(area.appeared, round);
    }
}

TEST(TrayStandIn, StaysHiddenWhileTheNotificationAreaIsThere) {
    Area area;
    area.available = true;
    auto standIn = StandInFor(area);
    EXPECT_FALSE(standIn->isVisible());
    EXPECT_FALSE(standIn->StandingIn());
    standIn->CheckTray();
    EXPECT_FALSE(standIn->isVisible());
    EXPECT_EQ(area.appeared, 0) << "the icon made at start is kept";
}

}  // namespace
}  // namespace orv::test
