// The remote's side of the programme guide: the stations it hands the guide are what the player
// will be handed, M3U rows keep their tvg-ids only as long as their rows, and a row's tooltip
// tells what is on once the profile's guide has been read.
#include "guide/xmltv.h"
#include "platform/codec.h"
#include "platform_testing.h"
#include "remote/cataloguemodel.h"
#include "remote/remoteguide.h"
#include "remote/ztfile.h"
#include "tests/unit/remote_recorder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using catalogue::CatalogueModel;

namespace {

QByteArray cp(const char* utf8) {
    return platform::cp949::fromUnicode(QString::fromUtf8(utf8));
}

} // namespace

TEST(RemoteGuide, StationsAreWhatThePlayerIsHandedWithTheirTvgIds) {
    CatalogueModel a;
    CatalogueModel b;
    a.setLines({cp("KBS 1TV^ mms://kbs/1 ^http://home.example"), cp("페이지^+http://page.example"),
                cp("^nameless"), cp("")});
    a.setGuideIds({QStringLiteral("kbs.kr")});
    b.setLines({cp("MBC^http://mbc.example/live")});
    const QList<guide::Station> expected = {
        {QStringLiteral("KBS 1TV"), QStringLiteral("mms://kbs/1"), QStringLiteral("kbs.kr")},
        {QStringLiteral("페이지"), QStringLiteral("http://page.example"), QString()},
        {QStringLiteral("MBC"), QStringLiteral("http://mbc.example/live"), QString()},
    };
    EXPECT_EQ(CRemoteGuide::stationsOf({a.snapshot(), b.snapshot()}), expected);
    // New rows drop the old rows' ids: a ZT list opened after an M3U list has none.
    a.setLines({cp("KBS 1TV^mms://kbs/1")});
    EXPECT_TRUE(a.guideId(0).isEmpty());
    EXPECT_TRUE(a.guideId(7).isEmpty());
}

TEST(RemoteGuide, RowTooltipsTellWhatIsOnFromTheProfilesGuide) {
    platformtest::ensureCoreApplication();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    testsupport::ScopedEnv env("BRONTAVIA_HOME", home.path().toUtf8());
    const QString guidePath = home.filePath(QStringLiteral("채널 안내.xml"));
    {
        QFile g(guidePath);
        ASSERT_TRUE(g.open(QIODevice::WriteOnly));
        g.write(
            QStringLiteral("<tv><channel id=\"k\"><display-name>KBS 1TV</display-name></channel>"
                           "<programme start=\"20261207200000 +0900\" stop=\"20261207213000 "
                           "+0900\" channel=\"k\"><title>뉴스 9</title></programme>"
                           "<programme start=\"20261207213000 +0900\" channel=\"k\">"
                           "<title>드라마</title></programme></tv>")
                .toUtf8());
        QFile ini(home.filePath(QStringLiteral("ZT25.INI")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Guide]\r\nSources=ftp://ignored.example/x " +
                  QUrl::fromLocalFile(guidePath).toEncoded() + "\r\n");
    }
    CatalogueModel list;
    list.setLines({cp("kbs-1tv^mms://kbs/1"), cp("SBS^mms://sbs/1")});
    remotetest::RecordingWindow window; // no page of its own: the guide reads `list`
    CZtChannelFiles zt(window, window);
    CRemoteGuide remoteGuide(nullptr, {&list}, &zt);
    remoteGuide.keeper().setClock(
        [] { return guide::xmltv::parseTime(u"20261207210000 +0900").value(); });
    remoteGuide.start();
    EXPECT_EQ(remoteGuide.keeper().sources().size(), 1);
    const auto tip = [&](int row) {
        return list.data(list.index(row, 0), Qt::ToolTipRole).toString();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tip(0).isEmpty(); }, 10000));
    EXPECT_TRUE(tip(0).startsWith(QStringLiteral("지금: 뉴스 9 (")));
    EXPECT_TRUE(tip(0).contains(QStringLiteral("\n다음: 드라마 (")));
    EXPECT_FALSE(list.data(list.index(1, 0), Qt::ToolTipRole).isValid());
}
