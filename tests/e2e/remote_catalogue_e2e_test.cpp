// The remote's catalogue features end to end: playing, settings, favourites, channel files and
// the catalogue update, with stand-ins for the player and a local HTTP server.
#include "platform/codec.h"
#include "platform/windowdirectory.h"
#include "tests/e2e/remotefixture.h"
#include "tests/support/httpserver.h"
#include "tests/support/standins.h"

#include <QSettings>
#include <QWidget>

namespace {

using testsupport::PlayerStandIn;

QByteArray cp(const char* utf8) {
    return platform::cp949::fromUnicode(QString::fromUtf8(utf8));
}

class RemoteCatalogueE2E : public RemoteE2E {
protected:
    QStringList rowsOf(int listId) {
        QStringList names;
        for (const QJsonValue& row : control(dump(), listId)[QStringLiteral("items")].toArray())
            names << row.toArray().at(0).toString();
        return names;
    }
    void pressAndWait(const QString& id) {
        ASSERT_EQ(ctl({QStringLiteral("press"), kRemote, id}).exitCode, 0);
    }
    void answer(const QString& what, const QString& title = kRemote) {
        ASSERT_EQ(ctl({QStringLiteral("answer"), title, what}).exitCode, 0);
    }
    // The message box that follows an answered file dialog.
    QJsonObject waitForBox() {
        QJsonObject modal;
        waitUntil([&] {
            modal = dump()[QStringLiteral("modal")].toObject();
            return modal[QStringLiteral("kind")].toString() == QStringLiteral("messagebox");
        });
        return modal;
    }
};

TEST_F(RemoteCatalogueE2E, DoubleClickHandsTheStationToThePlayer) {
    writeData(
        QStringLiteral("region_sat.txt"),
        cp("부산 지역 방송^mms://region.example.net/busan\r\n\r\n제주^ mms://j.example.net/x "));
    PlayerStandIn player;
    startRemote();
    ASSERT_TRUE(waitForRemote());
    EXPECT_EQ(rowsOf(1007),
              (QStringList{QStringLiteral("부산 지역 방송"), QStringLiteral("제주")}));

    ASSERT_EQ(
        ctl({QStringLiteral("activate"), kRemote, QStringLiteral("1007"), QStringLiteral("0")})
            .exitCode,
        0);
    ASSERT_TRUE(waitUntil([&] { return player.commands().size() == 1; }));
    EXPECT_EQ(player.commands(), QList<qint64>{1});
    EXPECT_EQ(readFile(home() + QStringLiteral("/mms.txt")),
              cp("부산 지역 방송^mms://region.example.net/busan"));

    // Spaces around an address are trimmed before it is handed over.
    ASSERT_EQ(
        ctl({QStringLiteral("activate"), kRemote, QStringLiteral("1007"), QStringLiteral("1")})
            .exitCode,
        0);
    ASSERT_TRUE(waitUntil([&] { return player.commands().size() == 2; }));
    EXPECT_EQ(readFile(home() + QStringLiteral("/mms.txt")), cp("제주^mms://j.example.net/x"));
}

TEST_F(RemoteCatalogueE2E, PagePlusAddressIsScrapedForItsStream) {
    testsupport::HttpServer http;
    ASSERT_TRUE(http.listening());
    http.serve(QStringLiteral("/radio.html"),
               {200,
                "<html><body><script>document.write('<a href=\"' + 'mm' + 's://live.example.net/"
                "gayo\">listen</a>');</script></body></html>",
                "text/html", -1});
    writeData(QStringLiteral("kradio.txt"),
              cp("가요 FM^+") + http.url(QStringLiteral("/radio.html")).toLatin1());
    PlayerStandIn player;
    startRemote();
    ASSERT_TRUE(waitForRemote());
    ASSERT_EQ(
        ctl({QStringLiteral("activate"), kRemote, QStringLiteral("1014"), QStringLiteral("0")})
            .exitCode,
        0);
    ASSERT_TRUE(waitUntil([&] { return !player.commands().isEmpty(); }, 60000));
    EXPECT_EQ(readFile(home() + QStringLiteral("/mms.txt")),
              cp("가요 FM^mms://live.example.net/gayo"));
    EXPECT_EQ(http.hits(QStringLiteral("/radio.html")), 1);
}

TEST_F(RemoteCatalogueE2E, SettingsAreSavedAndPushedToThePlayer) {
    writeConfig("/tmp/cap\r\n2\r\n1\r\n0");
    PlayerStandIn player;
    QWidget chat;
    chat.setWindowTitle(QStringLiteral("Brontavia's Chat"));
    chat.show();
    startRemote();
    ASSERT_TRUE(waitForRemote());
    pressAndWait(QStringLiteral("1021"));
    const QJsonObject dialog = waitForModal();
    ASSERT_EQ(dialog[QStringLiteral("kind")].toString(), QStringLiteral("dialog"));
    // Tile wallpaper, automatic screen mode, always on top.
    for (const char* id : {"1010", "1012", "1014"})
        ASSERT_EQ(ctl({QStringLiteral("press"), kRemote, QString::fromLatin1(id)}).exitCode, 0);
    ASSERT_EQ(ctl({QStringLiteral("press"), kRemote, QStringLiteral("1008")}).exitCode, 0);
    ASSERT_TRUE(waitForNoModal());
    EXPECT_EQ(readData(QStringLiteral("config.txt")), QByteArray("/tmp/cap\r\n1\r\n0\r\n1"));
    ASSERT_TRUE(waitUntil([&] { return player.commands().size() == 2; }));
    EXPECT_EQ(player.commands(), (QList<qint64>{7, 4}));
    EXPECT_TRUE(dump()[QStringLiteral("topmost")].toBool());
    EXPECT_TRUE(chat.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(RemoteCatalogueE2E, FavouritesAddedThroughTheDialogLandInUserTxt) {
    writeData(QStringLiteral("user.txt"), QByteArray());
    startRemote();
    ASSERT_TRUE(waitForRemote());
    const QString dialog = QStringLiteral("즐겨찾기 추가");
    pressAndWait(QStringLiteral("1028"));
    ASSERT_TRUE(waitUntil([&] { return dump(dialog)[QStringLiteral("visible")].toBool(); }));
    EXPECT_FALSE(dump()[QStringLiteral("enabled")].toBool());
    for (const auto& [name, address] : {std::pair{"교통 방송", "mms://radio.example.net/ traffic"},
                                        std::pair{"국악 방송", "mms://radio.example.net/gugak"}}) {
        ASSERT_EQ(
            ctl({QStringLiteral("text"), dialog, QStringLiteral("1030"), QString::fromUtf8(name)})
                .exitCode,
            0);
        ASSERT_EQ(ctl({QStringLiteral("text"), dialog, QStringLiteral("1031"),
                       QString::fromUtf8(address)})
                      .exitCode,
                  0);
        ASSERT_EQ(ctl({QStringLiteral("press"), dialog, QStringLiteral("1029")}).exitCode, 0);
        testsupport::spin(100);
    }
    ASSERT_TRUE(waitUntil([&] { return rowsOf(1030).size() == 2; }));
    EXPECT_EQ(
        readData(QStringLiteral("user.txt")),
        cp("교통 방송^mms://radio.example.net/traffic\r\n국악 방송^mms://radio.example.net/gugak"));
    EXPECT_EQ(control(dump(), 1003)[QStringLiteral("current")].toInt(), 9);
}

TEST_F(RemoteCatalogueE2E, ChannelFileSavedAndOpenedRoundTripsKoreanNames) {
    // 0xBA and 0xBD in names scramble to line breaks; the names must still come back whole.
    const QByteArray favourites =
        cp("뉴스 방송^mms://a.example.net/1\r\n스포츠 중계^mms://b.example.net/2");
    writeData(QStringLiteral("user.txt"), favourites);
    startRemote();
    ASSERT_TRUE(waitForRemote());
    const QString file = home() + QStringLiteral("/내 채널.zt");

    pressAndWait(QStringLiteral("1033"));
    ASSERT_EQ(waitForModal()[QStringLiteral("kind")].toString(), QStringLiteral("file"));
    answer(file);
    EXPECT_EQ(waitForBox()[QStringLiteral("text")].toString(),
              file + QStringLiteral("으로 채널저장 완료!"));
    answer(QStringLiteral("ok"));
    ASSERT_TRUE(waitForNoModal());
    QByteArray scrambled = favourites;
    for (char& c : scrambled)
        if (c != '\r' && c != '\n')
            c = char(uchar(c) ^ 0xB7);
    EXPECT_EQ(readFile(file), scrambled);

    pressAndWait(QStringLiteral("1034"));
    ASSERT_EQ(waitForModal()[QStringLiteral("kind")].toString(), QStringLiteral("file"));
    answer(file);
    ASSERT_TRUE(waitUntil([&] { return rowsOf(1031).size() == 2; }));
    EXPECT_EQ(rowsOf(1031),
              (QStringList{QStringLiteral("뉴스 방송"), QStringLiteral("스포츠 중계")}));
    EXPECT_EQ(control(dump(), 1003)[QStringLiteral("current")].toInt(), 10);
    QSettings ini(home() + QStringLiteral("/ZT25.INI"), QSettings::IniFormat);
    EXPECT_EQ(ini.value(QStringLiteral("ZT3.0/LASTZTFILE")).toString(), file);
}

TEST_F(RemoteCatalogueE2E, UpdateReplacesTheListOnlyAfterACompleteBody) {
    testsupport::HttpServer http;
    ASSERT_TRUE(http.listening());
    {
        QSettings ini(home() + QStringLiteral("/ZT25.INI"), QSettings::IniFormat);
        ini.setValue(QStringLiteral("ZT3.0/UPDATEURL"), http.url(QStringLiteral("/NUV7UPDATE/")));
    }
    const QByteArray old = cp("옛 뉴스^mms://old.example.net/news");
    writeData(QStringLiteral("news_eco.txt"), old);
    startRemote();
    ASSERT_TRUE(waitForRemote());
    ASSERT_EQ(ctl({QStringLiteral("select"), kRemote, QStringLiteral("1003"), QStringLiteral("0")})
                  .exitCode,
              0);

    auto update = [&]() {
        pressAndWait(QStringLiteral("1027"));
        const QString text = waitForBox()[QStringLiteral("text")].toString();
        answer(QStringLiteral("ok"));
        waitForNoModal();
        return text;
    };
    const QString failed = QStringLiteral("채널 업데이트 서버에 접속할 수 없습니다!\n현재 인터넷이 "
                                          "사용가능한지 확인해 보시기 바랍니다.");

    // An error page, a body cut short and a refused connection all leave the old list.
    http.serve(QStringLiteral("/NUV7UPDATE/news_eco.txt"),
               {404, "<html>gone</html>", "text/html", -1});
    EXPECT_EQ(update(), failed);
    EXPECT_EQ(readData(QStringLiteral("news_eco.txt")), old);
    http.serve(QStringLiteral("/NUV7UPDATE/news_eco.txt"),
               {200, cp("반쪽^mms://x"), "text/plain", 5000});
    EXPECT_EQ(update(), failed);
    EXPECT_EQ(readData(QStringLiteral("news_eco.txt")), old);

    const QByteArray fresh =
        cp("새 뉴스^mms://new.example.net/news\r\n경제^mms://new.example.net/eco");
    http.serve(QStringLiteral("/NUV7UPDATE/news_eco.txt"), {200, fresh, "text/plain", -1});
    EXPECT_EQ(update(), QStringLiteral("뉴스/경제채널 업데이트 완료!"));
    EXPECT_EQ(readData(QStringLiteral("news_eco.txt")), fresh);
    EXPECT_EQ(rowsOf(1004), (QStringList{QStringLiteral("새 뉴스"), QStringLiteral("경제")}));
    EXPECT_EQ(http.lastUserAgent(), QByteArray("ZT25"));

    {
        QSettings ini(home() + QStringLiteral("/ZT25.INI"), QSettings::IniFormat);
        ini.setValue(QStringLiteral("ZT3.0/UPDATEURL"),
                     QStringLiteral("http://127.0.0.1:1/NUV7UPDATE/"));
    }
    // The remote reads the address when it updates; a refused connection keeps the new list.
    EXPECT_EQ(update(), failed);
    EXPECT_EQ(readData(QStringLiteral("news_eco.txt")), fresh);
}

} // namespace
