// Languages: the translation is chosen from the locale; the C locale keeps
// the source texts; every menu caption has its Chinese text; the fonts on
// the system have every character of the translations (no empty boxes).
#include <gtest/gtest.h>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QRegularExpression>

#include "app/Languages.h"
#include "editor/Form1.h"
#include "platform/qt/Translate.h"
#include "shell/Form2.h"

namespace orv::test {
namespace {

class LanguagesTest : public ::testing::Test {
  protected:
    void TearDown() override { UseLanguage(QLocale::c()); }
    static void Collect(const std::vector<MenuItem>& items, QStringList& out) {
        for (const MenuItem& i : items) {
            out << i.Caption;
            Collect(i.Items, out);
        }
    }
    static QStringList MenuCaptions() {
        QStringList out;
        for (const Menu* m : {&Form2::mainopen(), &Form2::cd(), &Form2::cdd(), &Form2::cddd(),
                              &Form1::boxmenu(), &Form1::redactmenu()})
            Collect(m->Items, out);
        out << Form2::TrayMenu().Items[Form2::TrayMenu().Items.size() - 2].Caption;
        return out;
    }
};

// Every language but Chinese reads the Chinese tooltips in English, and the program's own
// English texts exactly as they are written.
TEST_F(LanguagesTest, EveryLanguageButChineseReadsTheChineseTooltipsInEnglish) {
    for (const char* name : {"en_US", "en_GB", "de_DE", "fr_FR", "ja_JP"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(UseLanguage(QLocale(QString::fromLatin1(name))));
        EXPECT_EQ(Tr(QStringLiteral("左键移动位置右键删除")),
                  QStringLiteral("Drag with the left button to move, right-click to delete"));
        EXPECT_EQ(Tr(QStringLiteral("点击右键删除")), QStringLiteral("Right-click to delete"));
        EXPECT_EQ(Tr(QStringLiteral("保存")), QStringLiteral("Save"));
        // Texts without a translation, such as measured values, pass unchanged.
        EXPECT_EQ(Tr(QStringLiteral("126px")), QStringLiteral("126px"));
        for (const QString& caption : MenuCaptions()) EXPECT_EQ(Tr(caption), caption);
        for (const char* text :
             {"Left-click to display the window", "no picture in clipboard", "Drag", "Web color",
              "RGB color", "Change Background color", "Measure Box", "Redact"})
            EXPECT_EQ(Tr(QString::fromUtf8(text)), QString::fromUtf8(text));
    }
}

// The note menu's two background commands run different commands: no translation gives them
// one caption.
TEST_F(LanguagesTest, TheTwoNoteBackgroundCommandsReadDifferentlyInEveryLanguage) {
    for (const char* name : {"C", "en_US", "de_DE", "zh_CN"}) {
        SCOPED_TRACE(name);
        UseLanguage(QLocale(QString::fromLatin1(name)));
        const QString opaque = Tr(QStringLiteral("Change background color"));
        const QString box = Tr(QStringLiteral("Change Background color"));
        EXPECT_NE(opaque, box);
    }
}

TEST_F(LanguagesTest, SimplifiedChineseTranslatesEveryMenuCaption) {
    ASSERT_TRUE(UseLanguage(QLocale(QStringLiteral("zh_CN"))));
    EXPECT_EQ(Tr(QStringLiteral("Exit")), QStringLiteral("退出"));
    EXPECT_EQ(Tr(QStringLiteral("Open Form Screen")), QStringLiteral("测量屏幕"));
    EXPECT_EQ(Tr(QStringLiteral("Measure Box")), QStringLiteral("测量方框"));
    EXPECT_EQ(Tr(QStringLiteral("Redact")), QStringLiteral("遮盖"));
    // The tooltips already in Chinese stay as they are.
    EXPECT_EQ(Tr(QStringLiteral("保存")), QStringLiteral("保存"));
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]{2,}"));
    for (const QString& caption : MenuCaptions()) {
        const QString shown = Tr(caption);
        EXPECT_NE(shown, caption) << caption.toStdString();
        EXPECT_FALSE(shown.contains(latin) && !shown.startsWith(QStringLiteral("RGB")))
            << caption.toStdString() << " -> " << shown.toStdString();
    }
}

TEST_F(LanguagesTest, CLocaleKeepsTheSourceTexts) {
    ASSERT_TRUE(UseLanguage(QLocale(QStringLiteral("zh_CN"))));
    // Switching back removes the earlier translation.
    EXPECT_FALSE(UseLanguage(QLocale::c()));
    for (const QString& caption : MenuCaptions()) EXPECT_EQ(Tr(caption), caption);
    EXPECT_EQ(Tr(QStringLiteral("左键移动位置右键删除")), QStringLiteral("左键移动位置右键删除"));
}

TEST_F(LanguagesTest, SystemFontsHaveEveryCharacterOfTheTexts) {
    // The Chinese of the source tooltips and of the whole Chinese translation.
    QString text = QStringLiteral("左键移动位置右键删除点击右键删除保存");
    ASSERT_TRUE(UseLanguage(QLocale(QStringLiteral("zh_CN"))));
    for (const QString& caption : MenuCaptions()) text += Tr(caption);
    for (const char* source : {"Left-click to display the window", "Menu", "Mark Length",
                               "Mark Color", "Mark Text", "Drag", "no picture in clipboard",
                               "The screen copy was refused.", "Measure Box", "Redact"})
        text += Tr(QString::fromUtf8(source));
    ASSERT_GT(text.size(), 100);
    // Qt falls back character by character to a font that has it: some
    // installed font must have them all.
    QStringList covering;
    for (const QString& family : QFontDatabase::families(QFontDatabase::SimplifiedChinese)) {
        const QFontMetrics fm{QFont(family, 9)};
        bool all = true;
        for (QChar c : text) all = all && (c.unicode() < 0x2E80 || fm.inFont(c));
        if (all) covering << family;
    }
    EXPECT_FALSE(covering.isEmpty()) << "no installed font has every character";
}

}  // namespace
}  // namespace orv::test
