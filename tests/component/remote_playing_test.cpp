// Playing a station: address kinds, the hand-over to the player, the safety rules for
// addresses from the catalogue, and page scraping and the pop-up in a real web engine.
#include "platform/codec.h"
#include "platform/desktop.h"
#include "platform/lines.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/windowdirectory.h"
#include "protocol/files.h"
#include "remote/browser.h"
#include "remote/cataloguemodel.h"
#include "remote/playing.h"
#include "remote/stationhost.h"
#include "tests/support/processes.h"
#include "tests/support/standins.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Readable failures for lists of addresses.
static void PrintTo(const QUrl& url, std::ostream* out) {
    *out << url.toString().toStdString();
}

using namespace playing;
using platform::cp949::fromUnicode;
using testsupport::waitUntil;

namespace {

using testsupport::PlayerStandIn;

QByteArray handOverContent() {
    return platform::lines::readFile(protocol::handOverFile()).value_or("<missing>");
}

void setHandOver(const QByteArray& content) {
    ASSERT_TRUE(platform::lines::writeFileAtomic(protocol::handOverFile(), content));
}

QByteArray popupPageOnDisk() {
    return platform::lines::readFile(platform::paths::moduleDirectory() + u"a.htm"_s)
        .value_or("<missing>");
}

QWidget* referWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == u"Refer"_s)
            return w;
    return nullptr;
}

QByteArray expectedPopupPage(const QByteArray& homepage) {
    return "<html>\r\n<script language='JavaScript'>\r\n<!--\r\nwindow.open('" + homepage +
           "','Refer',config='height=400,width=500,directories=no,location=no,menubar=no,"
           "status=no,titlebar=no,toolbar=no,scrollbars=yes,resizable=yes')\r\n//-->\r\n"
           "</script>\r\n</html>\r\n";
}

// A player with a real (hidden) window, to see that the remote shows it.
class PlayerWindow : public QWidget, public platform::MessageHandler {
public:
    PlayerWindow() { setWindowTitle(u"Lumaset"_s); }
    std::optional<std::int64_t> handleMessage(std::uint32_t msg, std::uint64_t wParam,
                                              std::int64_t lParam) override {
        messages << testsupport::Message{msg, wParam, lParam};
        return 1;
    }
    QList<testsupport::Message> messages;
};

// Catches what would go to the desktop's URL handler.
class DesktopCatcher : public QObject {
    Q_OBJECT
public:
    DesktopCatcher() {
        for (const QString& scheme : schemes())
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~DesktopCatcher() override {
        for (const QString& scheme : schemes())
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }

private:
    static QStringList schemes() {
        return {u"http"_s, u"https"_s, u"ftp"_s, u"mailto"_s, u"file"_s, u"javascript"_s, u"smb"_s};
    }
};

// Enough HTTP/1.0 for a web engine on loopback: canned pages by path, a count of requests.
class PageServer {
public:
    PageServer() {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) { // child of the server
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket] { answer(socket); });
            }
        });
    }
    QString url(const char* path) const {
        return u"http://127.0.0.1:%1%2"_s.arg(server_.serverPort()).arg(path);
    }
    QHash<QByteArray, QByteArray> pages;
    QHash<QByteArray, int> hits;

private:
    void answer(QTcpSocket* socket) {
        QByteArray& request = pending_[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QByteArray path = request.split(' ').value(1);
        pending_.remove(socket);
        ++hits[path];
        const bool known = pages.contains(path);
        const QByteArray body = known ? pages.value(path) : QByteArray("not here");
        socket->write((known ? "HTTP/1.0 200 OK\r\n" : "HTTP/1.0 404 Not Found\r\n") +
                      QByteArray("Content-Type: text/html; charset=utf-8\r\nContent-Length: ") +
                      QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }
    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> pending_;
};

TEST(RemotePlaying, RowsAndPresetsHandOverShowThePlayerAndAMissingOneIsStarted) {
    QWidget window;
    CStationHost station(&window);
    CStationPlayer& player = *station.player();
    catalogue::CatalogueModel list;
    list.setRows({{fromUnicode(u"뉴스"), "  mms://news.example.net/live  "},
                  {"", "mms://nameless.example.net/x"},
                  {"Home", "^http://home.example.net/"}});
    {
        PlayerWindow lumaset; // hidden, as after the player's own close button
        player.activateRow(list, 0);
        const QByteArray news = fromUnicode(u"뉴스^mms://news.example.net/live");
        EXPECT_EQ(handOverContent(), news);
        EXPECT_TRUE(lumaset.isVisible());
        ASSERT_TRUE(waitUntil([&] { return lumaset.messages.size() == 1; }));
        EXPECT_EQ(lumaset.messages.at(0), (testsupport::Message{1026, 0, 1}));
        // No name, or no such row: nothing is written, nobody is told.
        player.activateRow(list, 1);
        player.activateRow(list, 7);
        EXPECT_EQ(handOverContent(), news);
        player.activateRow(list, 2);
        EXPECT_EQ(handOverContent(), QByteArray("Home^^http://home.example.net/"));

        lumaset.hide();
        player.playPreset(1020); // not a preset button
        player.playPreset(1002);
        EXPECT_EQ(handOverContent(), QByteArray("KBS2^mms://kbs-stream.example.net/H_2TV"));
        EXPECT_EQ(player.currentPrefix(), QByteArray("KBS2^"));
        EXPECT_TRUE(lumaset.isVisible());
        EXPECT_EQ(popupPageOnDisk(), expectedPopupPage("http://www.kbs.example.net/"));
        ASSERT_TRUE(waitUntil([&] { return lumaset.messages.size() == 3; }));
        EXPECT_EQ(lumaset.messages.at(2), (testsupport::Message{1026, 0, 1}));
        EXPECT_FALSE(station.hasBrowser()); // plain streams never need the web engine
    }

    // No player: "Lumaset" is started from PATH with the data folder as working directory.
    QTemporaryDir bin;
    const QString marker = bin.filePath(u"started"_s);
    const QString script = bin.filePath(u"Lumaset"_s);
    ASSERT_TRUE(platform::lines::writeFileAtomic(script, "#!/bin/sh\npwd > '" +
                                                             QFile::encodeName(marker) + "'\n"));
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
    QSignalSpy handed(&player, &CStationPlayer::handedOver);
    player.play("mms://tv.example.net/b");
    qputenv("PATH", path);
    EXPECT_EQ(handed.count(), 1);
    EXPECT_EQ(handOverContent(), QByteArray("KBS2^mms://tv.example.net/b")); // the prefix stays
    ASSERT_TRUE(waitUntil([&] { return QFileInfo(marker).size() > 0; }));
    QFile started(marker);
    ASSERT_TRUE(started.open(QIODevice::ReadOnly));
    EXPECT_EQ(QDir(QString::fromLocal8Bit(started.readAll().trimmed())).canonicalPath(),
              QDir(platform::paths::dataFolder()).canonicalPath());
}

TEST(RemotePlaying, UnsafePageAndShellAddressesOnlyEmptyTheHandOver) {
    QWidget window;
    CStationHost station(&window);
    CStationPlayer& player = *station.player();
    QSignalSpy handed(&player, &CStationPlayer::handedOver);
    DesktopCatcher desktop;
    QTemporaryDir dir;
    const QString program = dir.filePath(u"tool"_s);
    ASSERT_TRUE(platform::lines::writeFileAtomic(program, "#!/bin/sh\n"));
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    for (const QByteArray& refused :
         {QByteArray("-javascript:alert(1)"), QByteArray("-smb://host/share"),
          "-" + QFile::encodeName(program), QByteArray("+file:///etc/passwd"),
          QByteArray(" +javascript:alert(1)"), QByteArray("+ftp://radio.example.net/")}) {
        setHandOver("Old^mms://old.example.net/");
        player.play(refused);
        EXPECT_EQ(handOverContent(), QByteArray()) << refused.constData();
    }
    EXPECT_TRUE(desktop.opened.isEmpty());
    EXPECT_FALSE(station.hasBrowser());
    EXPECT_EQ(handed.count(), 0);

    player.play(" -http://tv.example.net/guide ");
    player.play("-mailto:tv@example.net");
    EXPECT_EQ(desktop.opened, (QList<QUrl>{QUrl(u"http://tv.example.net/guide"_s),
                                           QUrl(u"mailto:tv@example.net"_s)}));
    EXPECT_EQ(handed.count(), 0);
}

// The desktop gets exactly the file or address that passed the checks: a backslash or a
// trailing space in a checked file name, or a mail address that looks like host and port,
// must not turn into something else on the way to the desktop.
TEST(RemotePlaying, ShellAddressesOpenExactlyWhatWasChecked) {
    QWidget window;
    CStationHost station(&window);
    CStationPlayer& player = *station.player();
    DesktopCatcher desktop;
    QTemporaryDir dir;
    auto make = [&](const QString& name, bool executable) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        EXPECT_TRUE(platform::lines::writeFileAtomic(
            path, executable ? QByteArray("#!/bin/sh\necho hi\n") : QByteArray("notes\n")));
        QFile::setPermissions(path, executable
                                        ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                        : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        return path;
    };
    const QString plainWithBackslash = make(u"doc\\notes.txt"_s, false);
    make(u"doc/notes.txt"_s, true);
    const QString plainWithSpace = make(u"x.txt "_s, false);
    make(u"x.txt"_s, true);
    const QByteArray base = QUrl::fromLocalFile(dir.path()).toEncoded();

    player.play("-" + base + "/doc%5Cnotes.txt");
    player.play("-" + base + "/x.txt%20");
    player.play("-mailto:1");
    player.play("-mailto:8080");
    EXPECT_EQ(desktop.opened, (QList<QUrl>{QUrl::fromLocalFile(plainWithBackslash),
                                           QUrl::fromLocalFile(plainWithSpace), QUrl(u"mailto:1"_s),
                                           QUrl(u"mailto:8080"_s)}));
    for (const QUrl& url : desktop.opened) {
        if (url.isLocalFile()) {
            EXPECT_FALSE(QFileInfo(url.toLocalFile()).isExecutable())
                << url.toString().toStdString();
        }
    }

    // The link label's opener: a mail link stays a mail link.
    desktop.opened.clear();
    EXPECT_TRUE(platform::desktop::openDocument(u"mailto:1"_s));
    EXPECT_TRUE(platform::desktop::openDocument(u"www.example.net"_s));
    EXPECT_EQ(desktop.opened,
              (QList<QUrl>{QUrl(u"mailto:1"_s), QUrl(u"http://www.example.net"_s)}));
    EXPECT_FALSE(platform::desktop::openUrl(QUrl(u"relative/path"_s)));
}

TEST(RemotePlayingWeb, PageIsScrapedAfterItsScriptsRanAndTheHomepageOpensInAPopup) {
    PageServer server;
    // The address exists only once the script has run: the source spells it apart.
    server.pages["/radio"] =
        QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body>국내 라디오 안내"
                       "<script>document.write('<a href=\"mm' + 's://radio.example.net/"
                       "라디오\">듣기</a>')</script></body></html>")
            .toUtf8();
    server.pages["/home"] = "<html><head><title>방송국 홈</title></head><body>home</body></html>";
    QWidget window;
    window.setGeometry(20, 50, 200, 300);
    CStationHost station(&window);
    CStationPlayer& player = *station.player();
    catalogue::CatalogueModel list;
    const QByteArray target =
        "+" + server.url("/radio").toLatin1() + "^" + server.url("/home").toLatin1();
    list.setRows({{fromUnicode(u"라디오"), target}});
    QSignalSpy handed(&player, &CStationPlayer::handedOver);
    PlayerStandIn lumaset;
    setHandOver("Old^mms://old.example.net/");

    player.activateRow(list, 0);
    EXPECT_EQ(handOverContent(), QByteArray()); // the old station is gone at once
    EXPECT_EQ(popupPageOnDisk(), expectedPopupPage(server.url("/home").toLatin1()));

    ASSERT_TRUE(waitUntil([&] { return handed.count() == 1; }, 30000));
    const QByteArray expected = fromUnicode(u"라디오^mms://radio.example.net/라디오");
    EXPECT_EQ(handed.at(0).at(0).toByteArray(), expected);
    EXPECT_EQ(handOverContent(), expected);
    ASSERT_TRUE(waitUntil([&] { return lumaset.messages.size() == 1; }));
    EXPECT_EQ(lumaset.messages.at(0), (testsupport::Message{1026, 0, 1}));

    ASSERT_TRUE(waitUntil([&] { return referWindow() && server.hits.value("/home") == 1; }, 30000));
    QWidget* popup = referWindow();
    EXPECT_EQ(popup->size(), QSize(500, 400));
    // A framed window beside its opener, named after the page, that the user can close.
    EXPECT_FALSE(popup->windowFlags() & Qt::FramelessWindowHint);
    // Right of the opener's frame (a pixel or two of frame either way), at its top.
    EXPECT_LE(std::abs(popup->x() - (window.geometry().right() + 1)), 2) << popup->x();
    EXPECT_LE(std::abs(popup->y() - 50), 2) << popup->y();
    EXPECT_TRUE(popup->isVisible());
    EXPECT_TRUE(waitUntil([&] { return popup->windowTitle() == u"방송국 홈"_s; }));
    QPointer<QWidget> gone(popup);
    popup->close();
    EXPECT_TRUE(waitUntil([&] { return gone.isNull(); }));
}

} // namespace

#include "remote_playing_test.moc"
