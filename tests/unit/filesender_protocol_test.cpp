// The file sender without windows: request files, the control exchange on both sides, offers,
// sizes, received names and the progress lines.
#include "filesender/transferprotocol.h"
#include "filesender/transfersession.h"
#include "platform/codec.h"
#include "tests/unit/platform_testing.h"

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace filesender;
using platform::cp949::fromUnicode;

using platformtest::each;

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return f.fileName();
}

TEST(FileSenderRequest, FourTrimmedLinesMissingLinesAndAnExactReadLimit) {
    QTemporaryDir dir;
    TransferRequest r;
    EXPECT_EQ(readRequest(dir.filePath(QStringLiteral("Transfer9.dat")), r), RequestError::Missing);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Transfer3.dat")));
    EXPECT_EQ(readRequest(dir.filePath(QStringLiteral("Transfer3.dat")), r),
              RequestError::Unreadable);

    const QString path = writeFile(dir, QStringLiteral("Transfer0.dat"),
                                   " bob \r\n\talice\r\n" + fromUnicode(u"/home/a/보고서 1.txt  ") +
                                       "\r\n 10.0.0.7 \r\nmore\r\n");
    ASSERT_EQ(readRequest(path, r), RequestError::None);
    EXPECT_EQ(r.recipientId, "bob");
    EXPECT_EQ(r.senderId, "alice");
    EXPECT_EQ(r.filePath, QStringLiteral("/home/a/보고서 1.txt"));
    EXPECT_EQ(r.peerAddress, QStringLiteral("10.0.0.7"));

    // Fewer lines still make a request; the missing ones are empty.
    ASSERT_EQ(readRequest(writeFile(dir, QStringLiteral("T1.dat"), "bob\r\nalice"), r),
              RequestError::None);
    EXPECT_EQ(r.senderId, "alice");
    EXPECT_TRUE(r.filePath.isEmpty() && r.peerAddress.isEmpty());

    // Read up to the limit and not a byte further; a huge file is not read whole.
    const QByteArray head = "bob\r\nalice\r\n/", tail = "\r\n1.2.3.4";
    const QByteArray pad(kRequestFileLimit - head.size() - tail.size(), 'p');
    for (const QByteArray& more : {QByteArray(), QByteArray("5"), QByteArray(8 << 20, 'z')}) {
        ASSERT_EQ(
            readRequest(writeFile(dir, QStringLiteral("T3.dat"), head + pad + tail + more), r),
            RequestError::None);
        EXPECT_EQ(r.peerAddress, QStringLiteral("1.2.3.4"));
        EXPECT_EQ(r.filePath.size(), 1 + pad.size());
    }
}

TEST(FileSenderProtocol, KeywordsInTheirFixedOrderAndSizesOfDecimalDigitsOnly) {
    using K = Keyword;
    EXPECT_EQ(
        each(findKeyword,
             {"SendFile_Yes", "xxSend_Startyy SendFile_No", "Send_OverSend_Start", "Send_Over",
              "xSend_Over", "Send_Overs SendFile_Yes", "sendfile_yes", "SendFile_Ye", ""}),
        (QList<K>{K::Yes, K::No, K::Start, K::Over, K::Over, K::Yes, K::None, K::None, K::None}));
    using S = std::optional<qint64>;
    EXPECT_EQ(each(parseSize, {"0", "9", " 42\r\n", " 7 ", "5368709120", "922337203685477580",
                               "9223372036854775806", "9223372036854775807"}),
              (QList<S>{0, 9, 42, 7, 5368709120LL, 922337203685477580LL, 9223372036854775806LL,
                        9223372036854775807LL}));
    // Anything else is no size at all (it used to become a 0-byte "success").
    for (const char* bad : {"",   " ",  "   ", "abc", " 12abc", "5/", "5:", "/5",   ":5",  "+5",
                            "-0", "-5", "-9",  "-",   "-x",     "-/", "-:", "0x10", "- 1", "1 2"})
        EXPECT_FALSE(parseSize(bad)) << bad;
    for (const char* over : {"9223372036854775808", "9223372036854775809", "92233720368547758070"})
        EXPECT_FALSE(parseSize(over)) << over;
}

TEST(FileSenderProtocol, OffersAndReceivedNames) {
    const auto offer = parseOffer("  al ice  my file.txt ");
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->senderId + '|' + offer->fileName, "al|ice  my file.txt");
    const auto shortest = parseOffer("a b");
    ASSERT_TRUE(shortest);
    EXPECT_EQ(shortest->senderId + '|' + shortest->fileName, "a|b");
    for (const char* bad : {"   ", "nospace", " a", ""})
        EXPECT_FALSE(parseOffer(bad)) << bad;
    EXPECT_EQ(makeOffer("alice", QStringLiteral("C:\\docs\\보고서.hwp")),
              "alice " + fromUnicode(u"보고서.hwp"));
    EXPECT_EQ(makeOffer("alice", QStringLiteral("/home/a/b.txt")), "alice b.txt");

    EXPECT_EQ(each(fileNameOf, {QStringLiteral("a/b\\c"), QStringLiteral("a\\b/c"),
                                QStringLiteral("/c"), QStringLiteral("c"), QStringLiteral("c/")}),
              (QStringList{"c", "c", "c", "c", ""}));

    // Only the last component is proposed: no hidden files, nothing a save dialog expands to a
    // home folder. 255 bytes of a name are one component, Korean counted in UTF-8 bytes.
    const QString han85(85, QChar(0xD55C)); // 255 bytes in UTF-8, 170 in CP949
    EXPECT_EQ(
        each(safeFileName, {QByteArray("../../etc/passwd"), QByteArray("C:\\Windows\\win.ini"),
                            fromUnicode(u"보고서.txt"), QByteArray(".bashrc"),
                            QByteArray("x/..profile"), QByteArray(" a.txt "), QByteArray("notes~"),
                            QByteArray("a~"), QByteArray(255, 'n'), fromUnicode(han85)}),
        (QStringList{"passwd", "win.ini", QStringLiteral("보고서.txt"), "bashrc", "profile",
                     "a.txt", "notes~", "a~", QString(255, QLatin1Char('n')), han85}));
    // Half a character, a soft hyphen (a format character), one byte too many.
    for (const QByteArray& bad :
         {QByteArray(".."), QByteArray("a/.."), QByteArray("dir/"), QByteArray(""), QByteArray("~"),
          QByteArray("~user"), QByteArray("x/~root"), QByteArray("..."), QByteArray(". ~"),
          QByteArray("a\001b"), QByteArray("x\n.txt"), QByteArray("a\tb"), QByteArray("a\x7F"),
          QByteArray("\xB0"), QByteArray("a\xA1\xA9"), QByteArray(256, 'n'), QByteArray(300, 'n'),
          fromUnicode(han85 + QLatin1Char('x'))})
        EXPECT_EQ(safeFileName(bad), text::SafeName) << bad.toStdString();
}

TEST(FileSenderProtocol, KilobyteLinesAndPercent) {
    // Blanks below one kilobyte; a kilobyte is 1000 bytes.
    EXPECT_EQ(
        each(kiloField, {0LL, 999LL, 1000LL, 1999LL, 1023999LL, 999'999'999'999'999LL,
                         9'999'999'999'999'999LL}),
        (QStringList{QString(12, QLatin1Char(' ')), QString(12, QLatin1Char(' ')), "           1",
                     "           1", "        1023", "999999999999", "9999999999999"}));
    EXPECT_EQ(sentLine(10'000'000), QStringLiteral("현재 보낸 양 :        10000 KBytes"));
    EXPECT_EQ(receivedLine(0), QStringLiteral("현재 받은 양 :              KBytes"));
    EXPECT_EQ(totalLine(5368709120LL), QStringLiteral("전체 파일 크기 :      5368709 KBytes"));
    // Truncated, and no 32-bit overflow on the way.
    auto percent = [](std::pair<qint64, qint64> p) { return progressPercent(p.first, p.second); };
    EXPECT_EQ(each(percent, {std::pair<qint64, qint64>{0, 0},
                             {5, -1},
                             {0, 1},
                             {1, 1},
                             {7, 7},
                             {1, 3},
                             {1, 100},
                             {99, 100},
                             {5368709119LL, 5368709120LL}}),
              (QList<int>{0, 0, 0, 100, 100, 33, 1, 99, 99}));
}

// A window stand-in recording what the session asked of it. Questions are answered by the test.
class FakeView : public TransferView {
public:
    QList<QByteArray> sent;
    QStringList ended;
    QStringList asked;
    QStringList proposed;
    QString title;
    QString amount;
    std::optional<qint64> size = 1234;
    int sendWorkers = 0;
    int receiveWorkers = 0;

    void sendControl(const QByteArray& m) override { sent << m; }
    void askAccept(const QString& id, const QString& name) override {
        asked << id + QLatin1Char('|') + name;
    }
    void askSavePath(const QString& name) override { proposed << name; }
    std::optional<qint64> sourceSize(const QString&) override { return size; }
    void startSendWorker() override { ++sendWorkers; }
    void startReceiveWorker() override { ++receiveWorkers; }
    void setTitle(const QString& t) override { title = t; }
    void showProgress(const QString& line) override { amount = line; }
    void end(const QString& text) override { ended << text; }
};

TransferRequest request() {
    return TransferRequest{"bob", "alice", QStringLiteral("/home/alice/보고서.txt"),
                           QStringLiteral("127.0.0.3")};
}

// A receiver that was offered a.txt, accepted it and got `size`: the Save As is asked.
void upToTheSaveQuestion(TransferSession& s, const QByteArray& size = "10") {
    s.received("alice a.txt");
    s.answerAccept(true);
    s.received(size);
}

TEST(FileSenderSession, SenderOffersAnnouncesAndStartsOnlyOnStartAndOnce) {
    FakeView v;
    v.size = 5368709120LL;
    TransferSession s(v, request());
    EXPECT_FALSE(s.waitingForUser());
    EXPECT_EQ(s.title(), QStringLiteral("보고서.txt 파일 송신중"));
    s.connected();
    EXPECT_EQ(v.sent, QList<QByteArray>{"alice " + fromUnicode(u"보고서.txt")});

    s.writable();
    s.received("SendFile_Yes");
    s.writable();
    EXPECT_EQ(v.sendWorkers, 0);
    EXPECT_EQ(v.sent.value(1), "5368709120");
    EXPECT_EQ(s.total(), 5368709120LL);
    EXPECT_EQ(v.amount, text::PreparingTransfer);
    s.received(" Send_Start ");
    EXPECT_EQ(v.sendWorkers, 1);
    s.writable();                   // the socket stays writable: still one worker
    EXPECT_FALSE(s.readsControl()); // the connection is the worker's now
    s.received("Send_Start");
    EXPECT_EQ(v.sendWorkers, 1);
    EXPECT_TRUE(v.ended.isEmpty());

    s.workerEnded(WorkerEnd::Done);
    s.closed(); // late notifications change nothing
    EXPECT_EQ(v.ended, QStringList{QString()});

    // After the end nothing starts or sends.
    FakeView w;
    TransferSession t(w, request());
    t.cancel();
    t.connected();
    t.received("Send_Start");
    t.writable();
    t.workerEnded(WorkerEnd::SaveProblem);
    EXPECT_TRUE(w.sent.isEmpty());
    EXPECT_EQ(w.sendWorkers, 0);
    EXPECT_EQ(w.ended, QStringList{QString()});
}

TEST(FileSenderSession, SenderFailuresEndOnceWithTheirTexts) {
    struct Case {
        std::function<void(TransferSession&, FakeView&)> act;
        QString text;
    };
    const Case cases[] = {
        {[](TransferSession& s, FakeView&) { s.received("SendFile_No"); }, text::Refused},
        {[](TransferSession& s, FakeView& v) {
             v.size.reset();
             s.received("SendFile_Yes");
         },
         text::CannotOpen},
        {[](TransferSession& s, FakeView&) { s.closed(); }, text::ConnectionError},
        {[](TransferSession& s, FakeView&) { s.connectTimedOut(); }, text::ConnectTimeout},
        {[](TransferSession& s, FakeView&) { s.received("Send_Over"); }, QString()},
        {[](TransferSession& s, FakeView&) { s.workerEnded(WorkerEnd::ConnectionError); },
         text::ConnectionError},
        {[](TransferSession& s, FakeView&) { s.workerEnded(WorkerEnd::ReceiveProblem); },
         text::ReceiveProblem},
    };
    for (const Case& c : cases) {
        FakeView v;
        TransferSession s(v, request());
        c.act(s, v);
        s.closed();
        s.connectTimedOut();
        EXPECT_EQ(v.ended, QStringList{c.text}) << c.text.toStdString();
        EXPECT_EQ(v.sendWorkers, 0);
    }
}

TEST(FileSenderSession, ReceiverWithoutAnOfferEndsSilently) {
    // Gone before any offer, no offer in time, or an offer that is none: nobody was asked, so
    // nothing is told.
    for (const int how : {0, 1, 2, 3}) {
        FakeView v;
        TransferSession s(v);
        EXPECT_TRUE(s.offerPending());
        if (how == 0)
            s.closed();
        else if (how == 1)
            s.offerTimedOut();
        else
            s.received(how == 2 ? "   " : "alice");
        EXPECT_EQ(v.ended, QStringList{QString()}) << how;
        EXPECT_TRUE(v.asked.isEmpty() && v.sent.isEmpty());
        EXPECT_FALSE(s.offerPending());
    }
    // Once the question is out the time-out no longer applies, and a lost peer is told.
    FakeView v;
    TransferSession s(v);
    s.received("alice a.txt");
    EXPECT_FALSE(s.offerPending());
    s.offerTimedOut();
    EXPECT_TRUE(v.ended.isEmpty());
    s.closed();
    EXPECT_EQ(v.ended, QStringList{text::ConnectionError});
}

TEST(FileSenderSession, AnAnnouncedSizeThatIsNoNumberIsAReceiveProblem) {
    FakeView v;
    TransferSession s(v);
    upToTheSaveQuestion(s, "- 1");
    EXPECT_EQ(v.ended, QStringList{text::ReceiveProblem});
    EXPECT_TRUE(v.proposed.isEmpty());
    EXPECT_EQ(v.receiveWorkers, 0);
}

TEST(FileSenderSession, ReceiverAsksSavesAndHandsOver) {
    FakeView v;
    TransferSession s(v);
    EXPECT_EQ(s.title(), text::SendingSuffix);
    EXPECT_TRUE(s.waitingForUser());
    s.connected(); // only a sender offers
    EXPECT_TRUE(v.sent.isEmpty());
    s.received("alice " + fromUnicode(u"보고서 최종.txt"));
    EXPECT_EQ(v.asked, QStringList{QStringLiteral("alice|보고서 최종.txt")});
    EXPECT_EQ(s.senderId(), "alice");
    // Nothing is said and nothing read until the user has answered.
    EXPECT_TRUE(v.sent.isEmpty());
    EXPECT_TRUE(s.asking());
    EXPECT_FALSE(s.readsControl());
    s.answerSavePath(QStringLiteral("/tmp/x")); // not what was asked
    EXPECT_TRUE(v.sent.isEmpty());
    s.answerAccept(true);
    EXPECT_EQ(v.title, QStringLiteral("보고서 최종.txt 파일 수신중"));
    EXPECT_TRUE(s.readsControl());
    s.answerAccept(true); // a second answer is not a second Yes

    s.received("5368709120");
    EXPECT_EQ(s.total(), 5368709120LL);
    EXPECT_EQ(v.amount, text::PreparingReceive);
    EXPECT_EQ(v.proposed, QStringList{QStringLiteral("보고서 최종.txt")});
    EXPECT_FALSE(s.readsControl());
    s.answerAccept(false); // not what was asked
    EXPECT_TRUE(v.ended.isEmpty());
    EXPECT_EQ(v.receiveWorkers, 0);
    s.answerSavePath(QStringLiteral("/tmp/target.bin"));
    s.answerSavePath(QStringLiteral("/tmp/again.bin"));
    EXPECT_EQ(v.sent, (QList<QByteArray>{"SendFile_Yes", "Send_Start"}));
    EXPECT_EQ(v.receiveWorkers, 1);
    EXPECT_EQ(v.sendWorkers, 0);
    EXPECT_EQ(s.filePath(), QStringLiteral("/tmp/target.bin"));
    // The data that follows is the worker's, not a control message.
    EXPECT_FALSE(s.readsControl() || s.waitingForUser());
    s.received("SendFile_No");
    EXPECT_TRUE(v.ended.isEmpty());
}

TEST(FileSenderSession, ReceiverOfferIsAnOfferEvenWithKeywordNames) {
    for (const QByteArray& name :
         {QByteArray("SendFile_No.txt"), QByteArray("Send_Over.doc"), QByteArray("SendFile_Yes")}) {
        FakeView v;
        TransferSession s(v);
        s.received("alice " + name);
        s.answerAccept(true);
        EXPECT_EQ(v.asked, QStringList{QStringLiteral("alice|") + QString::fromLatin1(name)});
        EXPECT_EQ(s.state(), XS_SIZE_WAIT);
    }
}

// A "No" is covered with the answer given from inside the question (below).
TEST(FileSenderSession, ReceiverEndsSilentlyOnACancelledSave) {
    FakeView v;
    TransferSession s(v);
    upToTheSaveQuestion(s);
    s.answerSavePath(QString());
    EXPECT_EQ(v.sent, QList<QByteArray>{"SendFile_Yes"});
    EXPECT_EQ(v.receiveWorkers, 0);
    EXPECT_EQ(v.ended, QStringList{QString()});

    // A received name never leads the Save As out of the chosen folder.
    FakeView w;
    TransferSession t(w);
    t.received("mallory ../../.bashrc");
    t.answerAccept(true);
    t.received("10");
    EXPECT_EQ(w.proposed, QStringList{QStringLiteral("bashrc")});
}

// A user who answers before the question call has returned.
class AnsweringView : public FakeView {
public:
    TransferSession* session = nullptr;
    bool accept = true;
    void askAccept(const QString& id, const QString& name) override {
        FakeView::askAccept(id, name);
        session->answerAccept(accept);
    }
    void askSavePath(const QString& name) override {
        FakeView::askSavePath(name);
        session->answerSavePath(QStringLiteral("/tmp/now.bin"));
    }
};

TEST(FileSenderSession, AnswersFromInsideTheQuestionCallCarryOn) {
    for (const bool accept : {true, false}) {
        AnsweringView v;
        v.accept = accept;
        TransferSession s(v);
        v.session = &s;
        s.received("alice a.txt");
        if (!accept) {
            EXPECT_EQ(v.sent, QList<QByteArray>{"SendFile_No"});
            EXPECT_EQ(v.ended, QStringList{QString()});
            continue;
        }
        EXPECT_TRUE(s.readsControl());
        s.received("7");
        EXPECT_EQ(v.sent, (QList<QByteArray>{"SendFile_Yes", "Send_Start"}));
        EXPECT_EQ(v.receiveWorkers, 1);
        EXPECT_EQ(s.filePath(), QStringLiteral("/tmp/now.bin"));
        EXPECT_FALSE(s.asking());
        EXPECT_TRUE(v.ended.isEmpty());
    }
}

// The peer goes, or the window is closed, while the first or the second question is open: it
// ends once, and a late answer says and starts nothing.
TEST(FileSenderSession, PeerGoneOrCancelledDuringAQuestion) {
    for (const bool atSave : {false, true})
        for (const bool cancelled : {false, true}) {
            SCOPED_TRACE(std::to_string(atSave) + std::to_string(cancelled));
            FakeView v;
            TransferSession s(v);
            if (atSave) {
                upToTheSaveQuestion(s);
                ASSERT_EQ(v.proposed, QStringList{QStringLiteral("a.txt")});
            } else {
                s.received("alice a.txt");
            }
            cancelled ? s.cancel() : s.closed();
            EXPECT_FALSE(s.waitingForUser() || s.readsControl());
            s.answerAccept(true);
            s.answerSavePath(QStringLiteral("/tmp/late.bin"));
            EXPECT_EQ(v.sent, atSave ? QList<QByteArray>{"SendFile_Yes"} : QList<QByteArray>{});
            EXPECT_EQ(v.receiveWorkers, 0);
            EXPECT_EQ(v.ended, QStringList{cancelled ? QString() : text::ConnectionError});
            EXPECT_NE(s.filePath(), QStringLiteral("/tmp/late.bin"));
        }
}

TEST(FileSenderSession, EveryWorkerEndHasItsText) {
    const std::pair<WorkerEnd, QString> ends[] = {
        {WorkerEnd::Done, QString()},
        {WorkerEnd::Stopped, QString()},
        {WorkerEnd::CannotOpen, text::CannotOpen},
        {WorkerEnd::ConnectionError, text::ConnectionError},
        {WorkerEnd::CannotCreate, text::CannotCreate},
        {WorkerEnd::ReceiveProblem, text::ReceiveProblem},
        {WorkerEnd::SaveProblem, text::SaveProblem},
    };
    for (const auto& [end, expected] : ends) {
        FakeView v;
        TransferSession s(v);
        upToTheSaveQuestion(s);
        s.answerSavePath(QStringLiteral("/tmp/x.bin"));
        ASSERT_EQ(v.receiveWorkers, 1);
        s.workerEnded(end);
        EXPECT_EQ(v.ended, QStringList{expected}) << int(end);
    }
}

} // namespace
