// The tray menu handed to the tray icon for notification-area hosts that draw
// it themselves: the items in order with their names, check marks kept up to
// date, and a host's choice run only after its call is answered.

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

#include "platform/qt/TrayMenu.h"

namespace orv::test {
namespace {

Menu TrayLike(bool loginChecked) {
    Menu m{QStringLiteral("mainopen"),
           {{"wjta", "Open From file", {}},
            {"abo", "About", {{"bm", "About", {}}, {"cvs", "Check Version", {}}}},
            {"autostart", "Start at login", {}},
            {"tuichu", "Exit", {}}}};
    m.Items[2].Checkable = true;
    m.Items[2].Checked = loginChecked;
    return m;
}

QAction* Named(QMenu& menu, const QString& name) {
    for (QAction* a : menu.actions()) {
        if (a->data().toString() == name) return a;
        if (a->menu())
            if (QAction* inner = Named(*a->menu(), name)) return inner;
    }
    return nullptr;
}

TEST(ExportedTrayMenu, ListsTheItemsInOrderWithTheirCheckMarkAndSubmenu) {
    bool login = true;
    ExportedTrayMenu exported([&] { return TrayLike(login); }, [](const QString&) {});
    QMenu& menu = exported.Widget();
    EXPECT_EQ(menu.objectName(), QStringLiteral("mainopen"));
    QStringList captions;
    for (QAction* a : menu.actions()) captions << a->text();
    EXPECT_EQ(captions, (QStringList{"Open From file", "About", "Start at login", "Exit"}));
    QAction* about = menu.actions().value(1);
    ASSERT_TRUE(about && about->menu());
    EXPECT_EQ(about->menu()->objectName(), QStringLiteral("abo"));
    EXPECT_EQ(about->menu()->actions().size(), 2);
    QAction* autostart = Named(menu, QStringLiteral("autostart"));
    ASSERT_TRUE(autostart);
    EXPECT_TRUE(autostart->isCheckable());
    EXPECT_TRUE(autostart->isChecked());
    EXPECT_FALSE(Named(menu, QStringLiteral("tuichu"))->isCheckable());

    // Changed elsewhere (the entry removed by hand): right when a host shows the menu again.
    login = false;
    emit menu.aboutToShow();
    EXPECT_FALSE(autostart->isChecked());
}

TEST(ExportedTrayMenu, AChoiceRunsAfterTheHostsCallAndTheCheckMarkFollows) {
    bool login = false;
    bool writable = false;
    QStringList chosen;
    ExportedTrayMenu exported([&] { return TrayLike(login); },
                              [&](const QString& item) {
                                  chosen << item;
                                  if (item == QLatin1String("autostart") && writable)
                                      login = !login;
                              });
    QAction* autostart = Named(exported.Widget(), QStringLiteral("autostart"));
    ASSERT_TRUE(autostart);
    // The entry cannot be written: the mark the click toggled goes back.
    autostart->trigger();
    EXPECT_TRUE(chosen.isEmpty()) << "ran inside the host's call";
    QCoreApplication::processEvents();
    EXPECT_EQ(chosen, QStringList{QStringLiteral("autostart")});
    EXPECT_FALSE(autostart->isChecked()) << "a mark for an entry that was not written";
    writable = true;
    autostart->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(autostart->isChecked());

    // An item of a submenu reaches the program as well.
    Named(exported.Widget(), QStringLiteral("cvs"))->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(chosen, (QStringList{QStringLiteral("autostart"), QStringLiteral("autostart"),
                                   QStringLiteral("cvs")}));
}

TEST(ExportedTrayMenu, AnItemThatTakesTheMenuAwayEndsCleanly) {
    // "Exit" when the exit is cancelled elsewhere, or any item that takes the tray icon
    // and its menu away while it runs.
    std::unique_ptr<ExportedTrayMenu> exported;
    int runs = 0;
    exported = std::make_unique<ExportedTrayMenu>([] { return TrayLike(true); },
                                                  [&](const QString&) {
                                                      ++runs;
                                                      exported.reset();
                                                  });
    Named(exported->Widget(), QStringLiteral("tuichu"))->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(exported, nullptr);
}

}  // namespace
}  // namespace orv::test
