// Channel files: the scrambled format, reading back what the writer made, and the save and open
// commands with their dialogs, messages and remembered path.
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/lines.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "remote/catalogue.h"
#include "remote/remoteids.h"
#include "remote/ztfile.h"
#include "skin/tabsheet.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

QByteArray cp(const char* utf8) {
    return platform::cp949::fromUnicode(QString::fromUtf8(utf8));
}

// Favourites whose CP949 bytes scramble into line-break bytes: 성 ends in 0xBA, 시 and 스 start
// with 0xBD (so 성시 holds 0xBA 0xBD across two characters), 봄 is the character 0xBA 0xBD.
QList<QByteArray> awkwardFavourites() {
    return {cp("성시경 라디오^mms://radio.example.net/sung"),
            cp("봄날TV^mms://tv.example.net/spring"),
            cp("스포츠 뉴스^mms://news.example.net/sports"),
            cp("KBS 봄 특집^mms://kbs.example.net/h_1tv^http://kbs.example.net/"),
            cp("꽃봄^http://flower.example.net/성시^http://flower.example.net/"),
            cp("KBS1^mms://kbs.example.net/H_1TV")};
}

} // namespace

TEST(RemoteZtFormat, ScramblesEachByteAndJoinsLinesWithPlainCrLf) {
    const QByteArray kbs = "KBS1^mms://a/H_1TV";
    EXPECT_EQ(ztfile::scramble("K^"), QByteArray("\xFC\xE9"));
    EXPECT_EQ(ztfile::scramble(ztfile::scramble(kbs)), kbs);
    EXPECT_EQ(ztfile::scramble(cp("봄")), QByteArray("\r\n"));

    const QByteArray file = ztfile::build({kbs, "MBC^mms://b", ""});
    EXPECT_EQ(file, ztfile::scramble(kbs) + "\r\n" + ztfile::scramble("MBC^mms://b") + "\r\n");
    EXPECT_FALSE(ztfile::build({kbs, "MBC^mms://b"}).endsWith('\n'));
    EXPECT_TRUE(ztfile::parse(QByteArray()).isEmpty());
}

TEST(RemoteZtFormat, LinesWithScrambledLineBreakBytesReadBackWhole) {
    const QList<QByteArray> lines = awkwardFavourites();
    const QByteArray file = ztfile::build(lines);
    // The data must hold the colliding bytes inside lines, or this proves nothing.
    int inside = 0;
    for (const QByteArray& l : lines)
        inside += ztfile::scramble(l).count("\r\n");
    ASSERT_GE(inside, 5);
    EXPECT_EQ(ztfile::parse(file), lines);

    // A lone 0xBD (scrambled LF) inside a line is never a break either.
    const QList<QByteArray> single = {cp("뉴스^mms://a"), cp("스^mms://b")};
    EXPECT_EQ(ztfile::parse(ztfile::build(single)), single);
}

TEST(RemoteZtFormat, EveryHangulSyllableRoundTripsInNamesAndAddresses) {
    // All 2350 syllables of the CP949 base set, three to a name (at the start of a line, in
    // the middle or right before the '^'); the address repeats them (all but 봄, see below)
    // up to the line break.
    QList<QByteArray> lines;
    QByteArray name;
    QByteArray tail;
    auto flush = [&] {
        lines << name + "^mms://host.example.net/" + QByteArray::number(lines.size()) + tail;
        name.clear();
        tail.clear();
    };
    for (int lead = 0xB0; lead <= 0xC8; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            QByteArray syllable(2, char(lead));
            syllable[1] = char(trail);
            name += syllable;
            // 봄 after the '^' reads as a line break: the one pair the format cannot tell apart.
            if (syllable != "\xBA\xBD")
                tail += syllable;
            if (name.size() == 6)
                flush();
        }
    }
    flush();
    ASSERT_EQ(lines.size(), 784);
    EXPECT_EQ(ztfile::parse(ztfile::build(lines)), lines);
}

namespace {

// The pieces of the main window the channel files touch.
class RemoteZtFiles : public ::testing::Test {
protected:
    void SetUp() override {
        for (const remote::PageSpec& p : remote::kPages) {
            QTreeView* l = catalogue::createListControl(&host, p.listId);
            lists << l;
            tab.AddPage(l, QString::fromUtf8(p.title));
        }
        tab.SetCurSel(remote::kStartPage);
        QFile::remove(userTxt());
        profile().writeString(QStringLiteral("ZT3.0"), QStringLiteral("LASTZTFILE"), QString());
        platform::dialogs::clearShown();
        platform::dialogs::clearAnswers();
    }
    void TearDown() override {
        platform::dialogs::clearAnswers();
        QFile::remove(userTxt());
        profile().writeString(QStringLiteral("ZT3.0"), QStringLiteral("LASTZTFILE"), QString());
    }

    static QString userTxt() { return platform::paths::dataFolder() + QStringLiteral("user.txt"); }
    static platform::Profile profile() { return platform::Profile(QStringLiteral("ZT25")); }
    static QString lastFile() {
        return profile().getString(QStringLiteral("ZT3.0"), QStringLiteral("LASTZTFILE"));
    }
    catalogue::CatalogueModel* ztList() const { return catalogue::modelOf(lists[10]); }
    QStringList names() const {
        QStringList out;
        for (int i = 0; i < ztList()->rowCount(); ++i)
            out << platform::cp949::toUnicode(ztList()->name(i));
        return out;
    }

    QWidget host;
    CTabSheet tab{&host};
    QList<QTreeView*> lists;
    QTemporaryDir dir;
};

} // namespace

TEST_F(RemoteZtFiles, SaveScramblesTheFavouritesAndOpenShowsThemOnTheChannelPage) {
    CZtChannelFiles zt(&host, &tab, ztList());
    const QList<QByteArray> favourites = awkwardFavourites();
    ASSERT_TRUE(platform::lines::writeLinesAtomic(userTxt(), favourites));
    profile().writeString(QStringLiteral("ZT3.0"), QStringLiteral("LASTZTFILE"),
                          QStringLiteral("/earlier.zt"));

    const QString path = dir.filePath(QStringLiteral("mine.zt"));
    platform::dialogs::queueAnswer(path);
    platform::dialogs::queueAnswer(platform::IDOK);
    zt.save();
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), ztfile::build(favourites));
    EXPECT_EQ(lastFile(), QStringLiteral("/earlier.zt")); // saving never remembers

    auto shown = platform::dialogs::shown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].kind, QStringLiteral("save"));
    EXPECT_EQ(shown[0].caption, QStringLiteral("저장할 ZT채널명을 입력해 주세요!"));
    EXPECT_EQ(shown[1].caption, QStringLiteral("Brontavia3.0"));
    EXPECT_EQ(shown[1].text, path + QStringLiteral("으로 채널저장 완료!"));

    platform::dialogs::clearShown();
    platform::dialogs::queueAnswer(path);
    zt.open();
    EXPECT_EQ(names(), (QStringList{"성시경 라디오", "봄날TV", "스포츠 뉴스", "KBS 봄 특집", "꽃봄",
                                    "KBS1"}));
    EXPECT_EQ(ztList()->target(4), favourites[4].mid(favourites[4].indexOf('^') + 1));
    EXPECT_EQ(tab.GetCurSel(), 10);
    EXPECT_EQ(lastFile(), path);
    shown = platform::dialogs::shown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].kind, QStringLiteral("open"));
    EXPECT_EQ(shown[0].caption, QStringLiteral("ZT채널을 선택해 주세요!"));

    // The next start shows the same channels without touching the page.
    catalogue::CatalogueModel fresh;
    tab.SetCurSel(5);
    CZtChannelFiles(&host, &tab, &fresh).openAtStart();
    EXPECT_EQ(fresh.rowCount(), 6);
    EXPECT_EQ(fresh.name(1), cp("봄날TV"));
    EXPECT_EQ(tab.GetCurSel(), 5);
}

TEST_F(RemoteZtFiles, SaveWithoutFavouritesOrWithACancelledDialogWritesNothing) {
    CZtChannelFiles zt(&host, &tab, ztList());
    const QString path = dir.filePath(QStringLiteral("none.zt"));
    const QString noFavourites =
        QStringLiteral("ZT채널로 저장할 My즐겨찾기가 없습니다.\n먼저 즐겨찾기를 추가해 주세요.");
    for (bool exists : {false, true}) {
        if (exists) {
            ASSERT_TRUE(platform::lines::writeFileAtomic(userTxt(), QByteArray()));
        }
        platform::dialogs::clearShown();
        platform::dialogs::queueAnswer(platform::IDOK);
        zt.save();
        const auto shown = platform::dialogs::shown();
        ASSERT_EQ(shown.size(), 1); // no file dialog
        EXPECT_EQ(shown[0].text, noFavourites);
    }

    ASSERT_TRUE(platform::lines::writeLinesAtomic(userTxt(), {"KBS1^mms://a"}));
    platform::dialogs::clearShown();
    platform::dialogs::queueAnswer(QString()); // cancel
    zt.save();
    EXPECT_EQ(platform::dialogs::shown().size(), 1);
    // A folder that does not exist: nothing written, no claim of success.
    platform::dialogs::queueAnswer(dir.filePath(QStringLiteral("missing/none.zt")));
    zt.save();
    EXPECT_EQ(platform::dialogs::shown().size(), 2);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(platform::dialogs::pendingAnswers(), 0);
}

TEST_F(RemoteZtFiles, OpenRejectsEmptyFilesAndKeepsThePageAndThePath) {
    CZtChannelFiles zt(&host, &tab, ztList());
    catalogue::fillFromLines(ztList(), {"OLD^mms://old"});
    const QString empty = dir.filePath(QStringLiteral("empty.zt"));
    ASSERT_TRUE(platform::lines::writeFileAtomic(empty, QByteArray()));
    for (const QString& path : {empty, dir.filePath(QStringLiteral("gone.zt"))}) {
        platform::dialogs::clearShown();
        platform::dialogs::queueAnswer(path);
        platform::dialogs::queueAnswer(platform::IDOK);
        zt.open();
        const auto shown = platform::dialogs::shown();
        ASSERT_EQ(shown.size(), 2);
        EXPECT_EQ(shown[1].text, QStringLiteral("잘못된 ZT채널입니다."));
    }
    platform::dialogs::queueAnswer(QString()); // cancelled
    zt.open();
    EXPECT_EQ(names(), QStringList{QStringLiteral("OLD")});
    EXPECT_EQ(tab.GetCurSel(), 5);
    EXPECT_TRUE(lastFile().isEmpty());

    // At start a remembered file that has gone leaves the list as it is, silently.
    profile().writeString(QStringLiteral("ZT3.0"), QStringLiteral("LASTZTFILE"), empty);
    platform::dialogs::clearShown();
    zt.openAtStart();
    EXPECT_TRUE(platform::dialogs::shown().isEmpty());
    EXPECT_EQ(names(), QStringList{QStringLiteral("OLD")});
}
