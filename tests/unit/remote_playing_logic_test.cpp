// Playing a station without a window: address kinds, target splits, page scraping, the pop-up
// page, and which addresses may leave the program.
#include "platform/codec.h"
#include "platform/lines.h"
#include "remote/playing.h"
#include "tests/unit/platform_testing.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

using namespace playing;
using platform::cp949::fromUnicode;
using platformtest::each;

namespace {

QByteArray expectedPopupPage(const QByteArray& homepage) {
    return "<html>\r\n<script language='JavaScript'>\r\n<!--\r\nwindow.open('" + homepage +
           "','Refer',config='height=400,width=500,directories=no,location=no,menubar=no,"
           "status=no,titlebar=no,toolbar=no,scrollbars=yes,resizable=yes')\r\n//-->\r\n"
           "</script>\r\n</html>\r\n";
}

// Marks after white space only at the front; a caret as the second byte still has a stream
// address in front of it, one as the first does not; three fields keep the rest as homepage.
TEST(RemotePlayingLogic, AddressKindsTargetSplitsAndPresets) {
    EXPECT_EQ(each(classify, {"  +http://radio.example.net/on-air \t", " -http://tv.example.net/",
                              "  mms://tv.example.net/live  ", "", "+", "+-x", "x+"}),
              (QList<Address>{{Kind::Page, "http://radio.example.net/on-air"},
                              {Kind::Shell, "http://tv.example.net/"},
                              {Kind::Stream, "mms://tv.example.net/live"},
                              {Kind::Stream, ""},
                              {Kind::Page, ""},
                              {Kind::Page, "-x"},
                              {Kind::Stream, "x+"}}));
    EXPECT_EQ(each(splitTarget, {"", "mms://a/b", "^http://home.example.net/", "a^h", "a^", "^",
                                 "mms://a/b^http://home.example.net/^x"}),
              (QList<TargetSplit>{{"", ""},
                                  {"mms://a/b", ""},
                                  {"^http://home.example.net/", ""},
                                  {"a", "h"},
                                  {"a", ""},
                                  {"^", ""},
                                  {"mms://a/b", "http://home.example.net/^x"}}));
    // The first and last preset buttons, and the ids either side of them.
    ASSERT_NE(presetFor(1001), nullptr);
    EXPECT_STREQ(presetFor(1001)->prefix, "KBS1^");
    ASSERT_NE(presetFor(1019), nullptr);
    EXPECT_STREQ(presetFor(1019)->prefix, "PSB^");
    for (const int none : {1000, 1020, 1003})
        EXPECT_EQ(presetFor(none), nullptr) << none;
}

TEST(RemotePlayingLogic, ScriptTextKeepsOnlyPlainPrintableAscii) {
    EXPECT_EQ(each(jsSingleQuoted,
                   {QStringLiteral(" ~az09:/?=%"), QString(QChar(0x1f)), QString(QChar(0x7f)),
                    QStringLiteral("&'\"\\<>"), QStringLiteral("가"), QString()}),
              (QList<QByteArray>{" ~az09:/?=%", "\\u001f", "\\u007f",
                                 "\\u0026\\u0027\\u0022\\u005c\\u003c\\u003e", "\\uac00", ""}));
}

TEST(RemotePlayingLogic, StreamAddressIsTheFirstLowerCaseMmsUpToAQuote) {
    EXPECT_EQ(each(findStreamAddress, {"mms://a\"", "mms://\"", "\"mms://a", "", "mms:/a\""}),
              (QList<std::optional<QByteArray>>{"mms://a", "mms://", {}, {}, {}}));
    EXPECT_EQ(findStreamAddress("<a href=\"MMS://loud.example.net/x\">"), std::nullopt);
    EXPECT_EQ(findStreamAddress("<p>mms://no-quote.example.net/x</p>"), std::nullopt);
    EXPECT_EQ(
        findStreamAddress("<a href=\"MMS://a/x\"><a href=\"mms://b/y\"><a href=\"mms://c/z\">"),
        QByteArray("mms://b/y"));
    EXPECT_EQ(findStreamAddress("<a href='mms://single/quoted'>\"later"),
              QByteArray("mms://single/quoted'>"));
    // The search runs on CP949 bytes: Korean text in front and inside the address comes
    // through as the player reads it.
    const QString page = QStringLiteral("<html><body>국내 라디오 방송 안내 "
                                        "<a href=\"mms://radio.example.net/라디오\">듣기</a>");
    EXPECT_EQ(scrapeStreamAddress(page), fromUnicode(u"mms://radio.example.net/라디오"));
}

TEST(RemotePlayingLogic, PopupPageIsTheSevenLinesAndCarriesNoScript) {
    EXPECT_EQ(popupPage("http://www.kbs.example.net/"),
              expectedPopupPage("http://www.kbs.example.net/"));
    EXPECT_EQ(popupPage(" https://home.example.net/a?b=1 "),
              expectedPopupPage("https://home.example.net/a?b=1"));
    EXPECT_EQ(popupPage("javascript:alert(1)"), std::nullopt);
    EXPECT_EQ(popupPage("ftp://files.example.net/"), std::nullopt);
    for (const QByteArray& hostile :
         {QByteArray("http://x.example.net/');alert(1);('"),
          QByteArray("http://x.example.net/\\');alert(1)//"),
          QByteArray("http://x.example.net/</script><script>alert(1)</script>"),
          QByteArray("http://x.example.net/\"><script>alert(1)</script>"),
          QByteArray("http://x.example.net/\n-->alert(1)")}) {
        const auto page = popupPage(hostile);
        ASSERT_TRUE(page) << hostile.constData();
        const qsizetype from = page->indexOf("window.open('") + 13;
        const QByteArray inside = page->mid(from, page->indexOf("','Refer'") - from);
        for (const char bad : {'\'', '<', '>', '"', '\n', '\r'})
            EXPECT_FALSE(inside.contains(bad)) << hostile.constData();
        EXPECT_FALSE(inside.endsWith('\\')) << hostile.constData();
        EXPECT_EQ(page->count("\r\n"), 7) << hostile.constData();
    }
}

TEST(RemotePlayingLogic, OnlyWebAddressesAndPlainDocumentsLeaveTheProgram) {
    EXPECT_TRUE(pageUrl("http://radio.example.net/p"));
    EXPECT_TRUE(pageUrl("HTTPS://radio.example.net/p"));
    for (const char* refused :
         {"ftp://radio.example.net/p", "file:///etc/passwd", "javascript:alert(1)",
          "http:///no-host", "radio.example.net/p", "data:text/html,<script>alert(1)</script>"})
        EXPECT_FALSE(pageUrl(refused)) << refused;
    EXPECT_EQ(desktopTarget("http://tv.example.net/a b")->toString(QUrl::FullyEncoded),
              QStringLiteral("http://tv.example.net/a%20b"));
    EXPECT_TRUE(desktopTarget("ftp://files.example.net/list"));
    EXPECT_TRUE(desktopTarget("mailto:someone@example.net"));
    for (const char* refused : {"javascript:alert(1)", "smb://host/share", "mailto:", "/bin/sh",
                                "/nonexistent/file.txt", "/tmp"})
        EXPECT_FALSE(desktopTarget(refused)) << refused;
    // A mail address stays one, whatever follows the colon; an authority makes it no address.
    for (const char* mail : {"mailto:1", "mailto:0", "MAILTO:8080", "mailto:a@b.example.net:25"})
        EXPECT_EQ(desktopTarget(mail), QUrl(QString::fromLatin1(mail))) << mail;
    EXPECT_FALSE(desktopTarget("mailto://host.example.net/x"));
    EXPECT_FALSE(desktopTarget("file://host.example.net/etc/hosts"));
    EXPECT_FALSE(desktopTarget(""));
    EXPECT_FALSE(desktopTarget("  "));
    QTemporaryDir dir;
    auto make = [&](const char* name, const QByteArray& content, bool executable) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(platform::lines::writeFileAtomic(path, content));
        QFile::setPermissions(path, executable
                                        ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                        : QFile::ReadOwner | QFile::WriteOwner);
        return path;
    };
    const QString doc = make("channels.txt", "KBS1^mms://kbs/x", false);
    EXPECT_EQ(desktopTarget(fromUnicode(doc)), QUrl::fromLocalFile(doc));
    EXPECT_EQ(desktopTarget(fromUnicode(QUrl::fromLocalFile(doc).toString())),
              QUrl::fromLocalFile(doc));
    // The same document named with its first folder as a host ("file://tmp/..." reads as
    // "//tmp/..." locally, which is the document): a file address with a host is refused.
    const QByteArray hosted = "file:/" + fromUnicode(doc);
    ASSERT_TRUE(QFileInfo(QUrl(QString::fromLatin1(hosted)).toLocalFile()).isFile())
        << hosted.constData();
    EXPECT_FALSE(desktopTarget(hosted)) << hosted.constData();
    EXPECT_FALSE(desktopTarget(fromUnicode(make("run.txt", "echo hi", true))));
    EXPECT_FALSE(desktopTarget(fromUnicode(
        make("start.desktop", "[Desktop Entry]\nType=Application\nExec=xterm\n", false))));
    EXPECT_FALSE(desktopTarget(fromUnicode(make("setup.sh", "#!/bin/sh\necho hi\n", false))));
}

} // namespace
