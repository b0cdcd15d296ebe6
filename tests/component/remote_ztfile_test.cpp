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

namespace {

using testsupport::awkwardFavourites;
constexpr auto cp = testsupport::cp949;

} // namespace

namespace {

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
    openAtStartInto(&fresh);
    EXPECT_EQ(fresh.rowCount(), 6);
    EXPECT_EQ(fresh.name(1), cp("봄날TV"));
    EXPECT_EQ(tab.GetCurSel(), 5);
}

TEST_F(RemoteZtFiles, SaveWithoutFavouritesOrWithACancelledDialogWritesNothing) {
    CZtChannelFiles zt(pages, pages);
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
    CZtChannelFiles zt(pages, pages);
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

TEST_F(RemoteZtFiles, FavouritesGoOutAsM3uAndListsFromElsewhereComeInOnTheChannelPage) {
    CZtChannelFiles zt(pages, pages);
    ASSERT_TRUE(platform::lines::writeLinesAtomic(userTxt(), awkwardFavourites()));

    // Export: a name ending in .m3u8 gives an extended M3U in UTF-8, homepages left out.
    const QString exported = dir.filePath(QStringLiteral("내 채널.m3u8"));
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
    EXPECT_EQ(platform::dialogs::shown().last().text,
              exported + QStringLiteral("으로 채널저장 완료!"));
    EXPECT_TRUE(lastFile().isEmpty());

    // Import of the same file: the ZT page shows the same names, and the file is remembered.
    platform::dialogs::clearShown();
    platform::dialogs::queueAnswer(exported);
    zt.open();
    EXPECT_EQ(names(), (QStringList{"성시경 라디오", "봄날TV", "스포츠 뉴스", "KBS 봄 특집", "꽃봄",
                                    "KBS1"}));
    EXPECT_EQ(ztList()->target(3), QByteArray("mms://kbs.example.net/h_1tv"));
    EXPECT_EQ(tab.GetCurSel(), 10);
    EXPECT_EQ(lastFile(), exported);
    EXPECT_EQ(platform::dialogs::shown().size(), 1);

    // A list another program wrote, with a path relative to its own folder; shown again at the
    // next start.
    const QString foreign = dir.filePath(QStringLiteral("목록/radio.M3U"));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("목록"))));
    ASSERT_TRUE(platform::lines::writeFileAtomic(
        foreign, "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:-1,클래식 FM\r\nhttp://radio.example.net/"
                 "classic\r\n음악/노래.mp3\r\n"));
    platform::dialogs::queueAnswer(foreign);
    zt.open();
    catalogue::CatalogueModel fresh;
    openAtStartInto(&fresh);
    ASSERT_EQ(fresh.rowCount(), 2);
    EXPECT_EQ(fresh.name(0), cp("클래식 FM"));
    EXPECT_EQ(fresh.target(1),
              cp(dir.filePath(QStringLiteral("목록/음악/노래.mp3")).toUtf8().constData()));

    // A list with nothing to play is refused like an empty channel file.
    const QString hollow = dir.filePath(QStringLiteral("hollow.m3u"));
    ASSERT_TRUE(platform::lines::writeFileAtomic(hollow, "#EXTM3U\n#EXTINF:-1,제목뿐\n"));
    platform::dialogs::clearShown();
    platform::dialogs::queueAnswer(hollow);
    platform::dialogs::queueAnswer(platform::IDOK);
    zt.open();
    ASSERT_EQ(platform::dialogs::shown().size(), 2);
    EXPECT_EQ(platform::dialogs::shown()[1].text, QStringLiteral("잘못된 ZT채널입니다."));
    EXPECT_EQ(lastFile(), foreign);
}
