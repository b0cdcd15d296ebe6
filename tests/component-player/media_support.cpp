#include "media_support.h"

#include "platform/dialogs.h"
#include "platform/paths.h"
#include "player/session/session.h"
#include "protocol/files.h"
#include "tests/support/processes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace mediatest {

namespace {

QTemporaryDir& mediaDir() {
    static QTemporaryDir dir;
    return dir;
}

QString make(const QString& name, const QStringList& video, int seconds) {
    const QString path = mediaDir().filePath(name);
    if (QFileInfo::exists(path))
        return path;
    QStringList args{u"-v"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s};
    args << video;
    args << u"-f"_s << u"lavfi"_s << u"-i"_s << u"sine=frequency=440"_s << u"-t"_s
         << QString::number(seconds) << u"-c:v"_s << u"mpeg4"_s << u"-c:a"_s << u"mp2"_s << path;
    const testsupport::RunResult r = testsupport::run(u"ffmpeg"_s, args, 60000);
    return r.finished && r.exitCode == 0 && QFileInfo::exists(path) ? path : QString();
}

} // namespace

QString patternFile() {
    return make(u"pattern.avi"_s, {u"-i"_s, u"testsrc=size=320x240:rate=25"_s}, 3);
}

QString flatColourFile() {
    return make(u"flat.avi"_s, {u"-i"_s, u"color=c=0x3060C0:size=320x240:rate=25"_s}, 30);
}

QString scratchFolder() {
    const QString path = mediaDir().filePath(u"scratch"_s);
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

void MediaTest::SetUp() {
    qputenv("BRONTAVIA_AUDIO", "null");
    ASSERT_TRUE(mediaDir().isValid());
    ASSERT_FALSE(patternFile().isEmpty()) << "ffmpeg could not make the test media";
}

::testing::AssertionResult MediaTest::openAndPlay(media::MediaGraph& graph, const QString& file) {
    QSignalSpy rendered(&graph, &media::MediaGraph::rendered);
    QSignalSpy failed(&graph, &media::MediaGraph::renderFailed);
    if (!graph.render(file))
        return ::testing::AssertionFailure() << "render refused " << file.toStdString();
    if (!testsupport::waitUntil([&] { return !rendered.isEmpty() || !failed.isEmpty(); }) ||
        !failed.isEmpty())
        return ::testing::AssertionFailure() << "not rendered: " << file.toStdString();
    if (!graph.run())
        return ::testing::AssertionFailure() << "run failed";
    if (!testsupport::waitUntil([&] { return graph.currentPosition() > 0; }))
        return ::testing::AssertionFailure() << "the position never rose";
    return waitForFrames(graph, 3);
}

::testing::AssertionResult MediaTest::waitForFrames(media::MediaGraph& graph, int count) {
    QSignalSpy frames(&graph, &media::MediaGraph::frameShown);
    if (!testsupport::waitUntil([&] { return frames.count() >= count; }))
        return ::testing::AssertionFailure() << "only " << frames.count() << " pictures drawn";
    return ::testing::AssertionSuccess();
}

void PlayerTest::SetUp() {
    MediaTest::SetUp();
    platform::dialogs::clearAnswers();
    platform::dialogs::clearShown();
    QDir().mkpath(platform::paths::dataFolder());
    QFile::remove(dataFile(u"config.txt"_s));
    QFile::remove(dataFile(u"link.txt"_s));
    QFile::remove(protocol::handOverFile());
}

void PlayerTest::TearDown() {
    platform::dialogs::clearAnswers();
}

std::unique_ptr<CPlayerDlg> PlayerTest::openPlayer() {
    auto dlg = std::make_unique<CPlayerDlg>();
    EXPECT_TRUE(dlg->OnInitDialog());
    EXPECT_TRUE(settled(*dlg));
    return dlg;
}

bool PlayerTest::settled(CPlayerDlg& dlg) {
    return testsupport::waitUntil([&] { return !dlg.session().isTimerActive(kTimerRelayout); });
}

bool PlayerTest::waitPlaying(CPlayerDlg& dlg) {
    return testsupport::waitUntil([&] {
        return dlg.session().graph().isPlaying() && !dlg.controls().status->isVisible() &&
               !dlg.session().isTimerActive(kTimerConnect);
    });
}

QString PlayerTest::dataFile(const QString& name) {
    return platform::paths::dataFolder() + name;
}

void PlayerTest::writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

} // namespace mediatest
