// The channel-file commands without a window: choosers and texts through the notifier, the
// file written, the page filled and switched, and the remembered path.
#include "platform/lines.h"
#include "platform/profile.h"
#include "remote/ztfile.h"
#include "tests/support/ztsamples.h"
#include "tests/unit/remote_recorder.h"

#include <QFile>

namespace {

using remotetest::RecordingWindow;

class RemoteZtCommands : public remotetest::HomeFolder {
protected:
    static QString lastFile() {
        return platform::Profile(QStringLiteral("ZT25"))
            .getString(QStringLiteral("ZT3.0"), QStringLiteral("LASTZTFILE"));
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    RecordingWindow window;
    CZtChannelFiles zt{window, window};
};

} // namespace

TEST_F(RemoteZtCommands, SaveAsksForANameAndWritesTheChosenFormat) {
    zt.save();
    EXPECT_EQ(window.texts(),
              QStringList{QStringLiteral("ZT채널로 저장할 My즐겨찾기가 없습니다.\n먼저 즐겨찾기를 "
                                         "추가해 주세요.")});
    EXPECT_TRUE(window.choosers.isEmpty());
    const QList<QByteArray> favourites = testsupport::awkwardFavourites();
    ASSERT_TRUE(
        platform::lines::writeLinesAtomic(dataFile(QStringLiteral("user.txt")), favourites));
    window.messages.clear();
    zt.save(); // cancelled: nothing written, nothing said
    EXPECT_EQ(window.choosers,
              QStringList{QStringLiteral("save .zt: 저장할 ZT채널명을 입력해 주세요!")});
    EXPECT_TRUE(window.messages.isEmpty());
    const QString ztPath = home_.filePath(QStringLiteral("mine.zt"));
    const QString listPath = home_.filePath(QStringLiteral("mine.m3u8"));
    window.paths << ztPath << listPath << home_.filePath(QStringLiteral("no/such/dir/x.zt"));
    zt.save();
    zt.save();
    zt.save();
    EXPECT_EQ(read(ztPath), ztfile::build(favourites));
    EXPECT_TRUE(read(listPath).startsWith("#EXTM3U"));
    // The unwritable place is not reported as saved.
    EXPECT_EQ(window.texts(), (QStringList{ztPath + QStringLiteral("으로 채널저장 완료!"),
                                           listPath + QStringLiteral("으로 채널저장 완료!")}));
    EXPECT_TRUE(lastFile().isEmpty()); // saving never remembers
}

TEST_F(RemoteZtCommands, OpenFillsTheChannelPageAndRemembersOnlyGoodFiles) {
    const QList<QByteArray> favourites = testsupport::awkwardFavourites();
    const QString good = home_.filePath(QStringLiteral("good.zt"));
    const QString empty = home_.filePath(QStringLiteral("empty.zt"));
    ASSERT_TRUE(platform::lines::writeFileAtomic(good, ztfile::build(favourites)));
    ASSERT_TRUE(platform::lines::writeFileAtomic(empty, QByteArray()));
    window.paths << good;
    zt.open();
    EXPECT_EQ(window.page, CZtChannelFiles::kPage);
    ASSERT_EQ(window.rows[CZtChannelFiles::kPage].rowCount(), favourites.size());
    EXPECT_EQ(window.rows[CZtChannelFiles::kPage].name(1), testsupport::cp949("봄날TV"));
    EXPECT_EQ(lastFile(), good);
    EXPECT_TRUE(window.messages.isEmpty());
    window.page = 5;
    window.paths << empty << home_.filePath(QStringLiteral("missing.zt"));
    zt.open();
    zt.open();
    zt.open(); // cancelled
    EXPECT_EQ(window.texts(), (QStringList{QStringLiteral("잘못된 ZT채널입니다."),
                                           QStringLiteral("잘못된 ZT채널입니다.")}));
    EXPECT_EQ(window.page, 5);
    EXPECT_EQ(lastFile(), good);
    EXPECT_EQ(window.rows[CZtChannelFiles::kPage].rowCount(), favourites.size());
    // The next start shows the remembered file without switching pages.
    RecordingWindow next;
    CZtChannelFiles(next, next).openAtStart();
    EXPECT_EQ(next.rows[CZtChannelFiles::kPage].rowCount(), favourites.size());
    EXPECT_TRUE(next.pageSwitches.isEmpty());
}
