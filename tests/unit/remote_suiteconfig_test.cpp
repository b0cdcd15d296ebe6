// config.txt without a window: short and long files, the numbers as the C library reads them,
// and the line indices at both ends.
#include "platform/lines.h"
#include "remote/suiteconfig.h"

#include <QFile>
#include <QTemporaryDir>
#include <climits>
#include <gtest/gtest.h>

namespace {

SuiteConfig withLine(const QByteArray& text) {
    SuiteConfig c;
    c.setLine(SuiteConfig::WallpaperStyle, text);
    return c;
}

int numberOf(const QByteArray& text) {
    return withLine(text).number(SuiteConfig::WallpaperStyle);
}

// The first and last digits inside a number, not only alone; white space is space and \t to
// \r, the bytes either side of that range (\010, \016) are not; saturated at both ends of int.
TEST(SuiteConfig, NumbersReadAsTheCLibraryDoes) {
    struct N {
        const char* text;
        int value;
    };
    // clang-format off
    const N cases[] = {
        {"", 0}, {"0", 0}, {"9", 9}, {"1090", 1090}, {"909", 909}, {"-3", -3}, {"+3", 3},
        {"12ab", 12}, {"\t\n\v\f\r 5", 5}, {"\0105", 0}, {"\0165", 0}, {"/5", 0}, {"5:", 5},
        {"- 5", 0}, {"2147483647", INT_MAX}, {"2147483648", INT_MAX}, {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN}, {"-2147483647", -INT_MAX}, {"99999999999999999999999", INT_MAX}};
    // clang-format on
    for (const auto& [text, value] : cases)
        EXPECT_EQ(numberOf(text), value) << QByteArray(text).toHex().toStdString();
}

TEST(SuiteConfig, LineIndicesAtBothEnds) {
    SuiteConfig c;
    c.setLine(SuiteConfig::CaptureFolder, "first");
    c.setLine(SuiteConfig::AlwaysOnTop, "1");
    c.setLine(-1, "before");
    c.setLine(SuiteConfig::kLineCount, "after");
    EXPECT_EQ(c.line(0), "first");
    EXPECT_EQ(c.line(3), "1");
    EXPECT_EQ(c.line(-1), QByteArray());
    EXPECT_EQ(c.line(4), QByteArray());
    EXPECT_EQ(c.number(4), 0);
    EXPECT_TRUE(c.alwaysOnTop());
    c.setLine(SuiteConfig::AlwaysOnTop, "1 ");
    EXPECT_FALSE(c.alwaysOnTop());
}

TEST(SuiteConfig, ShortExactAndLongFiles) {
    QTemporaryDir dir;
    const QString file = dir.filePath("config.txt");
    EXPECT_EQ(SuiteConfig::read(file).linesRead(), 0);
    ASSERT_TRUE(platform::lines::writeFileAtomic(file, "/cap\r\n2"));
    SuiteConfig shortFile = SuiteConfig::read(file);
    EXPECT_EQ(shortFile.linesRead(), 2);
    EXPECT_EQ(shortFile.number(SuiteConfig::WallpaperStyle), 2);
    EXPECT_EQ(shortFile.line(SuiteConfig::ScreenMode), QByteArray());
    ASSERT_TRUE(platform::lines::writeFileAtomic(file, "a\r\nb\r\nc\r\nd\r\ne\r\nf"));
    SuiteConfig longFile = SuiteConfig::read(file);
    EXPECT_EQ(longFile.linesRead(), 6);
    EXPECT_EQ(longFile.line(3), "d");
    EXPECT_EQ(longFile.line(4), QByteArray());
    // Written back: exactly four lines, no line end after the last.
    ASSERT_TRUE(longFile.write(file));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("a\r\nb\r\nc\r\nd"));
    EXPECT_FALSE(longFile.write(dir.path()));
}

} // namespace
