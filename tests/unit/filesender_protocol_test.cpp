// The file sender without windows: request files, the control exchange on both sides, offers,
// sizes, received names and the progress lines.
#include "filesender/transferprotocol.h"
#include "filesender/transfersession.h"
#include "platform/codec.h"

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace filesender;
using platform::cp949::fromUnicode;

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return f.fileName();
}

TEST(FileSenderRequest, FourTrimmedLinesMissingLinesEmptyAndBoundedRead) {
    QTemporaryDir dir;
    TransferRequest r;
    EXPECT_EQ(readRequest(dir.filePath(QStringLiteral("Transfer9.dat")), r), RequestError::Missing);

    const QString path = writeFile(dir, QStringLiteral("Transfer0.dat"),
                                   " bob \r\n\talice\r\n" + fromUnicode(u"/home/a/보고서 1.txt  ") +
                                       "\r\n 10.0.0.7 \r\nmore\r\n");
    ASSERT_EQ(readRequest(path, r), RequestError::None);
    EXPECT_EQ(r.recipientId, "bob");
    EXPECT_EQ(r.senderId, "alice");
    EXPECT_EQ(r.filePath, QStringLiteral("/home/a/보고서 1.txt"));
    EXPECT_EQ(r.peerAddress, QStringLiteral("10.0.0.7"));

    // Fewer lines still make a request; the missing ones are empty.
    ASSERT_EQ(readRequest(writeFile(dir, QStringLiteral("Transfer1.dat"), "bob\r\nalice"), r),
              RequestError::None);
    EXPECT_EQ(r.senderId, "alice");
    EXPECT_TRUE(r.filePath.isEmpty());
    EXPECT_TRUE(r.peerAddress.isEmpty());

    // A huge file is not read whole: only its head counts.
    QByteArray huge = "bob\r\nalice\r\n/x\r\n1.2.3.4\r\n";
    huge += QByteArray(8 * 1024 * 1024, 'z');
    ASSERT_EQ(readRequest(writeFile(dir, QStringLiteral("Transfer2.dat"), huge), r),
              RequestError::None);
    EXPECT_EQ(r.peerAddress, QStringLiteral("1.2.3.4"));

    // A folder of that name exists but cannot be read as a request.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Transfer3.dat")));
    EXPECT_EQ(readRequest(dir.filePath(QStringLiteral("Transfer3.dat")), r),
              RequestError::Unreadable);
}

TEST(FileSenderProtocol, KeywordsOffersSizesAndNames) {
    EXPECT_EQ(findKeyword("SendFile_Yes"), Keyword::Yes);
    EXPECT_EQ(findKeyword("xxSend_Startyy SendFile_No"), Keyword::No); // fixed order decides
    EXPECT_EQ(findKeyword("Send_OverSend_Start"), Keyword::Start);
    EXPECT_EQ(findKeyword("Send_Over"), Keyword::Over);
    EXPECT_EQ(findKeyword("sendfile_yes"), Keyword::None);

    const auto offer = parseOffer("  al ice  my file.txt ");
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->senderId, "al");
    EXPECT_EQ(offer->fileName, "ice  my file.txt");
    EXPECT_FALSE(parseOffer("   "));
    EXPECT_FALSE(parseOffer("nospace"));
    EXPECT_EQ(makeOffer("alice", QStringLiteral("C:\\docs\\보고서.hwp")),
              "alice " + fromUnicode(u"보고서.hwp"));
    EXPECT_EQ(makeOffer("alice", QStringLiteral("/home/a/b.txt")), "alice b.txt");

    EXPECT_EQ(parseSize("5368709120"), 5368709120LL); // over 4 GiB
    EXPECT_EQ(parseSize(" 42\r\n"), 42);
    EXPECT_EQ(parseSize("0"), 0);
    // Anything but decimal digits is no size (it used to become a 0-byte "success").
    for (const QByteArray& bad :
         {QByteArray("abc"), QByteArray(" 12abc"), QByteArray("- 1"), QByteArray("0x10"),
          QByteArray("+5"), QByteArray("1 2"), QByteArray(""), QByteArray("   ")})
        EXPECT_FALSE(parseSize(bad)) << bad.toStdString();
    EXPECT_EQ(parseSize("9223372036854775807"), 9223372036854775807LL);
    EXPECT_FALSE(parseSize("9223372036854775808"));
    EXPECT_FALSE(parseSize("-5"));

    // Only the last component is proposed; what would point elsewhere becomes a safe name.
    EXPECT_EQ(safeFileName("../../etc/passwd"), QStringLiteral("passwd"));
    EXPECT_EQ(safeFileName("C:\\Windows\\win.ini"), QStringLiteral("win.ini"));
    EXPECT_EQ(safeFileName(fromUnicode(u"보고서.txt")), QStringLiteral("보고서.txt"));
    // No hidden files, and nothing a save dialog expands to a home folder.
    EXPECT_EQ(safeFileName(".bashrc"), QStringLiteral("bashrc"));
    EXPECT_EQ(safeFileName("x/..profile"), QStringLiteral("profile"));
    EXPECT_EQ(safeFileName("notes~"), QStringLiteral("notes~"));
    for (const QByteArray& bad :
         {QByteArray(".."), QByteArray("a/.."), QByteArray("dir/"), QByteArray(""), QByteArray("~"),
          QByteArray("~user"), QByteArray("x/~root"), QByteArray("..."), QByteArray(". ~"),
          QByteArray("a\x01"
                     "b"),
          QByteArray("x\n.txt"), QByteArray(300, 'n')})
        EXPECT_EQ(safeFileName(bad), text::SafeName) << bad.toStdString();
}

// The request is read up to its limit and not a byte further.
TEST(FileSenderRequest, ReadLimitIsExact) {
    QTemporaryDir dir;
    TransferRequest r;
    const QByteArray head = "bob\r\nalice\r\n/";
    const QByteArray tail = "\r\n1.2.3.4";
    const QByteArray pad(kRequestFileLimit - head.size() - tail.size(), 'p');
    ASSERT_EQ(readRequest(writeFile(dir, QStringLiteral("T1.dat"), head + pad + tail), r),
              RequestError::None);
    EXPECT_EQ(r.peerAddress, QStringLiteral("1.2.3.4"));
    EXPECT_EQ(r.filePath.size(), 1 + pad.size());
    ASSERT_EQ(readRequest(writeFile(dir, QStringLiteral("T2.dat"), head + pad + tail + "5"), r),
              RequestError::None);
    EXPECT_EQ(r.peerAddress, QStringLiteral("1.2.3.4"));
    ASSERT_EQ(readRequest(writeFile(dir, QStringLiteral("T3.dat"), QByteArray()), r),
              RequestError::None);
    EXPECT_EQ(r.recipientId, QByteArray());
    EXPECT_EQ(r.peerAddress, QString());
}

TEST(FileSenderProtocol, SizesAtTheirEdges) {
    EXPECT_EQ(parseSize("0"), 0);
    EXPECT_EQ(parseSize(" 7 "), 7);
    EXPECT_EQ(parseSize("9"), 9);
    // Decimal digits only: anything else beside them is no size at all, never a 0-byte file.
    for (const char* loose : {"", " ", "5/", "5:", "/5", ":5", "+5", "-0", "-9", "-", "-x", "-/",
                              "-:", "0x10", "- 1", "1 2"})
        EXPECT_FALSE(parseSize(loose)) << loose;
    // One below the largest, the largest, and the largest with a digit more.
    EXPECT_EQ(parseSize("9223372036854775806"), 9223372036854775806LL);
    EXPECT_EQ(parseSize("922337203685477580"), 922337203685477580LL);
    EXPECT_FALSE(parseSize("9223372036854775809"));
    EXPECT_FALSE(parseSize("92233720368547758070"));
}

TEST(FileSenderProtocol, NamesAtTheirEdges) {
    // 255 bytes of a name are one component; 256 are not. Korean counts in UTF-8 bytes.
    EXPECT_EQ(safeFileName(QByteArray(255, 'n')), QString(255, QLatin1Char('n')));
    EXPECT_EQ(safeFileName(QByteArray(256, 'n')), text::SafeName);
    const QString han85(85, QChar(0xD55C)); // 255 bytes in UTF-8, 170 in CP949
    EXPECT_EQ(safeFileName(fromUnicode(han85)), han85);
    EXPECT_EQ(safeFileName(fromUnicode(han85 + QLatin1Char('x'))), text::SafeName);
    EXPECT_EQ(safeFileName(" a.txt "), QStringLiteral("a.txt"));
    EXPECT_EQ(safeFileName("..."), text::SafeName); // only dots: nothing left of the name
    EXPECT_EQ(safeFileName("a\tb"), text::SafeName);
    EXPECT_EQ(safeFileName("\xB0"), text::SafeName);      // half a character
    EXPECT_EQ(safeFileName("a\xA1\xA9"), text::SafeName); // a soft hyphen (a format character)
    EXPECT_EQ(safeFileName("a\x7F"), text::SafeName);
    EXPECT_EQ(safeFileName("a~"), QStringLiteral("a~"));

    EXPECT_EQ(fileNameOf(QStringLiteral("a/b\\c")), QStringLiteral("c"));
    EXPECT_EQ(fileNameOf(QStringLiteral("a\\b/c")), QStringLiteral("c"));
    EXPECT_EQ(fileNameOf(QStringLiteral("/c")), QStringLiteral("c"));
    EXPECT_EQ(fileNameOf(QStringLiteral("c")), QStringLiteral("c"));
    EXPECT_EQ(fileNameOf(QStringLiteral("c/")), QString());

    EXPECT_FALSE(parseOffer(" a"));
    EXPECT_FALSE(parseOffer(""));
    const auto offer = parseOffer("a b");
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->senderId, "a");
    EXPECT_EQ(offer->fileName, "b");

    EXPECT_EQ(findKeyword(""), Keyword::None);
    EXPECT_EQ(findKeyword("xSend_Over"), Keyword::Over);
    EXPECT_EQ(findKeyword("SendFile_Ye"), Keyword::None);
    EXPECT_EQ(findKeyword("Send_Overs SendFile_Yes"), Keyword::Yes);
}

TEST(FileSenderProtocol, KilobytesAndPercentAtTheirEdges) {
    EXPECT_EQ(kiloField(1999), QStringLiteral("           1"));
    EXPECT_EQ(kiloField(999'999'999'999'999LL), QStringLiteral("999999999999"));
    EXPECT_EQ(kiloField(9'999'999'999'999'999LL), QStringLiteral("9999999999999"));
    EXPECT_EQ(progressPercent(0, 1), 0);
    EXPECT_EQ(progressPercent(1, 1), 100);
    EXPECT_EQ(progressPercent(5, -1), 0);
    EXPECT_EQ(progressPercent(99, 100), 99);
    EXPECT_EQ(progressPercent(1, 100), 1);
}

TEST(FileSenderProtocol, KilobyteLinesAndPercent) {
    EXPECT_EQ(kiloField(0), QString(12, QLatin1Char(' ')));
    EXPECT_EQ(kiloField(999), QString(12, QLatin1Char(' '))); // below one kilobyte: blanks
    EXPECT_EQ(kiloField(1000), QStringLiteral("           1"));
    EXPECT_EQ(kiloField(1023999), QStringLiteral("        1023")); // a kilobyte is 1000 bytes
    EXPECT_EQ(sentLine(10'000'000), QStringLiteral("현재 보낸 양 :        10000 KBytes"));
    EXPECT_EQ(receivedLine(0), QStringLiteral("현재 받은 양 :              KBytes"));
    EXPECT_EQ(totalLine(5368709120LL), QStringLiteral("전체 파일 크기 :      5368709 KBytes"));
    EXPECT_EQ(progressPercent(0, 0), 0);
    EXPECT_EQ(progressPercent(1, 3), 33);
    EXPECT_EQ(progressPercent(5368709119LL, 5368709120LL), 99); // truncated, no 32-bit overflow
    EXPECT_EQ(progressPercent(7, 7), 100);
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

TEST(FileSenderSession, SenderOffersAnnouncesAndStartsOnce) {
    FakeView v;
    v.size = 5368709120LL;
    TransferSession s(v, request());
    EXPECT_EQ(s.state(), XS_SENDER);
    EXPECT_EQ(s.title(), QStringLiteral("보고서.txt 파일 송신중"));
    s.connected();
    ASSERT_EQ(v.sent.size(), 1);
    EXPECT_EQ(v.sent[0], "alice " + fromUnicode(u"보고서.txt"));

    s.received("SendFile_Yes");
    EXPECT_EQ(v.sent.value(1), "5368709120");
    EXPECT_EQ(s.total(), 5368709120LL);
    EXPECT_EQ(v.amount, text::PreparingTransfer);
    s.received(" Send_Start ");
    EXPECT_EQ(v.sendWorkers, 1);
    s.writable(); // the socket stays writable: still one worker
    EXPECT_EQ(v.sendWorkers, 1);
    EXPECT_FALSE(s.readsControl()); // the connection is the worker's now
    s.received("Send_Start");
    EXPECT_EQ(v.sendWorkers, 1);
    EXPECT_TRUE(v.ended.isEmpty());

    s.workerEnded(WorkerEnd::Done);
    s.closed(); // late notifications change nothing
    EXPECT_EQ(v.ended, QStringList{QString()});
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
        EXPECT_TRUE(s.ended());
        EXPECT_EQ(v.sendWorkers, 0);
    }
}

TEST(FileSenderSession, ReceiverWithoutAnOfferEndsSilently) {
    // Gone before any offer, or no offer in time: nobody was asked, so nothing is told.
    for (const bool timeOut : {false, true}) {
        FakeView v;
        TransferSession s(v);
        EXPECT_TRUE(s.offerPending());
        EXPECT_FALSE(s.asking());
        timeOut ? s.offerTimedOut() : s.closed();
        EXPECT_EQ(v.ended, QStringList{QString()});
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
    for (const QByteArray& bad : {QByteArray("abc"), QByteArray("- 1"), QByteArray("0x10")}) {
        FakeView v;
        TransferSession s(v);
        s.received("alice a.txt");
        s.answerAccept(true);
        s.received(bad);
        EXPECT_EQ(v.ended, QStringList{text::ReceiveProblem}) << bad.toStdString();
        EXPECT_TRUE(v.proposed.isEmpty());
        EXPECT_EQ(v.receiveWorkers, 0);
    }
}

TEST(FileSenderSession, ReceiverAsksSavesAndHandsOver) {
    FakeView v;
    TransferSession s(v);
    EXPECT_EQ(s.state(), XS_OFFER_WAIT);
    EXPECT_TRUE(s.waitingForUser());
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
    EXPECT_EQ(v.sent, QList<QByteArray>{"SendFile_Yes"});
    EXPECT_EQ(s.state(), XS_SIZE_WAIT);
    EXPECT_EQ(v.title, QStringLiteral("보고서 최종.txt 파일 수신중"));
    EXPECT_TRUE(s.readsControl());
    s.answerAccept(true); // a second answer is not a second Yes
    EXPECT_EQ(v.sent.size(), 1);

    s.received("5368709120");
    EXPECT_EQ(s.state(), XS_DATA_WAIT);
    EXPECT_EQ(s.total(), 5368709120LL);
    EXPECT_EQ(v.amount, text::PreparingReceive);
    EXPECT_EQ(v.proposed, QStringList{QStringLiteral("보고서 최종.txt")});
    EXPECT_TRUE(s.asking());
    EXPECT_EQ(v.receiveWorkers, 0);
    s.answerAccept(false); // not what was asked
    EXPECT_TRUE(v.ended.isEmpty());
    s.answerSavePath(QStringLiteral("/tmp/target.bin"));
    EXPECT_EQ(v.sent.value(1), "Send_Start");
    EXPECT_EQ(v.receiveWorkers, 1);
    EXPECT_EQ(s.filePath(), QStringLiteral("/tmp/target.bin"));
    s.answerSavePath(QStringLiteral("/tmp/again.bin"));
    EXPECT_EQ(v.receiveWorkers, 1);
    EXPECT_EQ(s.filePath(), QStringLiteral("/tmp/target.bin"));
    // The data that follows is the worker's, not a control message.
    EXPECT_FALSE(s.readsControl());
    EXPECT_FALSE(s.waitingForUser());
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
        EXPECT_TRUE(v.ended.isEmpty());
        EXPECT_EQ(s.state(), XS_SIZE_WAIT);
    }
}

TEST(FileSenderSession, ReceiverEndsSilentlyOnNoBadOfferOrCancelledSave) {
    {
        FakeView v;
        TransferSession s(v);
        s.received("alice a.txt");
        s.answerAccept(false);
        EXPECT_EQ(v.sent, QList<QByteArray>{"SendFile_No"});
        EXPECT_EQ(v.ended, QStringList{QString()});
        EXPECT_FALSE(s.asking());
    }
    for (const QByteArray& offer : {QByteArray("   "), QByteArray("alice")}) {
        FakeView v;
        TransferSession s(v);
        s.received(offer);
        EXPECT_TRUE(v.asked.isEmpty());
        EXPECT_TRUE(v.sent.isEmpty());
        EXPECT_EQ(v.ended, QStringList{QString()});
    }
    {
        FakeView v;
        TransferSession s(v);
        s.received("alice a.txt");
        s.answerAccept(true);
        s.received("10");
        s.answerSavePath(QString());
        EXPECT_EQ(v.sent, QList<QByteArray>{"SendFile_Yes"});
        EXPECT_EQ(v.receiveWorkers, 0);
        EXPECT_EQ(v.ended, QStringList{QString()});
    }
    {
        // A received name never leads the Save As out of the chosen folder.
        FakeView v;
        TransferSession s(v);
        s.received("mallory ../../.bashrc");
        s.answerAccept(true);
        s.received("10");
        EXPECT_EQ(v.proposed, QStringList{QStringLiteral("bashrc")});
    }
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
        EXPECT_EQ(s.state(), XS_SIZE_WAIT);
        EXPECT_TRUE(s.readsControl());
        s.received("7");
        EXPECT_EQ(v.sent, (QList<QByteArray>{"SendFile_Yes", "Send_Start"}));
        EXPECT_EQ(v.receiveWorkers, 1);
        EXPECT_EQ(s.filePath(), QStringLiteral("/tmp/now.bin"));
        EXPECT_FALSE(s.asking());
        EXPECT_TRUE(v.ended.isEmpty());
    }
}

TEST(FileSenderSession, PeerGoneDuringAQuestionEndsOnceAndALateAnswerSaysNothing) {
    {
        FakeView v;
        TransferSession s(v);
        s.received("alice a.txt");
        s.closed();
        EXPECT_FALSE(s.waitingForUser());
        s.answerAccept(true);
        EXPECT_TRUE(v.sent.isEmpty());
        EXPECT_EQ(v.ended, QStringList{text::ConnectionError});
    }
    {
        FakeView v;
        TransferSession s(v);
        s.received("alice a.txt");
        s.answerAccept(true);
        s.received("10");
        s.cancel();
        s.answerSavePath(QStringLiteral("/tmp/target.bin"));
        EXPECT_EQ(v.sent, QList<QByteArray>{"SendFile_Yes"});
        EXPECT_EQ(v.receiveWorkers, 0);
        EXPECT_EQ(v.ended, QStringList{QString()});
    }
}

// The second question (Save As) is open when the peer goes, or the window is closed; a late
// answer then changes nothing.
TEST(FileSenderSession, PeerGoneOrCancelledDuringTheSaveQuestion) {
    for (const bool cancelled : {false, true}) {
        FakeView v;
        TransferSession s(v);
        s.received("alice a.txt");
        s.answerAccept(true);
        s.received("10");
        ASSERT_EQ(v.proposed, QStringList{QStringLiteral("a.txt")});
        cancelled ? s.cancel() : s.closed();
        EXPECT_FALSE(s.waitingForUser());
        EXPECT_FALSE(s.readsControl());
        s.answerSavePath(QStringLiteral("/tmp/late.bin"));
        EXPECT_EQ(v.sent, QList<QByteArray>{"SendFile_Yes"});
        EXPECT_EQ(v.receiveWorkers, 0);
        EXPECT_EQ(v.ended, QStringList{cancelled ? QString() : text::ConnectionError});
        EXPECT_NE(s.filePath(), QStringLiteral("/tmp/late.bin"));
    }
    // Cancelled during the first question: no answer goes out, not even a late one.
    FakeView v;
    TransferSession s(v);
    s.received("alice a.txt");
    s.cancel();
    s.answerAccept(true);
    EXPECT_TRUE(v.sent.isEmpty());
    EXPECT_EQ(v.ended, QStringList{QString()});
}

TEST(FileSenderSession, ReceiverStatesAsTheyChange) {
    FakeView v;
    TransferSession s(v);
    EXPECT_EQ(s.role(), Role::Receiving);
    EXPECT_EQ(s.title(), text::SendingSuffix);
    EXPECT_TRUE(s.readsControl());
    s.connected(); // only a sender offers
    EXPECT_TRUE(v.sent.isEmpty());
    s.received("alice a.txt");
    EXPECT_FALSE(s.readsControl()); // nothing more is read while the user is asked
    EXPECT_TRUE(s.waitingForUser());
    s.answerAccept(true);
    EXPECT_TRUE(s.readsControl());
    EXPECT_EQ(v.sent, QList<QByteArray>{"SendFile_Yes"});
    s.received("10");
    EXPECT_FALSE(s.readsControl());
    s.answerSavePath(QStringLiteral("/tmp/x.bin"));
    EXPECT_EQ(s.state(), XS_DATA_WAIT);
    EXPECT_EQ(s.total(), 10);
    EXPECT_EQ(v.ended, QStringList{});
    EXPECT_EQ(v.receiveWorkers, 1);
    EXPECT_EQ(v.sendWorkers, 0);
    // A size that does not fit ends with the receive problem.
    FakeView big;
    TransferSession t(big);
    t.received("alice a.txt");
    t.answerAccept(true);
    t.received("99999999999999999999");
    EXPECT_EQ(big.ended, QStringList{text::ReceiveProblem});
    EXPECT_TRUE(big.proposed.isEmpty());
}

TEST(FileSenderSession, SenderStartsOnlyAfterStartAndOnlyOnce) {
    FakeView v;
    TransferSession s(v, request());
    EXPECT_EQ(s.role(), Role::Sending);
    EXPECT_FALSE(s.waitingForUser());
    EXPECT_TRUE(s.readsControl());
    s.writable();
    EXPECT_EQ(v.sendWorkers, 0);
    s.received("SendFile_Yes");
    s.writable();
    EXPECT_EQ(v.sendWorkers, 0);
    s.received("Send_Start");
    s.writable();
    EXPECT_EQ(v.sendWorkers, 1);
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
    EXPECT_FALSE(t.readsControl());
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
        s.received("alice a.txt");
        s.answerAccept(true);
        s.received("10");
        s.answerSavePath(QStringLiteral("/tmp/x.bin"));
        ASSERT_EQ(v.receiveWorkers, 1);
        s.workerEnded(end);
        EXPECT_EQ(v.ended, QStringList{expected}) << int(end);
    }
}

} // namespace
