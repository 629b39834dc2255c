// File names as bytes: what is UTF-8 decodes as Qt decodes it, every other byte is kept as an
// escape of its own, and the text turns back into exactly the bytes it came from. The shown
// form holds no lone surrogate; the file classes find a name that is not UTF-8 by its bytes.
#include "platform/PathBytes.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <random>
#include <utility>

#include "ByteNamedFiles.h"
#include "platform/RegularFile.h"

namespace orv::test {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += char(v);
    return s;
}

QByteArray Q(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

// The surrogates in `text` that are not half of a pair: the escapes, and any other.
std::pair<int, int> LoneSurrogates(const QString& text) {
    int escapes = 0, others = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            ++(IsEscapedByte(c.unicode()) ? escapes : others);
    }
    return {escapes, others};
}

TEST(PathBytes, EveryByteThatIsNotUtf8IsItsOwnEscapeAndComesBackExactly) {
    for (int b = 0x80; b <= 0xFF; ++b) {
        const std::string alone = Bytes({b});
        const QString text = PathFromBytes(Q(alone));
        ASSERT_EQ(text.size(), 1) << b;
        EXPECT_EQ(text[0].unicode(), 0xDC00 + b) << b;
        EXPECT_EQ(BytesOfPath(text), Q(alone)) << b;
        // Between ASCII and after a valid character, the stray byte stays one escape and its
        // neighbours decode as they would alone.
        const std::string framed = "a" + alone + "\xc3\xa9" + alone + "/z";
        const QString framedText = PathFromBytes(Q(framed));
        EXPECT_EQ(framedText, QStringLiteral("a") + QChar(0xDC00 + b) + QChar(0xE9) +
                                  QChar(0xDC00 + b) + QStringLiteral("/z"))
            << b;
        EXPECT_EQ(BytesOfPath(framedText), Q(framed)) << b;
    }
    // All of them in a row, and each pair of them: a lead byte followed by a continuation
    // byte is decoded only where the two make a valid character.
    std::string run;
    for (int b = 0x80; b <= 0xFF; ++b) run += char(b);
    EXPECT_EQ(BytesOfPath(PathFromBytes(Q(run))), Q(run));
    for (int a = 0x80; a <= 0xFF; ++a) {
        for (int b = 0x80; b <= 0xFF; ++b) {
            const std::string pair = Bytes({a, b});
            const QString text = PathFromBytes(Q(pair));
            ASSERT_EQ(BytesOfPath(text), Q(pair)) << a << " " << b;
            const bool valid = a >= 0xC2 && a <= 0xDF && b <= 0xBF;
            EXPECT_EQ(text.size(), valid ? 1 : 2) << a << " " << b;
            if (valid) {
                EXPECT_EQ(text, QString::fromUtf8(Q(pair)));
            }
        }
    }
}

TEST(PathBytes, ValidUtf8DecodesAsQtDecodesItAndEverythingElseIsEscapedByteByByte) {
    for (const std::string& valid :
         {std::string("plain name.png"), std::string("caf\xc3\xa9 \xe5\x9b\xbe.png"),
          std::string("\xf0\x9f\x96\xbc\xef\xb8\x8f"), std::string("\xf4\x8f\xbf\xbf"),
          std::string("\xef\xbf\xbd\xef\xbf\xbe\xe0\xa0\x80\xed\x9f\xbf\xee\x80\x80")}) {
        const QString text = PathFromBytes(Q(valid));
        EXPECT_EQ(text, QFile::decodeName(Q(valid))) << valid;
        EXPECT_EQ(BytesOfPath(text), Q(valid)) << valid;
        EXPECT_EQ(ShownPath(text), text) << valid;
    }
    // Overlong forms, encoded surrogates, code points past U+10FFFF, a lead byte cut short
    // and a continuation byte without a lead are not UTF-8: each of their bytes is escaped.
    for (const std::string& invalid :
         {Bytes({0xC0, 0x80}), Bytes({0xC1, 0xBF}), Bytes({0xE0, 0x80, 0x80}),
          Bytes({0xF0, 0x80, 0x80, 0x80}), Bytes({0xED, 0xA0, 0x80}), Bytes({0xED, 0xBF, 0xBF}),
          Bytes({0xF4, 0x90, 0x80, 0x80}), Bytes({0xF5, 0x80, 0x80, 0x80}), Bytes({0xE2, 0x82}),
          Bytes({0xF0, 0x9F, 0x96}), Bytes({0xBF})}) {
        const QString text = PathFromBytes(Q(invalid));
        ASSERT_EQ(std::size_t(text.size()), invalid.size());
        for (std::size_t i = 0; i < invalid.size(); ++i)
            EXPECT_EQ(text[qsizetype(i)].unicode(), 0xDC00 + std::uint8_t(invalid[i]));
        EXPECT_EQ(BytesOfPath(text), Q(invalid));
    }
    // A cut sequence does not swallow the valid character after it.
    EXPECT_EQ(PathFromBytes("\xe2\x82"
                            "a\xc3\xa9"),
              QString(QChar(0xDCE2)) + QChar(0xDC82) + QStringLiteral("a\u00e9"));
}

TEST(PathBytes, RandomNamesComeBackByteForByte) {
    std::mt19937 random(26);
    for (int n = 0; n < 20000; ++n) {
        const std::string name = RandomByteName(random, n, 40);
        const QString text = PathFromBytes(Q(name));
        ASSERT_EQ(BytesOfPath(text), Q(name)) << n;
        ASSERT_EQ(LoneSurrogates(text).second, 0) << n;
        ASSERT_EQ(StdBytesOfPath(text), name) << n;
        // What shows holds no lone surrogate, and is valid text where the name was.
        const QString shown = ShownPath(text);
        ASSERT_EQ(shown.size(), text.size());
        ASSERT_EQ(LoneSurrogates(shown), std::make_pair(0, 0)) << n;
        ASSERT_EQ(shown.count(QChar(0xFFFD)) - text.count(QChar(0xFFFD)),
                  LoneSurrogates(text).first)
            << n;
    }
}

TEST(PathBytes, ShownFormsAndTextFromElsewhere) {
    const QString escaped = PathFromBytes("caf\xe9.png");
    EXPECT_EQ(ShownPath(escaped), QStringLiteral("caf\ufffd.png"));
    // A character beyond U+FFFF keeps its pair.
    EXPECT_EQ(ShownPath(QStringLiteral("\U0001F5BC")), QStringLiteral("\U0001F5BC"));
    // A lone surrogate that is no escape of ours is written as Qt writes it: U+FFFD.
    const QString foreign = QString(QChar(0xD800)) + QStringLiteral("x") + QChar(0xDC10);
    EXPECT_EQ(BytesOfPath(foreign), QByteArray("\xef\xbf\xbdx\xef\xbf\xbd"));
    EXPECT_EQ(ShownPath(foreign), QStringLiteral("\ufffdx\ufffd"));
    EXPECT_EQ(PathFromBytes(""), QString());
}

TEST(PathBytes, AFileWhoseNameIsNotUtf8IsFoundAndReadByItsBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray raw = folder + "/caf\xe9 \xff.png";
    const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "12345", 5), 5);
    ::close(fd);
    const QString name = PathFromBytes(raw);
    // Qt's own decoding cannot name it; the bytes can.
    EXPECT_FALSE(QFile::exists(QFile::decodeName(raw)));
    const PathFacts facts = FactsOfPath(name);
    EXPECT_TRUE(facts.exists && facts.regular);
    EXPECT_EQ(facts.size, 5);
    EXPECT_GT(facts.modifiedMs, 0);
    QByteArray bytes;
    EXPECT_EQ(ReadRegularFile(name, 100, bytes), ReadFault::None);
    EXPECT_EQ(bytes, "12345");
    EXPECT_EQ(ProgramPath(), QCoreApplication::applicationFilePath());
    EXPECT_FALSE(FactsOfPath(PathFromBytes(folder)).regular);
    EXPECT_TRUE(FactsOfPath(PathFromBytes(folder)).exists);
    // A NUL would cut the name down to another file's: nothing of that name exists.
    const QString cut = PathFromBytes(raw) + QChar(0) + QStringLiteral("more");
    EXPECT_FALSE(FactsOfPath(cut).exists);
    EXPECT_EQ(ReadRegularFile(cut, 100, bytes), ReadFault::Missing);

    RemoveFilesByBytes(dir.path());
}

}  // namespace
}  // namespace orv::test
