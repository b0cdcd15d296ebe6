// The catalogue update without a window, beyond the window tests: oversized bodies, a file that
// cannot be written, pages without a server copy, and an updater gone while its reply is out.
#include "platform/lines.h"
#include "platform/profile.h"
#include "remote/catalogueupdate.h"
#include "tests/support/processes.h"
#include "tests/unit/remote_recorder.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

namespace {

using remotetest::RecordingWindow;
using testsupport::waitUntil;

// Takes requests and answers them only when told.
class HeldServer {
public:
    HeldServer() {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection())
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    if (s->peek(64 * 1024).contains("\r\n\r\n") && !held_.contains(s))
                        held_ << s;
                });
        });
    }
    QString base() const {
        return QStringLiteral("http://127.0.0.1:%1/NUV7UPDATE/").arg(server_.serverPort());
    }
    int waiting() const { return int(held_.size()); }
    void answer(const QByteArray& response) {
        for (QTcpSocket* s : std::exchange(held_, {})) {
            s->write(response);
            s->disconnectFromHost();
        }
    }

private:
    QTcpServer server_;
    QList<QTcpSocket*> held_;
};

class RemoteCatalogueUpdate : public remotetest::HomeFolder {
protected:
    void SetUp() override {
        HomeFolder::SetUp();
        platform::Profile(QStringLiteral("ZT25"))
            .writeString(QStringLiteral("ZT3.0"), QStringLiteral("UPDATEURL"), server.base());
        ASSERT_TRUE(platform::lines::writeFileAtomic(dataFile(QStringLiteral("region_sat.txt")),
                                                     "OLD^mms://old.example.net/"));
        updater = std::make_unique<CCatalogueUpdater>(window, window);
    }
    QByteArray regionFile() const {
        QFile f(dataFile(QStringLiteral("region_sat.txt")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static QByteArray ok(const QByteArray& body) {
        return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
               "\r\n\r\n" + body;
    }
    const QString failed = QStringLiteral("채널 업데이트 서버에 접속할 수 없습니다!\n현재 "
                                          "인터넷이 사용가능한지 확인해 보시기 바랍니다.");
    HeldServer server;
    RecordingWindow window;
    std::unique_ptr<CCatalogueUpdater> updater;
};

} // namespace

// Short and stalled bodies are the window tests' (tests/component/remote_update_test.cpp).
TEST_F(RemoteCatalogueUpdate, OversizedBodiesKeepTheOldFile) {
    const QByteArray huge(CUpdateAccounting::kMaxBody + 1, 'x');
    for (const QByteArray& response : {"HTTP/1.0 200 OK\r\n\r\n" + huge, ok(huge)}) {
        SCOPED_TRACE(response.left(20).toStdString());
        window.messages.clear();
        window.rows[5].clear();
        updater->update();
        ASSERT_TRUE(waitUntil([&] { return server.waiting() == 1; }));
        server.answer(response);
        ASSERT_TRUE(waitUntil([&] { return !updater->busy(); }));
        EXPECT_EQ(window.texts(), QStringList{failed});
        EXPECT_EQ(regionFile(), QByteArray("OLD^mms://old.example.net/"));
        EXPECT_EQ(window.rows[5].name(0), QByteArray("OLD")); // reloaded from the kept file
    }
}

TEST_F(RemoteCatalogueUpdate, AFileThatCannotBeWrittenFailsBeforeAnyRequest) {
    ASSERT_TRUE(QDir(home_.filePath(QStringLiteral("data"))).removeRecursively());
    updater->update();
    EXPECT_FALSE(updater->busy());
    EXPECT_EQ(window.texts(), QStringList{failed});
    testsupport::spin(50);
    EXPECT_EQ(server.waiting(), 0);
}

TEST_F(RemoteCatalogueUpdate, PagesWithoutAServerCopyAndAnUpdaterGoneMidwayChangeNothing) {
    for (int page : {-1, 9, 10}) {
        window.page = page;
        updater->update();
        EXPECT_FALSE(updater->busy());
    }
    testsupport::spin(50);
    EXPECT_EQ(server.waiting(), 0);
    window.page = 5;
    updater->update();
    ASSERT_TRUE(waitUntil([&] { return server.waiting() == 1; }));
    updater.reset(); // the remote ends while the reply is out
    server.answer(ok("NEW^mms://new.example.net/"));
    testsupport::spin(100);
    EXPECT_EQ(regionFile(), QByteArray("OLD^mms://old.example.net/"));
    EXPECT_TRUE(window.messages.isEmpty());
    EXPECT_TRUE(QDir(home_.filePath(QStringLiteral("data")))
                    .entryList(QDir::Files | QDir::Hidden)
                    .contains(QStringLiteral("region_sat.txt")));
    EXPECT_EQ(QDir(home_.filePath(QStringLiteral("data"))).entryList(QDir::Files).size(), 1)
        << "a half-written file was left behind";
}
