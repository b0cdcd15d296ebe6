// The player's name strip with a programme guide: the programme on now follows the station's
// name only while that station plays, the clock moves it on, and the tooltip reaches the user
// although the strip lets the mouse through to the window.
#include "guide/index.h"
#include "guide/xmltv.h"
#include "player/ui/namestrip.h"

#include <QApplication>
#include <QHelpEvent>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

std::int64_t at(const char* text) {
    return guide::xmltv::parseTime(QString::fromLatin1(text)).value();
}

class NameStripTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        const std::int64_t news = at("20261207200000 +0900");
        ASSERT_TRUE(
            guide::index::write(index_, {{u"http://tv/kbs1"_s,
                                          u"KBS 1TV"_s,
                                          {{news, news + 5400, u"뉴스 9"_s, u"오늘의 소식"_s},
                                           {news + 5400, news + 9000, u"드라마"_s, {}}}}}));
        now_ = news + 60;
        window_.resize(400, 300);
        strip_ = new CNameStrip(&window_);
        strip_->setAttribute(Qt::WA_TransparentForMouseEvents);
        strip_->setGeometry(10, 250, 300, 16);
        strip_->nowPlaying().setIndexPath(index_);
        strip_->nowPlaying().setClock([this] { return now_; });
        window_.show();
    }
    bool waitForText(const QString& text) {
        return QTest::qWaitFor([&] { return strip_->text() == text; }, 10000);
    }
    QTemporaryDir dir_;
    QString index_ = dir_.filePath(u"guide/nownext.idx"_s);
    std::int64_t now_ = 0;
    QWidget window_;
    CNameStrip* strip_ = nullptr; // owned by window_
};

} // namespace

TEST_F(NameStripTest, ProgrammeFollowsTheNameOnlyWhileThatStationPlays) {
    strip_->setStationText(u"KBS 1TV"_s);
    strip_->follow(u"http://tv/kbs1"_s, u"KBS 1TV"_s, true);
    ASSERT_TRUE(waitForText(u"KBS 1TV  ·  뉴스 9"_s)) << strip_->text().toStdString();
    EXPECT_EQ(strip_->programme(), u"뉴스 9"_s);
    EXPECT_TRUE(strip_->toolTip().startsWith(u"지금: 뉴스 9 ("_s));
    QJsonObject described;
    strip_->describeControl(described);
    EXPECT_EQ(described[u"programme"_s].toString(), u"뉴스 9"_s);
    // The clock moves on to the next programme.
    now_ += 5400;
    strip_->nowPlaying().tick();
    EXPECT_EQ(strip_->text(), u"KBS 1TV  ·  드라마"_s);
    // A failure written after the name keeps the strip as the session wrote it.
    strip_->setStationText(u"KBS 1TVCasting 실패"_s);
    EXPECT_EQ(strip_->text(), u"KBS 1TVCasting 실패"_s);
    EXPECT_TRUE(strip_->programme().isEmpty());
    strip_->setStationText(u"KBS 1TV"_s);
    strip_->follow(u"http://tv/kbs1"_s, u"KBS 1TV"_s, false);
    EXPECT_EQ(strip_->text(), u"KBS 1TV"_s);
    EXPECT_TRUE(strip_->toolTip().isEmpty());
    // A station without a guide changes nothing.
    strip_->setStationText(u"SBS"_s);
    strip_->follow(u"http://tv/sbs"_s, u"SBS"_s, true);
    QTest::qWait(50);
    EXPECT_EQ(strip_->text(), u"SBS"_s);
}

TEST_F(NameStripTest, TooltipShowsOverTheStripThroughTheWindow) {
    strip_->setStationText(u"KBS 1TV"_s);
    strip_->follow(u"http://tv/kbs1"_s, u"KBS 1TV"_s, true);
    ASSERT_TRUE(waitForText(u"KBS 1TV  ·  뉴스 9"_s));
    const QPoint inside(20, 255);
    QHelpEvent help(QEvent::ToolTip, inside, window_.mapToGlobal(inside));
    QApplication::sendEvent(&window_, &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), strip_->toolTip());
    QToolTip::hideText();
    ASSERT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 5000));
    const QPoint outside(20, 20);
    QHelpEvent elsewhere(QEvent::ToolTip, outside, window_.mapToGlobal(outside));
    QApplication::sendEvent(&window_, &elsewhere);
    EXPECT_FALSE(QToolTip::isVisible());
}
