// Catalogue update against a canned HTTP server on loopback: what replaces the category file,
// what leaves it alone, and what the user is told.
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/lines.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "remote/catalogue.h"
#include "remote/catalogueupdate.h"
#include "remote/channelremotedlg.h"
#include "remote/remoteids.h"
#include "remote/windowpages.h"
#include "skin/skinbutton.h"
#include "skin/tabsheet.h"
#include "tests/support/processes.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Answers every request with the same raw bytes and hangs up, or holds them until released.
class CannedServer : public QObject {
public:
    CannedServer() {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection())
                serve(s);
        });
    }
    quint16 port() const { return server_.serverPort(); }

    QByteArray response;
    QList<QByteArray> requests; // request head of each request

private:
    void serve(QTcpSocket* socket) {
        auto head = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket, head] {
            *head += socket->readAll();
            if (!head->contains("\r\n\r\n"))
                return;
            requests << *head;
            head->clear();
            if (hold) {
                held_ << socket;
                return;
            }
            socket->write(response);
            socket->disconnectFromHost();
        });
    }

public:
    // Answers the held requests with `response` and hangs up.
    void release() {
        for (QTcpSocket* s : std::exchange(held_, {})) {
            s->write(response);
            s->disconnectFromHost();
        }
    }
    bool hold = false; // keep requests unanswered until release()

private:
    QList<QTcpSocket*> held_;

    QTcpServer server_;
};

QByteArray channelBody(int size) {
    QByteArray body;
    for (int i = 0; body.size() < size; ++i)
        body += platform::cp949::fromUnicode(
            u"새채널%1^mms://new.example.net/%1\r\n"_s.arg(i, 3, 10, QLatin1Char('0')));
    body.truncate(size);
    return body;
}

class RemoteUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        for (const remote::PageDef& p : remote::kPages) {
            QTreeView* l = catalogue::createListControl(&host, p.listId);
            lists << l;
            tab.AddPage(l, QString::fromUtf8(p.title));
        }
        setBase(u"http://127.0.0.1:%1/NUV7UPDATE/"_s.arg(server.port()));
        for (const char* f : {"region_sat.txt", "foreign.txt"})
            ASSERT_TRUE(platform::lines::writeFileAtomic(file(f), "OLD^mms://old.example.net/"));
        platform::dialogs::clearShown();
        platform::dialogs::clearAnswers();
    }
    void TearDown() override {
        platform::dialogs::clearAnswers();
        setBase(QString());
        for (const char* f : {"region_sat.txt", "foreign.txt"})
            QFile::remove(file(f));
    }

    static void setBase(const QString& base) {
        platform::Profile(u"ZT25"_s).writeString(u"ZT3.0"_s, u"UPDATEURL"_s, base);
    }
    static QString file(const char* name) {
        return platform::paths::dataFolder() + QLatin1String(name);
    }
    static QByteArray contents(const char* name) {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    // Runs the update on `page`, answering its message box; returns the message text.
    QString updatePage(int page) {
        tab.SetCurSel(page);
        platform::dialogs::clearShown();
        platform::dialogs::queueAnswer(platform::IDOK);
        updater.update();
        EXPECT_TRUE(testsupport::waitUntil([&] { return !updater.busy(); }, 10000));
        const auto shown = platform::dialogs::shown();
        if (shown.size() != 1)
            return u"<%1 boxes>"_s.arg(shown.size());
        EXPECT_EQ(shown[0].caption, u"Brontavia3.0"_s);
        return shown[0].text;
    }

    const QString failed = QStringLiteral("채널 업데이트 서버에 접속할 수 없습니다!\n현재 "
                                          "인터넷이 사용가능한지 확인해 보시기 바랍니다.");
    CannedServer server;
    QWidget host;
    CTabSheet tab{&host};
    QList<QTreeView*> lists;
    CWindowPages pages{&host, &tab,
                       [this](int page) { return catalogue::modelOf(lists.value(page)); }};
    CCatalogueUpdater updater{pages, pages};
};

} // namespace

TEST(RemoteUpdateAccounting, ReadsTheAnnouncedLengthAndJudgesTheTransfer) {
    EXPECT_EQ(CUpdateAccounting::expectedLength("5000"), 5000);
    EXPECT_EQ(CUpdateAccounting::expectedLength(" 42 "), 42);
    EXPECT_EQ(CUpdateAccounting::expectedLength("12abc"), 12);
    EXPECT_EQ(CUpdateAccounting::expectedLength("abc"), 0);
    EXPECT_EQ(CUpdateAccounting::expectedLength(""), 0);
    EXPECT_EQ(CUpdateAccounting::expectedLength("99999999999999999999999"),
              std::numeric_limits<qint64>::max());

    CUpdateAccounting announced(5000);
    for (int n : {2048, 2048})
        EXPECT_TRUE(announced.add(n));
    EXPECT_FALSE(announced.complete(true)); // 4096 of 5000
    announced.add(904);
    EXPECT_EQ(announced.total(), 5000);
    EXPECT_TRUE(announced.complete(true));
    EXPECT_FALSE(announced.complete(false));

    CUpdateAccounting unannounced;
    unannounced.add(7000);
    EXPECT_TRUE(unannounced.complete(true));
    EXPECT_FALSE(unannounced.add(CUpdateAccounting::kMaxBody));
    EXPECT_FALSE(unannounced.complete(true));
}

TEST_F(RemoteUpdate, WholeBodiesReplaceTheFileWithOrWithoutALength) {
    const QByteArray body = channelBody(5000);
    server.response = "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + body;
    EXPECT_EQ(updatePage(5), u"지역방송채널 업데이트 완료!"_s);
    EXPECT_EQ(contents("region_sat.txt"), body);
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_TRUE(server.requests[0].startsWith("GET /NUV7UPDATE/region_sat.txt HTTP/1.1\r\n"));
    EXPECT_TRUE(server.requests[0].contains("\r\nUser-Agent: ZT25\r\n"));
    EXPECT_EQ(catalogue::modelOf(lists[5])->name(0), platform::cp949::fromUnicode(u"새채널000"));
    EXPECT_GT(catalogue::modelOf(lists[5])->rowCount(), 100);

    // No length announced: everything up to the end of the body, not just the first 2048 bytes.
    server.response = "HTTP/1.0 200 OK\r\n\r\n" + body;
    EXPECT_EQ(updatePage(6), u"해외방송채널 업데이트 완료!"_s);
    EXPECT_EQ(contents("foreign.txt"), body);
}

TEST_F(RemoteUpdate, FailedTransfersKeepTheOldFileAndSayTheServerIsUnreachable) {
    const QByteArray old = contents("region_sat.txt");
    struct Case {
        const char* what;
        QByteArray response;
    };
    const QList<Case> cases = {
        {"error page", "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"},
        {"not quite 200", "HTTP/1.1 202 Accepted\r\nContent-Length: 6\r\n\r\nqueued"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server.response = c.response;
        catalogue::modelOf(lists[5])->clear();
        EXPECT_EQ(updatePage(5), failed);
        EXPECT_EQ(contents("region_sat.txt"), old);
        // Reloaded from the file that stayed.
        EXPECT_EQ(catalogue::modelOf(lists[5])->name(0), QByteArray("OLD"));
    }
}

TEST_F(RemoteUpdate, RefusedConnectionLeavesAMissingFileMissing) {
    quint16 closedPort = 0;
    {
        QTcpServer probe; // a port nobody listens on once it closes
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    setBase(u"http://127.0.0.1:%1/NUV7UPDATE/"_s.arg(closedPort));
    QFile::remove(file("kradio.txt"));
    EXPECT_EQ(updatePage(7), failed);
    EXPECT_FALSE(QFile::exists(file("kradio.txt")));
}

// The whole window while the server has not answered yet: the update button waits, the rest
// of the remote takes clicks, and the answer arrives as before.
TEST_F(RemoteUpdate, TheRemoteTakesInputWhileAnUpdateWaits) {
    const QByteArray body = channelBody(3000);
    server.response = "HTTP/1.1 200 OK\r\nContent-Length: 3000\r\n\r\n" + body;
    server.hold = true;
    CChannelRemoteDlg dlg;
    ASSERT_TRUE(dlg.OnInitDialog());
    dlg.show();
    ASSERT_EQ(dlg.tabSheet()->GetCurSel(), 5);
    CSkinButton* refresh = dlg.button(remote::IDC_REFRESH);
    CSkinButton* onoff = dlg.button(remote::IDC_ONOFF);

    QTest::mouseClick(refresh, Qt::LeftButton);
    ASSERT_TRUE(testsupport::waitUntil([&] { return server.requests.size() == 1; }));
    EXPECT_TRUE(dlg.updater()->busy());
    EXPECT_FALSE(refresh->isEnabled());
    EXPECT_TRUE(platform::dialogs::shown().isEmpty());

    // Input goes through while the reply is out.
    QTest::mouseClick(onoff, Qt::LeftButton);
    EXPECT_EQ(dlg.remoteAttachedState(), 1);
    dlg.tabSheet()->SetCurSel(7);

    platform::dialogs::queueAnswer(platform::IDOK);
    server.release();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !dlg.updater()->busy(); }));
    EXPECT_TRUE(refresh->isEnabled());
    const auto shown = platform::dialogs::shown();
    ASSERT_EQ(shown.size(), 1);
    // The page the update was started on, not the one shown now.
    EXPECT_EQ(shown[0].text, u"지역방송채널 업데이트 완료!"_s);
    EXPECT_EQ(contents("region_sat.txt"), body);
    EXPECT_EQ(dlg.rows(1007)->name(0), platform::cp949::fromUnicode(u"새채널000"));
}
