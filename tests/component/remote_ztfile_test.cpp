// Channel files: the scrambled format, reading back what the writer made, and the save and open
// commands with their dialogs, messages and remembered path.
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/lines.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "remote/catalogue.h"
#include "remote/remoteids.h"
#include "remote/windowpages.h"
#include "remote/ztfile.h"
#include "skin/tabsheet.h"
#include "tests/support/ztsamples.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using testsupport::awkwardFavourites;
constexpr auto cp = testsupport::cp949;

// The pieces of the main window the channel files touch.
class RemoteZtFiles : public ::testing::Test {
protected:
    void SetUp() override {
        for (const remote::PageDef& p : remote::kPages) {
            QTreeView* l = catalogue::createListControl(&host, p.listId);
            lists << l;
            tab.AddPage(l, QString::fromUtf8(p.title));
        }
        tab.SetCurSel(remote::kStartPage);
        QFile::remove(userTxt());
        profile().writeString(u"ZT3.0"_s, u"LASTZTFILE"_s, QString());
        platform::dialogs::clearShown();
        platform::dialogs::clearAnswers();
    }
    void TearDown() override {
        platform::dialogs::clearAnswers();
        QFile::remove(userTxt());
        profile().writeString(u"ZT3.0"_s, u"LASTZTFILE"_s, QString());
    }

    static QString userTxt() { return platform::paths::dataFolder() + u"user.txt"_s; }
    static platform::Profile profile() { return platform::Profile(u"ZT25"_s); }
    static QString lastFile() { return profile().getString(u"ZT3.0"_s, u"LASTZTFILE"_s); }
    catalogue::CatalogueModel* ztList() const { return catalogue::modelOf(lists[10]); }
    QStringList names() const {
        QStringList out;
        for (int i = 0; i < ztList()->rowCount(); ++i)
            out << platform::cp949::toUnicode(ztList()->name(i));
        return out;
    }

    // The start of a remote whose channel-file page shows `into`.
    void openAtStartInto(catalogue::CatalogueModel* into) {
        CWindowPages start(&host, &tab, [into](int page) { return page == 10 ? into : nullptr; });
        CZtChannelFiles(start, start).openAtStart();
    }

    QWidget host;
    CTabSheet tab{&host};
    QList<QTreeView*> lists;
    CWindowPages pages{&host, &tab,
                       [this](int page) { return catalogue::modelOf(lists.value(page)); }};
    QTemporaryDir dir;
};

} // namespace

TEST_F(RemoteZtFiles, SaveScramblesTheFavouritesAndOpenShowsThemOnTheChannelPage) {
    CZtChannelFiles zt(pages, pages);
    const QList<QByteArray> favourites = awkwardFavourites();
    ASSERT_TRUE(platform::lines::writeLinesAtomic(userTxt(), favourites));
    profile().writeString(u"ZT3.0"_s, u"LASTZTFILE"_s, u"/earlier.zt"_s);

    const QString path = dir.filePath(u"mine.zt"_s);
    platform::dialogs::queueAnswer(path);
    platform::dialogs::queueAnswer(platform::IDOK);
    zt.save();
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), ztfile::build(favourites));
    EXPECT_EQ(lastFile(), u"/earlier.zt"_s); // saving never remembers

    auto shown = platform::dialogs::shown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].kind, u"save"_s);
    EXPECT_EQ(shown[0].caption, u"저장할 ZT채널명을 입력해 주세요!"_s);
    EXPECT_EQ(shown[1].caption, u"Brontavia3.0"_s);
    EXPECT_EQ(shown[1].text, path + u"으로 채널저장 완료!"_s);

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
    EXPECT_EQ(shown[0].kind, u"open"_s);
    EXPECT_EQ(shown[0].caption, u"ZT채널을 선택해 주세요!"_s);

    // The next start shows the same channels without touching the page.
    catalogue::CatalogueModel fresh;
    tab.SetCurSel(5);
    openAtStartInto(&fresh);
    EXPECT_EQ(fresh.rowCount(), 6);
    EXPECT_EQ(fresh.name(1), cp("봄날TV"));
    EXPECT_EQ(tab.GetCurSel(), 5);
}

TEST_F(RemoteZtFiles, RefusalsWriteNothingAndKeepThePageAndThePath) {
    CZtChannelFiles zt(pages, pages);
    // No favourites, or an empty user.txt: said, and no file dialog.
    for (bool exists : {false, true}) {
        if (exists) {
            ASSERT_TRUE(platform::lines::writeFileAtomic(userTxt(), QByteArray()));
        }
        platform::dialogs::clearShown();
        platform::dialogs::queueAnswer(platform::IDOK);
        zt.save();
        ASSERT_EQ(platform::dialogs::shown().size(), 1);
        EXPECT_EQ(platform::dialogs::shown()[0].text,
                  u"ZT채널로 저장할 My즐겨찾기가 없습니다.\n먼저 즐겨찾기를 추가해 주세요."_s);
    }
    // Empty or missing channel files are refused; the page, its rows and the path stay.
    catalogue::fillFromLines(ztList(), {"OLD^mms://old"});
    const QString empty = dir.filePath(u"empty.zt"_s);
    ASSERT_TRUE(platform::lines::writeFileAtomic(empty, QByteArray()));
    for (const QString& path : {empty, dir.filePath(u"gone.zt"_s)}) {
        platform::dialogs::clearShown();
        platform::dialogs::queueAnswer(path);
        platform::dialogs::queueAnswer(platform::IDOK);
        zt.open();
        ASSERT_EQ(platform::dialogs::shown().size(), 2);
        EXPECT_EQ(platform::dialogs::shown()[1].text, u"잘못된 ZT채널입니다."_s);
    }
    EXPECT_EQ(names(), QStringList{u"OLD"_s});
    EXPECT_EQ(tab.GetCurSel(), 5);
    EXPECT_TRUE(lastFile().isEmpty());
    // At start a remembered file that went bad leaves the list as it is, silently.
    profile().writeString(u"ZT3.0"_s, u"LASTZTFILE"_s, empty);
    platform::dialogs::clearShown();
    zt.openAtStart();
    EXPECT_TRUE(platform::dialogs::shown().isEmpty());
    EXPECT_EQ(names(), QStringList{u"OLD"_s});
}

TEST_F(RemoteZtFiles, FavouritesGoOutAsM3uAndListsFromElsewhereComeInOnTheChannelPage) {
    CZtChannelFiles zt(pages, pages);
    ASSERT_TRUE(platform::lines::writeLinesAtomic(userTxt(), awkwardFavourites()));

    // Export: a name ending in .m3u8 gives an extended M3U in UTF-8, homepages left out.
    const QString exported = dir.filePath(u"내 채널.m3u8"_s);
    platform::dialogs::queueAnswer(exported);
    platform::dialogs::queueAnswer(platform::IDOK);
    zt.save();
    const QByteArray m3u = [&] {
        QFile f(exported);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    EXPECT_TRUE(
        m3u.startsWith("#EXTM3U\n#EXTINF:-1,성시경 라디오\nmms://radio.example.net/sung\n"));
    EXPECT_TRUE(m3u.contains("#EXTINF:-1,KBS 봄 특집\nmms://kbs.example.net/h_1tv\n"));
    EXPECT_EQ(platform::dialogs::shown().last().text, exported + u"으로 채널저장 완료!"_s);
    EXPECT_TRUE(lastFile().isEmpty());

    // Imported again: the page shows the same names, and the file is remembered.
    platform::dialogs::clearShown();
    platform::dialogs::queueAnswer(exported);
    zt.open();
    EXPECT_EQ(names().size(), 6);
    EXPECT_EQ(ztList()->target(3), QByteArray("mms://kbs.example.net/h_1tv"));
    EXPECT_EQ(tab.GetCurSel(), 10);
    EXPECT_EQ(lastFile(), exported);

    // A list another program wrote, with a path relative to its own folder; shown again at the
    // next start.
    const QString foreign = dir.filePath(u"목록/radio.M3U"_s);
    ASSERT_TRUE(QDir().mkpath(dir.filePath(u"목록"_s)));
    ASSERT_TRUE(platform::lines::writeFileAtomic(
        foreign, "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:-1,클래식 FM\r\nhttp://radio.example.net/"
                 "classic\r\n음악/노래.mp3\r\n"));
    platform::dialogs::queueAnswer(foreign);
    zt.open();
    catalogue::CatalogueModel fresh;
    openAtStartInto(&fresh);
    ASSERT_EQ(fresh.rowCount(), 2);
    EXPECT_EQ(fresh.name(0), cp("클래식 FM"));
    EXPECT_EQ(fresh.target(1), cp(dir.filePath(u"목록/음악/노래.mp3"_s).toUtf8().constData()));

    // A list with nothing to play is refused like an empty channel file.
    const QString hollow = dir.filePath(u"hollow.m3u"_s);
    ASSERT_TRUE(platform::lines::writeFileAtomic(hollow, "#EXTM3U\n#EXTINF:-1,제목뿐\n"));
    platform::dialogs::clearShown();
    platform::dialogs::queueAnswer(hollow);
    platform::dialogs::queueAnswer(platform::IDOK);
    zt.open();
    ASSERT_EQ(platform::dialogs::shown().size(), 2);
    EXPECT_EQ(platform::dialogs::shown()[1].text, u"잘못된 ZT채널입니다."_s);
    EXPECT_EQ(lastFile(), foreign);
}
