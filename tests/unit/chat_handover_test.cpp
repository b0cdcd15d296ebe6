// What the chat keeps in files and fetches over HTTP, without a window: the stored nickname, the
// link and file hand-overs (CP949 on disk), received addresses taken only as web addresses, and
// the server list fetch.
#include "chat/handover.h"
#include "chat/serverlistfetch.h"
#include "platform/codec.h"
#include "protocol/files.h"
#include "tests/support/httpserver.h"
#include "tests/support/processes.h"
#include "tests/support/scopedenv.h"
#include "tests/unit/platform_testing.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace chat;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

class ChatHandOverFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        previous_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());
    }
    void TearDown() override { QDir::setCurrent(previous_); }

    QTemporaryDir dir_;
    QString previous_;
};

TEST_F(ChatHandOverFilesTest, TheNicknameIsKeptInCp949AndForgotten) {
    EXPECT_TRUE(readNickname().isEmpty());
    EXPECT_TRUE(forgetNickname()); // nothing to forget is no failure
    ASSERT_TRUE(storeNickname(QStringLiteral("이순신")));
    EXPECT_EQ(fileBytes(nicknameFile()), platform::cp949::fromUnicode(QStringLiteral("이순신")));
    EXPECT_EQ(readNickname(), QStringLiteral("이순신"));
    // Only the first line counts.
    QFile f(nicknameFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("kim\r\nlee\r\n");
    f.close();
    EXPECT_EQ(readNickname(), QStringLiteral("kim"));
    EXPECT_TRUE(forgetNickname());
    EXPECT_FALSE(QFile::exists(nicknameFile()));
}

// Its four CP949 lines are checked where a file is handed over (tests/e2e/chat_e2e_test.cpp).
TEST_F(ChatHandOverFilesTest, ATransferRequestThatCannotBeWrittenIsAFailure) {
    // A folder that is not there: a failure, never a half-written request.
    EXPECT_FALSE(writeTransferRequest(dir_.filePath(QStringLiteral("gone/request1.txt")), {}));
}

TEST_F(ChatHandOverFilesTest, TheLinkForThePlayerGoesToItsHandOverFile) {
    testsupport::ScopedEnv home("BRONTAVIA_HOME", dir_.path().toUtf8());
    ASSERT_TRUE(writeLinkHandOver(QStringLiteral("http://a.example/방송 ")));
    EXPECT_EQ(fileBytes(protocol::linkHandOverFile()),
              platform::cp949::fromUnicode(QStringLiteral("http://a.example/방송 ")));
}

// The file sender's report of a finished transfer, as the chat reads it and shows it.
TEST(ChatTransferReport, TheReportRoundTripsInCp949AndBecomesOnePlainLine) {
    const protocol::TransferReport received{true, QStringLiteral("홍길동"),
                                            QStringLiteral("사진 100%.jpg"),
                                            QStringLiteral("/home/kim/받은 파일/사진 100%.jpg")};
    const QList<QByteArray> lines = protocol::reportLines(received);
    EXPECT_EQ(lines[1], platform::cp949::fromUnicode(QStringLiteral("홍길동")));
    EXPECT_EQ(protocol::parseReport(lines), received);
    const protocol::TransferReport sent{false, QStringLiteral("lee"), QStringLiteral("a.txt"), {}};
    EXPECT_EQ(protocol::parseReport(protocol::reportLines(sent)), sent);

    // Anything else is not a report.
    EXPECT_FALSE(protocol::parseReport({}));
    EXPECT_FALSE(protocol::parseReport({"got", "lee", "a.txt", ""}));
    EXPECT_FALSE(protocol::parseReport({"received", "lee", "a.txt", ""})); // saved nowhere
    EXPECT_FALSE(protocol::parseReport({"sent", "lee", "", ""}));
    EXPECT_FALSE(protocol::parseReport({"sent", "lee", "a.txt", "", "more"}));

    // A "%" in a name is not a place for the next one.
    EXPECT_EQ(transferLine(received),
              QStringLiteral("홍길동님이 보낸 사진 100%.jpg 파일을 받았습니다 "
                             "(저장한 곳: /home/kim/받은 파일/사진 100%.jpg)"));
    EXPECT_EQ(transferLine(sent), QStringLiteral("lee님에게 a.txt 파일을 보냈습니다"));
    // A name never breaks the line.
    const protocol::TransferReport forged{
        false, QStringLiteral("lee\r\nkim : hi"), QStringLiteral("a\u2028b"), {}};
    const QString line = transferLine(forged);
    EXPECT_FALSE(line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')) ||
                 line.contains(QChar::LineSeparator))
        << line.toStdString();
}

TEST(ChatWebAddress, OnlyHttpAndHttpsWithAHostAreOpened) {
    EXPECT_EQ(webAddress(QStringLiteral(" http://a.example/x ")).toString(),
              QStringLiteral("http://a.example/x"));
    EXPECT_EQ(webAddress(QStringLiteral("HTTPS://b.example")).host(), QStringLiteral("b.example"));
    for (const char* refused : {"file:///etc/passwd", "javascript:alert(1)", "http://", "a.example",
                                "ftp://a.example/", "", "http//a.example"})
        EXPECT_TRUE(webAddress(QString::fromLatin1(refused)).isEmpty()) << refused;
}

class ServerListFetchTest : public ::testing::Test {
protected:
    ServerListFetchTest() { platformtest::ensureCoreApplication(); }
};

TEST_F(ServerListFetchTest, FetchesParsesAndReportsFailuresAsEmpty) {
    testsupport::HttpServer http;
    ASSERT_TRUE(http.listening());
    http.serve(QStringLiteral("/Server3.txt"),
               {200,
                "bad line\r\n" + platform::cp949::fromUnicode(QStringLiteral("첫째")) +
                    "$127.0.0.1$3000\r\nb$h2$4000",
                "text/plain"});
    http.serve(QStringLiteral("/missing.txt"), {404, "no", "text/plain"});
    ServerListFetch fetch;
    QSignalSpy finished(&fetch, &ServerListFetch::finished);

    ASSERT_TRUE(fetch.start(http.url(QStringLiteral("/Server3.txt"))));
    EXPECT_TRUE(fetch.isRunning());
    EXPECT_FALSE(fetch.start(http.url(QStringLiteral("/Server3.txt")))); // one at a time
    ASSERT_TRUE(finished.wait(10000));
    const auto servers = finished[0][0].value<QList<ServerEntry>>();
    ASSERT_EQ(servers.size(), 2);
    EXPECT_EQ(serverNames(servers), (QStringList{QStringLiteral("첫째"), "b"}));
    EXPECT_EQ(servers[1], (ServerEntry{"b", "h2", 4000}));
    EXPECT_FALSE(fetch.isRunning());
    EXPECT_EQ(http.hits(QStringLiteral("/Server3.txt")), 1);

    // An error status is a failure even though a body came.
    ASSERT_TRUE(fetch.start(http.url(QStringLiteral("/missing.txt"))));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(finished[1][0].value<QList<ServerEntry>>().isEmpty());
    // Nobody listening: a failure too.
    ASSERT_TRUE(fetch.start(QUrl(QStringLiteral("http://127.0.0.1:1/Server3.txt"))));
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(finished[2][0].value<QList<ServerEntry>>().isEmpty());
}

} // namespace
