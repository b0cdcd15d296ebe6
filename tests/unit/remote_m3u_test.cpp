// M3U lists: what other programs write is read into the remote's channels, and what the remote
// writes reads back the same.
#include "platform/codec.h"
#include "remote/m3u.h"

#include <gtest/gtest.h>

using m3u::Entry;

namespace {

QByteArray cp(const char* utf8) {
    return platform::cp949::fromUnicode(QString::fromUtf8(utf8));
}

const QString kFolder = QStringLiteral("/home/kim/목록");

} // namespace

TEST(M3u, ReadsTitlesLocationsAndResolvesRelativePaths) {
    const QByteArray list =
        "#EXTM3U\n"
        "#EXTINF:-1 tvg-id=\"kbs1\" tvg-name=\"KBS 1, 서울\" group-title=\"뉴스\","
        "KBS 1TV 뉴스\n"
        "http://tv.example.net/kbs1.m3u8\n"
        "# a comment, and a directive the remote does not use\n"
        "#EXTVLCOPT:network-caching=1000\n"
        "\n"
        "#extinf:123,  음악 파일  \n"
        "노래/봄날.mp3\n"
        "#EXTINF:-1,윈도우 경로\n"
        "..\\영상\\시험.mp4\n"
        "/srv/media/절대.ogg\n"
        "#EXTINF:5,끝에 남은 제목\n";
    const QList<Entry> expected = {
        {"KBS 1TV 뉴스", "http://tv.example.net/kbs1.m3u8", "kbs1"},
        {"음악 파일", "/home/kim/목록/노래/봄날.mp3"},
        {"윈도우 경로", "/home/kim/영상/시험.mp4"},
        {"절대.ogg", "/srv/media/절대.ogg"}, // no #EXTINF: the file name stands for the title
    };
    EXPECT_EQ(m3u::parse(list, kFolder), expected);
    // Plain M3U: only locations; an address keeps its whole form as its name.
    EXPECT_EQ(m3u::parse("mms://radio.example.net/live\r\n", kFolder),
              (QList<Entry>{{"mms://radio.example.net/live", "mms://radio.example.net/live"}}));
    EXPECT_TRUE(m3u::parse("", kFolder).isEmpty());
    EXPECT_TRUE(m3u::parse("#EXTM3U\n#EXTINF:-1,제목만\n", kFolder).isEmpty());
}

TEST(M3u, LineEndsByteOrderMarkAndCodePagesReadAlike) {
    const QList<Entry> expected = {{"한국어 방송", "http://a.example.net/x"}, {"둘째", "/l/b.mp3"}};
    const QString text = QStringLiteral("#EXTM3U\n#EXTINF:-1,한국어 방송\nhttp://a.example.net/x\n"
                                        "#EXTINF:-1,둘째\nb.mp3");
    QByteArray lf = text.toUtf8();
    QByteArray crlf = text.toUtf8().replace("\n", "\r\n");
    QByteArray cr = text.toUtf8().replace("\n", "\r");
    for (const QByteArray& bytes : {lf, crlf, cr, QByteArray("\xEF\xBB\xBF") + crlf + "\r\n",
                                    platform::cp949::fromUnicode(text)}) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        EXPECT_EQ(m3u::parse(bytes, QStringLiteral("/l")), expected);
    }
}

TEST(M3u, WrittenListsReadBackTheSame) {
    const QList<Entry> entries = {
        {"성시경의 봄 라디오", "mms://radio.example.net/sung"},
        {"뉴스, 경제 \"특집\"", "http://news.example.net/a?b=c"}, // comma and quotes in a title
        {"데모", "/home/kim/.local/share/Brontavia/demo.mp4"},
        {"웹 페이지", "+http://page.example.net/"},
    };
    const QByteArray written = m3u::build(entries);
    EXPECT_TRUE(written.startsWith("#EXTM3U\n#EXTINF:-1,성시경의 봄 라디오\nmms://radio"));
    EXPECT_TRUE(QString::fromUtf8(written).toUtf8() == written); // UTF-8 throughout
    EXPECT_EQ(m3u::parse(written, QStringLiteral("/elsewhere")), entries);
    // Paths whose cleaning changes their ends, and a ':' that is no resource prefix here.
    const QList<Entry> odd = m3u::parse("노래 \t/.\n:/../c.mp3\n/섲//\t/\n", kFolder);
    EXPECT_EQ(odd, (QList<Entry>{{"노래", "/home/kim/목록/노래"},
                                 {"c.mp3", "/home/kim/목록/c.mp3"},
                                 {"섲", "/섲"}}));
    EXPECT_EQ(m3u::parse(m3u::build(odd), QStringLiteral("/")), odd);
    // A line break in a name cannot start a stray entry.
    const QByteArray broken = m3u::build({{"둘\r\n째", "/a.mp3"}});
    EXPECT_EQ(m3u::parse(broken, QStringLiteral("/")),
              (QList<Entry>{{QStringLiteral("둘  째"), "/a.mp3"}}));
}

TEST(M3u, ChannelLinesBothWays) {
    // Into the remote: CP949 "name^target"; a '^' would split the line elsewhere.
    EXPECT_EQ(
        m3u::toChannelLines({{"봄^여름", "http://x.example.net/a^b"}, {"파일", "/m/a^b.mp3"}}),
        (QList<QByteArray>{cp("봄 여름^http://x.example.net/a%5Eb"), cp("파일^/m/a^b.mp3")}));
    // Out of the favourites: the stream address without the homepage; nothing for empty lines
    // or a line without a target.
    const QList<QByteArray> favourites = {
        cp("KBS 봄 특집^mms://kbs.example.net/h^http://kbs/"), QByteArray(), cp("이름만^"),
        cp(" 라디오 ^ +http://page.example.net/ "), "mms://no-name.example.net/"};
    EXPECT_EQ(m3u::fromChannelLines(favourites),
              (QList<Entry>{{"KBS 봄 특집", "mms://kbs.example.net/h"},
                            {"라디오", "+http://page.example.net/"},
                            {"", "mms://no-name.example.net/"}}));
    for (const char* list : {"/a/b.M3U8", "b.m3u", ".m3u"})
        EXPECT_TRUE(m3u::isListName(QString::fromLatin1(list))) << list;
    for (const char* other : {"b.m3u.zt", "a.m3", "a.m3u8x"})
        EXPECT_FALSE(m3u::isListName(QString::fromLatin1(other))) << other;
}

TEST(M3u, TitlesLocationsAndNamesAtTheirEdges) {
    // A comma only inside quotes gives no title; the first comma outside them does.
    EXPECT_EQ(m3u::parse("#EXTINF:-1 a=\"x,y\"\nhttp://h.example/a", kFolder),
              (QList<Entry>{{"http://h.example/a", "http://h.example/a"}}));
    EXPECT_EQ(m3u::parse("#EXTINF:-1 a=\"x,y\",T,U\nhttp://h.example/a", kFolder),
              (QList<Entry>{{"T,U", "http://h.example/a"}}));
    // A title belongs to the next location only; comments between them do not break it.
    EXPECT_EQ(m3u::parse("#EXTINF:1,A\n#c\n/a.mp3\n/b.mp3\n", QStringLiteral("/")),
              (QList<Entry>{{"A", "/a.mp3"}, {"b.mp3", "/b.mp3"}}));
    // Suite kinds and schemes keep their whole form; a scheme starts with a letter.
    EXPECT_EQ(m3u::parse("-/doc.txt\n+http://p.example/\nz9+.-://x\n", QStringLiteral("/f")),
              (QList<Entry>{{"-/doc.txt", "-/doc.txt"},
                            {"+http://p.example/", "+http://p.example/"},
                            {"z9+.-://x", "z9+.-://x"}}));
    EXPECT_EQ(m3u::parse("9a://x\n", QStringLiteral("/f")), (QList<Entry>{{"x", "/f/9a:/x"}}));
    // A byte order mark alone, a first line without one.
    EXPECT_TRUE(m3u::parse("\xEF\xBB\xBF", kFolder).isEmpty());
    EXPECT_EQ(m3u::parse("\xEF\xBB/a.mp3", QStringLiteral("/")).size(), 1);
    // An empty list written.
    EXPECT_EQ(m3u::build({}), QByteArray("#EXTM3U\n"));
    EXPECT_TRUE(m3u::toChannelLines({}).isEmpty());
    EXPECT_EQ(m3u::fromChannelLines({"^x", "n^", "a^^b"}),
              (QList<Entry>{{"", "x"}})); // no location, or only a homepage: no entry
}
