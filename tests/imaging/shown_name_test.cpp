// File names as the failure box shows them: a name of any length is laid out in a moment
// (shortened to its start and end), and nothing in it can break the box's lines.
#include "imaging/OpenFailure.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(ShownName, LongNamesAreShortenedToTheirEndsAndControlCharactersReplaced) {
    EXPECT_EQ(ShownName(QStringLiteral("plan.png")), QStringLiteral("plan.png"));
    const QString huge =
        QStringLiteral("start-") + QString(8 << 20, QLatin1Char('m')) + QStringLiteral("-end.png");
    const QString shown = ShownName(huge);
    EXPECT_LE(shown.size(), 121);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("start-")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("-end.png")));
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    const QString broken = ShownName(QStringLiteral("a\nb\rc\td") + QChar(0) + "e.png");
    for (QChar c : broken) EXPECT_NE(c.category(), QChar::Other_Control);
    EXPECT_EQ(broken.size(), 13);  // replaced one for one
}

}  // namespace
}  // namespace orv
