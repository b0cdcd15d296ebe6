// The remote's station search in its window: opened by Ctrl+F or a letter typed in a page
// list, filtered as the user types, Enter and double-click playing as the page would, Escape
// putting everything back, and automation reaching the line (1060) and the list (1061).
#include "platform/codec.h"
#include "remote/cataloguemodel.h"
#include "remote/channelremotedlg.h"
#include "remote/searchpanel.h"
#include "remote/stationplayer.h"
#include "skin/tabsheet.h"
#include "tests/support/processes.h"
#include "tests/support/standins.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using platform::cp949::fromUnicode;
using testsupport::waitUntil;

namespace {

const QString kCtl = QStringLiteral(BRONTAVIA_BIN_DIR "/brontavia-ctl");

QByteArray line(const char16_t* name, const char* target) {
    return fromUnicode(QStringView(name)) + '^' + target;
}

// Typed as a keyboard with an input method would: one key event per character.
void type(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(w, &press);
    }
}

// A remote whose news (page 0), local (page 5), radio (page 7) and channel-file (page 10)
// pages hold a few stations.
struct Remote {
    CChannelRemoteDlg dlg;
    Remote() {
        EXPECT_TRUE(dlg.OnInitDialog());
        dlg.rows(1004)->setLines({line(u"KBS 뉴스", "mms://news.example.net/kbs"),
                                  line(u"MBC 뉴스", "mms://news.example.net/mbc")});
        dlg.rows(1007)->setLines({line(u"부산 지역 방송", "mms://local.example.net/busan")});
        dlg.rows(1014)->setLines({line(u"KBS 라디오", "mms://radio.example.net/kbs")});
        dlg.rows(1031)->setLines({line(u"방송대학", "mms://zt.example.net/univ")});
        dlg.show();
    }
    CSearchPanel& search() { return *dlg.searchPanel(); }
    QLineEdit* edit() { return search().line(); }
    QTreeView* results() { return search().results(); }
    QStringList shown(int column) {
        QStringList out;
        for (int r = 0; r < results()->model()->rowCount(); ++r)
            out << results()->model()->index(r, column).data().toString();
        return out;
    }
};

TEST(RemoteSearch, TypingALetterInAPageOpensItAndItFiltersAllPages) {
    Remote r;
    QTreeView* news = r.dlg.list(1004);
    EXPECT_TRUE(r.edit()->isHidden());
    EXPECT_TRUE(r.results()->isHidden());
    news->setFocus();
    // Moving, Ctrl+A and Space are the list's own keys.
    QTest::keyClick(news, Qt::Key_Down);
    QTest::keyClick(news, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(news, Qt::Key_Space);
    EXPECT_FALSE(r.search().isOpen());
    QTest::keyClick(news, Qt::Key_K);
    ASSERT_TRUE(r.search().isOpen());
    EXPECT_TRUE(r.edit()->isVisible());
    EXPECT_TRUE(r.results()->isVisible());
    EXPECT_EQ(r.edit()->text(), u"k"_s);
    EXPECT_EQ(r.dlg.focusWidget(), r.edit());
    // The list lies over the pages, the line over the bottom strip.
    EXPECT_EQ(r.results()->geometry(), r.dlg.tabSheet()->geometry());
    EXPECT_GT(r.edit()->geometry().top(), r.dlg.tabSheet()->geometry().bottom());

    QTest::keyClicks(r.edit(), u"bs"_s);
    EXPECT_EQ(r.shown(0), (QStringList{u"KBS 뉴스"_s, u"KBS 라디오"_s}));
    EXPECT_EQ(r.shown(1), (QStringList{u"뉴스/경제"_s, u"국내 라디오"_s}));

    r.edit()->clear();
    type(r.edit(), u"ㅂㅅ"_s);
    EXPECT_EQ(r.shown(0), (QStringList{u"부산 지역 방송"_s, u"방송대학"_s}));
    EXPECT_EQ(r.shown(1), (QStringList{u"지역 방송"_s, u"ZT 채널"_s}));
    // Rows that change while it is open are searched again.
    r.dlg.rows(1013)->setLines({line(u"부산 쇼핑", "mms://shop.example.net/")});
    EXPECT_EQ(r.shown(0).value(0), u"부산 쇼핑"_s);
    // A digit opens it too.
    QTest::keyClick(r.edit(), Qt::Key_Escape);
    QTest::keyClick(news, Qt::Key_1);
    EXPECT_TRUE(r.search().isOpen());
}

TEST(RemoteSearch, EnterAndDoubleClickPlayAsThePageWouldAndEscapePutsItBack) {
    Remote r;
    testsupport::PlayerStandIn lumaset;
    QSignalSpy handed(r.dlg.stationPlayer(), &CStationPlayer::handedOver);
    // What a double-click on the radio page hands over.
    QTreeView* radio = r.dlg.list(1014);
    Q_EMIT radio->doubleClicked(radio->model()->index(0, 0));
    ASSERT_EQ(handed.count(), 1);
    const QByteArray fromPage = handed.takeFirst().at(0).toByteArray();
    EXPECT_EQ(fromPage, line(u"KBS 라디오", "mms://radio.example.net/kbs"));

    r.dlg.tabSheet()->SetCurSel(3);
    QTreeView* music = r.dlg.list(1012);
    music->setFocus();
    QTest::keyClick(&r.dlg, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(r.search().isOpen());
    EXPECT_EQ(r.edit()->text(), QString());
    QTest::keyClicks(r.edit(), u"kbs"_s);
    ASSERT_EQ(r.results()->model()->rowCount(), 2);
    EXPECT_EQ(r.results()->currentIndex().row(), 0); // the first is chosen
    QTest::keyClick(r.edit(), Qt::Key_Down);
    EXPECT_EQ(r.results()->currentIndex().row(), 1);
    QTest::keyClick(r.edit(), Qt::Key_Return);
    ASSERT_EQ(handed.count(), 1);
    EXPECT_EQ(handed.takeFirst().at(0).toByteArray(), fromPage);
    EXPECT_TRUE(r.search().isOpen()); // still there to choose another

    r.results()->doItemsLayout(); // as the next paint would
    const QRect first = r.results()->visualRect(r.results()->model()->index(0, 0));
    ASSERT_TRUE(first.isValid());
    for (const QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                 QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const QPointF at(first.center());
        QMouseEvent click(t, at, r.results()->viewport()->mapToGlobal(at), Qt::LeftButton,
                          t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(r.results()->viewport(), &click);
    }
    ASSERT_EQ(handed.count(), 1);
    EXPECT_EQ(handed.takeFirst().at(0).toByteArray(),
              line(u"KBS 뉴스", "mms://news.example.net/kbs"));

    QTest::keyClick(r.edit(), Qt::Key_Escape);
    EXPECT_FALSE(r.search().isOpen());
    EXPECT_TRUE(r.results()->isHidden());
    EXPECT_EQ(r.edit()->text(), QString());
    EXPECT_EQ(r.results()->model()->rowCount(), 0);
    EXPECT_EQ(r.dlg.tabSheet()->GetCurSel(), 3);
    EXPECT_EQ(r.dlg.focusWidget(), music);
    EXPECT_TRUE(r.dlg.isVisible()); // Escape never ends the remote
    // Opened again, it starts empty; Escape from the list closes it too.
    QTest::keyClick(music, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(r.search().isOpen());
    EXPECT_EQ(r.results()->model()->rowCount(), 0);
    QTest::keyClick(r.results(), Qt::Key_Escape);
    EXPECT_FALSE(r.search().isOpen());
    EXPECT_EQ(handed.count(), 0);
}

QJsonObject control(const QByteArray& dump, int id) {
    for (const QJsonValue& c :
         QJsonDocument::fromJson(dump).object().value(QLatin1String("controls")).toArray())
        if (c.toObject().value(QLatin1String("id")).toInt() == id)
            return c.toObject();
    return {};
}

TEST(RemoteSearch, AutomationTypesReadsAndPlaysThroughTheIds) {
    Remote r;
    QSignalSpy handed(r.dlg.stationPlayer(), &CStationPlayer::handedOver);
    testsupport::PlayerStandIn lumaset;
    auto ctl = [](const QStringList& a) { return testsupport::run(kCtl, a); };
    const QString title = u"Brontavia3.0"_s;

    QByteArray dump = ctl({u"dump"_s, title}).out.toUtf8();
    EXPECT_FALSE(control(dump, 1060).value(QLatin1String("visible")).toBool(true));
    EXPECT_FALSE(control(dump, 1061).isEmpty());

    EXPECT_EQ(ctl({u"text"_s, title, u"1060"_s, u"ㅂㅅ"_s}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return r.results()->model()->rowCount() == 2; }));
    dump = ctl({u"dump"_s, title}).out.toUtf8();
    const QJsonObject edit = control(dump, 1060);
    EXPECT_TRUE(edit.value(QLatin1String("visible")).toBool());
    EXPECT_EQ(edit.value(QLatin1String("text")).toString(), u"ㅂㅅ"_s);
    const QJsonObject list = control(dump, 1061);
    EXPECT_EQ(list.value(QLatin1String("rowCount")).toInt(), 2);
    EXPECT_EQ(list.value(QLatin1String("items")).toArray().at(1).toArray(),
              (QJsonArray{u"방송대학"_s, u"ZT 채널"_s}));

    EXPECT_EQ(ctl({u"activate"_s, title, u"1061"_s, u"1"_s}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return handed.count() == 1; }));
    EXPECT_EQ(handed.at(0).at(0).toByteArray(), line(u"방송대학", "mms://zt.example.net/univ"));

    EXPECT_EQ(ctl({u"key"_s, title, u"Escape"_s}).exitCode, 0);
    EXPECT_TRUE(waitUntil([&] { return !r.search().isOpen(); }));
}

} // namespace
