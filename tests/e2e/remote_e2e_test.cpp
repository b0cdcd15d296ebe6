// The real ZT25 in a private bus and home, driven through brontavia-ctl.
#include "platform/messages.h"
#include "platform/windowdirectory.h"
#include "tests/e2e/remotefixture.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

using testsupport::run;
using testsupport::waitUntil;

namespace {

TEST_F(RemoteE2E, StartsOnceRightOfCentreAndStartsItsCompanions) {
    fakeCompanion(QStringLiteral("Lumaset"));
    fakeCompanion(QStringLiteral("Peekpane"));
    writeConfig("/tmp\r\n2\r\n1\r\n0");

    // A chat window that is already open is put against the remote's left edge.
    QWidget chat;
    chat.setWindowTitle(QStringLiteral("Brontavia's Chat"));
    chat.setGeometry(10, 10, 100, 100);
    chat.show();

    QProcess* first = startRemote();
    ASSERT_TRUE(waitForRemote());

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QJsonObject d = dump();
    const QList<int> expected{screen.width() / 2 + 192, screen.height() / 2 - 179, 300, 360};
    EXPECT_EQ(rectOf(d), expected);
    EXPECT_TRUE(d[QStringLiteral("visible")].toBool());
    EXPECT_FALSE(d[QStringLiteral("topmost")].toBool());

    EXPECT_TRUE(waitUntil([&] { return chat.frameGeometry().width() == 241; }));
    EXPECT_EQ(chat.frameGeometry(), QRect(expected[0] - 241, expected[1], 241, 363));

    // The player is started by bare name in the data folder.
    ASSERT_TRUE(waitUntil([&] { return !logLines(QStringLiteral("Lumaset")).isEmpty(); }));
    EXPECT_EQ(QDir(logLines(QStringLiteral("Lumaset")).constFirst()), QDir(data_));

    // A second copy ends by itself, starting no second player.
    QProcess* second = startRemote();
    ASSERT_TRUE(waitUntil([&] { return second->state() == QProcess::NotRunning; }, 15000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(logLines(QStringLiteral("Lumaset")).size(), 1);
    EXPECT_EQ(first->state(), QProcess::Running);
    EXPECT_EQ(ctl({QStringLiteral("list")}).out.count(kRemote), 1);

    // The mini browser follows once, about four seconds after start.
    EXPECT_TRUE(waitUntil([&] { return !logLines(QStringLiteral("Peekpane")).isEmpty(); }, 15000));
    testsupport::spin(300);
    EXPECT_EQ(logLines(QStringLiteral("Peekpane")).size(), 1);
}

TEST_F(RemoteE2E, ShowsItsButtonsTipsAndPages) {
    startRemote();
    ASSERT_TRUE(waitForRemote());
    const QJsonObject d = dump();

    struct Expect {
        int id;
        QList<int> rect;
        const char* tip;
    };
    const Expect buttons[] = {
        {1001, {1, 28, 67, 30}, ""},
        {1002, {1, 58, 67, 30}, ""},
        {1016, {1, 88, 67, 31}, ""},
        {1019, {1, 119, 67, 29}, ""},
        {1028, {1, 174, 67, 18}, "My즐겨찾기 항목에 새로운 채널추가"},
        {1029, {1, 193, 67, 18}, "선택한 즐겨찾기 채널수정"},
        {1032, {1, 211, 67, 18}, "선택한 즐겨찾기 채널삭제"},
        {1033, {1, 249, 67, 19}, "My즐겨찾기를 ZT채널파일로 저장"},
        {1034, {1, 268, 67, 19}, "ZT채널파일 열기"},
        {1021, {1, 287, 67, 20}, ""},
        {1023, {1, 307, 67, 22}, ""},
        {1024, {241, 6, 19, 16}, "채널리모콘 분리"},
        {1025, {260, 6, 16, 16}, "채널리모콘 닫기"},
        {1026, {276, 6, 15, 16}, "Brontavia 종료"},
        {1027, {270, 335, 21, 22}, "현재 항목의 채널을 최신채널로 갱신"},
    };
    for (const Expect& e : buttons) {
        const QJsonObject c = control(d, e.id);
        SCOPED_TRACE(e.id);
        EXPECT_EQ(c[QStringLiteral("class")].toString(), QStringLiteral("CSkinButton"));
        EXPECT_TRUE(c[QStringLiteral("visible")].toBool());
        EXPECT_EQ(rectOf(c), e.rect);
        EXPECT_EQ(c[QStringLiteral("tooltip")].toString(), QString::fromUtf8(e.tip));
    }
    for (int hidden : {1017, 1018, 1020, 1022}) {
        const QJsonObject c = control(d, hidden);
        EXPECT_FALSE(c[QStringLiteral("visible")].toBool()) << hidden;
        EXPECT_FALSE(c[QStringLiteral("enabled")].toBool()) << hidden;
    }

    const QJsonObject tab = control(d, 1003);
    EXPECT_EQ(rectOf(tab), (QList<int>{68, 31, 219, 295}));
    EXPECT_EQ(tab[QStringLiteral("current")].toInt(), 5);
    const QJsonArray tabs = tab[QStringLiteral("tabs")].toArray();
    ASSERT_EQ(tabs.size(), 11);
    EXPECT_EQ(tabs[5].toString(), QStringLiteral("지역 방송"));
    EXPECT_EQ(tabs[10].toString(), QStringLiteral("ZT 채널"));
    // Only the selected page's list shows.
    EXPECT_TRUE(control(d, 1007)[QStringLiteral("visible")].toBool());
    EXPECT_FALSE(control(d, 1004)[QStringLiteral("visible")].toBool());

    // Switching pages through automation shows the other list.
    EXPECT_EQ(ctl({QStringLiteral("select"), kRemote, QStringLiteral("1003"), QStringLiteral("0")})
                  .exitCode,
              0);
    const QJsonObject after = dump();
    EXPECT_EQ(control(after, 1003)[QStringLiteral("current")].toInt(), 0);
    EXPECT_TRUE(control(after, 1004)[QStringLiteral("visible")].toBool());
    EXPECT_FALSE(control(after, 1007)[QStringLiteral("visible")].toBool());
}

TEST_F(RemoteE2E, OnlyTheExitButtonEndsItAndClosesThePlayer) {
    QList<QList<qint64>> received;
    platform::windows::StandIn player(QStringLiteral("Lumaset"),
                                      [&](std::uint32_t m, std::uint64_t w, std::int64_t l) {
                                          received << QList<qint64>{qint64(m), qint64(w), l};
                                          return std::int64_t(0);
                                      });
    QProcess* remote = startRemote();
    ASSERT_TRUE(waitForRemote());

    for (const char* key : {"Escape", "Return", "Alt+F4"})
        EXPECT_EQ(ctl({QStringLiteral("key"), kRemote, QString::fromLatin1(key)}).exitCode, 0);
    EXPECT_EQ(ctl({QStringLiteral("post"), kRemote, QStringLiteral("16")}).exitCode, 0);
    // The dump is answered after the keys and the close message have been handled.
    EXPECT_TRUE(dump()[QStringLiteral("visible")].toBool());
    EXPECT_EQ(remote->state(), QProcess::Running);

    // "No" keeps it running and tells the player nothing.
    ASSERT_EQ(ctl({QStringLiteral("press"), kRemote, QStringLiteral("1026")}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return dump()[QStringLiteral("modal")].isObject(); }));
    const QJsonObject box = dump()[QStringLiteral("modal")].toObject();
    EXPECT_EQ(box[QStringLiteral("kind")].toString(), QStringLiteral("messagebox"));
    EXPECT_EQ(box[QStringLiteral("caption")].toString(), kRemote);
    EXPECT_EQ(box[QStringLiteral("text")].toString(),
              QStringLiteral("Brontavia를 종료 하시겠습니까?"));
    EXPECT_EQ(box[QStringLiteral("buttons")].toArray(),
              (QJsonArray{QStringLiteral("yes"), QStringLiteral("no")}));
    EXPECT_EQ(ctl({QStringLiteral("answer"), kRemote, QStringLiteral("no")}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return dump()[QStringLiteral("modal")].isNull(); }));
    EXPECT_EQ(remote->state(), QProcess::Running);
    EXPECT_TRUE(received.isEmpty());

    // "Yes" closes the player and ends the remote.
    ASSERT_EQ(ctl({QStringLiteral("press"), kRemote, QStringLiteral("1026")}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return dump()[QStringLiteral("modal")].isObject(); }));
    EXPECT_EQ(ctl({QStringLiteral("answer"), kRemote, QStringLiteral("yes")}).exitCode, 0);
    EXPECT_TRUE(waitUntil([&] { return remote->state() == QProcess::NotRunning; }, 15000));
    EXPECT_EQ(remote->exitCode(), 0);
    EXPECT_TRUE(waitUntil([&] { return !received.isEmpty(); }));
    EXPECT_EQ(received, (QList<QList<qint64>>{{platform::WM_CLOSE, 0, 0}}));
    EXPECT_EQ(ctl({QStringLiteral("dump"), kRemote}).exitCode, 1);
}

TEST_F(RemoteE2E, AlwaysOnTopFromConfigAndShortConfigIsHarmless) {
    writeConfig("/tmp\r\n0\r\n0\r\n1");
    startRemote();
    ASSERT_TRUE(waitForRemote());
    EXPECT_TRUE(dump()[QStringLiteral("topmost")].toBool());
    ASSERT_EQ(ctl({QStringLiteral("press"), kRemote, QStringLiteral("1026")}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return dump()[QStringLiteral("modal")].isObject(); }));
    ASSERT_EQ(ctl({QStringLiteral("answer"), kRemote, QStringLiteral("yes")}).exitCode, 0);
    ASSERT_EQ(ctl({QStringLiteral("gone"), kRemote, QStringLiteral("15")}).exitCode, 0);

    writeConfig("/tmp"); // one line only
    QProcess* remote = startRemote();
    ASSERT_TRUE(waitForRemote());
    EXPECT_FALSE(dump()[QStringLiteral("topmost")].toBool());
    EXPECT_EQ(remote->state(), QProcess::Running);
}

TEST_F(RemoteE2E, HideButtonHidesBesideAVisiblePlayerAndMinimisesOtherwise) {
    QWidget player;
    player.setWindowTitle(QStringLiteral("Lumaset"));
    player.setGeometry(100, 100, 320, 240);
    player.show();
    startRemote();
    ASSERT_TRUE(waitForRemote());

    ASSERT_EQ(ctl({QStringLiteral("press"), kRemote, QStringLiteral("1025")}).exitCode, 0);
    EXPECT_TRUE(waitUntil([&] { return !dump()[QStringLiteral("visible")].toBool(); }));

    player.hide();
    ASSERT_EQ(ctl({QStringLiteral("show"), kRemote, QStringLiteral("normal")}).exitCode, 0);
    ASSERT_EQ(ctl({QStringLiteral("press"), kRemote, QStringLiteral("1025")}).exitCode, 0);
    EXPECT_TRUE(waitUntil([&] { return dump()[QStringLiteral("minimized")].toBool(); }));
}

} // namespace
