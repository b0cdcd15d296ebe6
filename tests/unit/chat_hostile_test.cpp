// The chat client's protocol against hostile peers and servers: giant and forged lines, address
// answers nobody asked for, users with look-alike names and the index that finds them.
#include "chat/chatprotocol.h"
#include "chat/userindex.h"
#include "platform/codec.h"

#include <QList>
#include <gtest/gtest.h>
#include <random>

using namespace chat;

namespace {

QByteArray k(const QString& text) {
    return platform::cp949::fromUnicode(text);
}

class Recorder : public ChatProtocol::Listener {
public:
    QStringList names, texts, calls, users;
    void showLine(const QString& n, const QString& t, Rgb) override {
        names << n;
        texts << t;
    }
    void userAdded(const QString& name) override { users << name; }
    void userRemoved(qsizetype index) override { users.removeAt(index); }
    void linkOffered(const QString& s, const QString& l) override {
        calls << "link " + s + "|" + l;
    }
    void addressReceived(const QString& a) override { calls << "ipre " + a; }
};

class ChatHostile : public ::testing::Test {
protected:
    ChatHostile() : p([](const QByteArray&) {}, &rec) {
        p.start("kim", "Vexo");
        p.connecting();
        for (const char* l : {":+WC", ":+ID ok.", ":+Name Ok.", ":+Ok.", "!RC 0"})
            p.dispatch(QByteArrayView(l));
        rec.texts.clear();
        rec.names.clear();
    }
    Recorder rec;
    ChatProtocol p;
};

bool breaksALine(const QString& s) {
    for (QChar c : s)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return true;
    return false;
}

TEST(ChatReadableText, CutsOnACharacterBoundaryAndMarksTheCut) {
    EXPECT_EQ(readableText(QStringLiteral("short")), QStringLiteral("short"));
    const QString exact(kShownTextLimit, QLatin1Char('a'));
    EXPECT_EQ(readableText(exact), exact);

    const QString longer = exact + QLatin1Char('b');
    EXPECT_EQ(readableText(longer), exact + QChar(0x2026));

    // A pair whose high half would be the last kept character goes whole.
    QString pair(kShownTextLimit - 1, QLatin1Char('a'));
    pair += QString::fromUcs4(U"\U0001F600xyz");
    const QString cut = readableText(pair);
    EXPECT_EQ(cut.size(), kShownTextLimit);
    EXPECT_FALSE(cut[cut.size() - 2].isHighSurrogate());
    EXPECT_EQ(cut.back(), QChar(0x2026));
}

TEST(ChatReadableText, NoControlCharacterOrSeparatorSurvives) {
    const QString forged =
        QStringLiteral("hi\r\nlee : give me your PIN\tand\x01\u2028\u2029\u0085!");
    const QString shown = readableText(forged);
    EXPECT_FALSE(breaksALine(shown));
    EXPECT_EQ(shown.size(), forged.size());
    EXPECT_TRUE(shown.startsWith(QStringLiteral("hi\uFFFD\uFFFDlee : give")));
    EXPECT_EQ(readableText(QStringLiteral("한글 그대로")), QStringLiteral("한글 그대로"));
}

// A 64 KiB line from the server in Korean (two CP949 bytes a character) reaches the view cut
// to the bound, whole characters only.
TEST_F(ChatHostile, AGiantRoomLineIsCutToTheBound) {
    QByteArray text;
    while (text.size() < 60000)
        text += k(QStringLiteral("가"));
    p.dispatch("!MR lee " + text);
    ASSERT_EQ(rec.texts.size(), 1);
    EXPECT_EQ(rec.texts[0].size(), kShownTextLimit + 1);
    EXPECT_EQ(rec.texts[0], QString(kShownTextLimit, QChar(0xAC00)) + QChar(0x2026));
}

TEST_F(ChatHostile, AForgedLineBreakNeverReachesTheView) {
    // CR and LF alone inside a received line: the framer only splits at CR LF.
    p.dispatch(QByteArrayView("!MR lee hello\nkim\\ :\\ I\\ owe\\ lee\\ money\rreally"));
    p.dispatch(QByteArrayView("!MI lee\nkim secret\n"));
    p.dispatch(QByteArrayView("!SM notice\rforged"));
    ASSERT_EQ(rec.texts.size(), 3);
    for (const QString& s : rec.names + rec.texts)
        EXPECT_FALSE(breaksALine(s)) << s.toStdString();
    EXPECT_EQ(rec.texts[0], QStringLiteral("hello\uFFFDkim : I owe lee money\uFFFDreally "));
}

TEST_F(ChatHostile, LinkOffersThatCannotBeReadAreDropped) {
    p.dispatch(QByteArrayView("!MI lee ~~Link http://a.example/\r\nfake\\ line"));
    p.dispatch("!MI lee ~~Link http://a.example/" + QByteArray(kShownTextLimit, 'x'));
    EXPECT_TRUE(rec.calls.isEmpty());
    p.dispatch(QByteArrayView("!MI lee ~~Link http://a.example/ok"));
    EXPECT_EQ(rec.calls, QStringList{"link lee|http://a.example/ok "});
}

TEST_F(ChatHostile, AnAddressAnswerIsTakenOnlyFromTheUserAskedOnce) {
    // Nothing asked: nobody's answer counts.
    p.dispatch(QByteArrayView("!MI lee ~~IPRE 10.0.0.9"));
    p.requestAddress("lee");
    EXPECT_TRUE(p.addressRequestPending());
    // A third user (and a name that only differs in case) answering for lee.
    p.dispatch(QByteArrayView("!MI park ~~IPRE 10.6.6.6"));
    p.dispatch(QByteArrayView("!MI LEE ~~IPRE 10.6.6.7"));
    EXPECT_TRUE(rec.calls.isEmpty());
    p.dispatch(QByteArrayView("!MI lee ~~IPRE 10.1.2.3"));
    p.dispatch(QByteArrayView("!MI lee ~~IPRE 10.1.2.4")); // a second answer: no request left
    EXPECT_EQ(rec.calls, QStringList{"ipre 10.1.2.3"});
    EXPECT_FALSE(p.addressRequestPending());

    // A request that timed out is answered too late.
    p.requestAddress("lee");
    p.cancelAddressRequest();
    p.dispatch(QByteArrayView("!MI lee ~~IPRE 10.1.2.5"));
    EXPECT_EQ(rec.calls.size(), 1);
}

TEST_F(ChatHostile, ALeavingUserTakesOnlyItsOwnRow) {
    for (const char* l : {"!U+ 0 - kimchi -", "!U+ 0 - KIM -", "!U+ 0 - kim -", "!U+ 0 - ki -"})
        p.dispatch(QByteArrayView(l));
    p.dispatch(QByteArrayView("!U- 0 - kim"));
    EXPECT_EQ(rec.users, (QStringList{"kimchi", "KIM", "ki"}));
    p.dispatch(QByteArrayView("!U- 0 - Ki"));
    p.dispatch(QByteArrayView("!U- 0 - kimc"));
    EXPECT_EQ(rec.users.size(), 3);
    // A user listed twice is one row, and leaves once.
    p.dispatch(QByteArrayView("!U+ 0 - ki -"));
    EXPECT_EQ(rec.users.size(), 3);
    p.dispatch(QByteArrayView("!U- 0 - ki"));
    EXPECT_EQ(rec.users, (QStringList{"kimchi", "KIM"}));
    // Muting goes by the exact name too.
    p.setUserChecked(1, false);
    EXPECT_TRUE(p.isMuted("KIM"));
    EXPECT_FALSE(p.isMuted("kimchi"));
    EXPECT_FALSE(p.isMuted("kim"));
}

// The index against a plain list doing the same, through random joins and leaves long enough
// to make the index reclaim its slots many times over.
TEST(ChatUserIndex, AgreesWithAPlainListAndStaysCompact) {
    UserIndex index;
    QList<QByteArray> plain;
    std::mt19937 random(7);
    for (int step = 0; step < 20000; ++step) {
        const QByteArray name = "u" + QByteArray::number(int(random() % 300));
        if (random() % 2) {
            const bool added = index.append(name);
            EXPECT_EQ(added, !plain.contains(name));
            if (!added)
                continue;
            plain << name;
            // Slots of users who left are reclaimed as new ones come.
            ASSERT_LE(index.slotsInUse(), 2 * index.size() + 64);
        } else {
            const qsizetype row = index.remove(name);
            EXPECT_EQ(row, plain.indexOf(name)) << step;
            if (row >= 0)
                plain.removeAt(row);
        }
        if (step % 97 == 0) {
            for (qsizetype i = 0; i < plain.size(); ++i) {
                ASSERT_EQ(index.rowOf(plain[i]), i) << step;
                ASSERT_EQ(index.at(i)->name, plain[i]) << step;
            }
            ASSERT_EQ(index.at(plain.size()), nullptr);
        }
        ASSERT_EQ(index.size(), plain.size());
    }
    EXPECT_EQ(index.rowOf("nobody"), -1);
    EXPECT_EQ(index.at(-1), nullptr);
    index.clear();
    EXPECT_EQ(index.size(), 0);
    EXPECT_EQ(index.rowOf(plain.value(0)), -1);
}

// A muted user stays muted while the slots of those who left are reclaimed around it.
TEST(ChatUserIndex, MutingSurvivesTheIndexReclaimingSlots) {
    UserIndex index;
    index.append("quiet");
    index.append("loud");
    index.setChecked(0, false);
    for (int n = 0; n < 1000; ++n) {
        const QByteArray name = "passer" + QByteArray::number(n);
        index.append(name);
        index.remove(name);
    }
    ASSERT_LE(index.slotsInUse(), 2 * index.size() + 64);
    EXPECT_TRUE(index.isMuted("quiet"));
    EXPECT_FALSE(index.isMuted("loud"));
    EXPECT_EQ(index.rows(), (QList<UserRow>{{"quiet", false}, {"loud", true}}));
    index.setChecked(1, false);
    EXPECT_TRUE(index.isMuted("loud"));
}

} // namespace
