// The favourites commands without a window: which texts go where, which line of user.txt each
// command touches, and that only what reached the file is reported as done.
#include "platform/codec.h"
#include "platform/lines.h"
#include "remote/favorites.h"
#include "tests/unit/remote_recorder.h"

#include <QFile>

namespace {

using platform::cp949::fromUnicode;
using remotetest::RecordingEditor;
using remotetest::RecordingWindow;

// user.txt at the start: a blank line between the first and second rows.
const QByteArray kUser =
    fromUnicode(u"연합뉴스^mms://news.example.net/\r\n\r\nB^mms://b\r\nC^mms://c");

class RemoteFavoritesCommands : public remotetest::HomeFolder {
protected:
    void SetUp() override {
        HomeFolder::SetUp();
        writeUser(kUser);
        commands.reload();
    }
    void writeUser(const QByteArray& bytes) {
        ASSERT_TRUE(platform::lines::writeFileAtomic(dataFile(QStringLiteral("user.txt")), bytes));
    }
    QByteArray user() const {
        QFile f(dataFile(QStringLiteral("user.txt")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    // A click on a row of the favourites page.
    void pick(int row) {
        window.page = CFavorites::kPage;
        commands.onListClicked(row);
    }
    RecordingWindow window;
    RecordingEditor editor;
    CFavorites commands{window, window, editor};
};

} // namespace

TEST_F(RemoteFavoritesCommands, AddChecksTheEditsAppendsAndStaysOpen) {
    window.page = 3;
    commands.onAdd();
    EXPECT_EQ(editor.mode, QStringLiteral("add"));
    EXPECT_TRUE(editor.visible);
    EXPECT_EQ(window.page, CFavorites::kPage);
    commands.add();
    editor.nameText = QStringLiteral("새 채널");
    commands.add();
    EXPECT_EQ(editor.informed, (QStringList{QStringLiteral("채널명을 입력하세요!"),
                                            QStringLiteral("주소를 입력하세요!")}));
    EXPECT_EQ(user(), kUser);
    editor.addressText = QStringLiteral(" mms://new .example.net/ 라이브");
    commands.add();
    EXPECT_EQ(user(), kUser + fromUnicode(u"\r\n새 채널^mms://new.example.net/라이브"));
    EXPECT_EQ(window.rows[CFavorites::kPage].rowCount(), 4);
    EXPECT_EQ(window.rows[CFavorites::kPage].name(3), fromUnicode(u"새 채널"));
    EXPECT_TRUE(editor.visible); // ready for the next one
    EXPECT_TRUE(editor.nameText.isEmpty());
    EXPECT_TRUE(window.messages.isEmpty());
    // user.txt belongs to the installation: without it nothing is created.
    QFile::remove(dataFile(QStringLiteral("user.txt")));
    editor.nameText = QStringLiteral("X");
    editor.addressText = QStringLiteral("mms://x");
    commands.add();
    EXPECT_FALSE(QFile::exists(dataFile(QStringLiteral("user.txt"))));
    EXPECT_EQ(editor.nameText, QStringLiteral("X")); // not cleared: it did not go in
}

TEST_F(RemoteFavoritesCommands, EditNeedsARowPickedOnThisPageAndRewritesThatLine) {
    pick(1);
    window.page = 4; // a pick made before switching pages does not count
    commands.onEdit();
    EXPECT_EQ(window.texts(), QStringList{QStringLiteral("수정할 즐겨찾기채널을 선택해 주세요!")});
    EXPECT_EQ(window.page, CFavorites::kPage);
    EXPECT_FALSE(editor.visible);
    EXPECT_EQ(commands.selection(), -1);
    pick(1); // "B", the line after the blank one
    commands.onEdit();
    EXPECT_EQ(editor.mode, QStringLiteral("edit"));
    EXPECT_EQ(editor.nameText, QStringLiteral("B"));
    EXPECT_EQ(editor.addressText, QStringLiteral("mms://b"));
    EXPECT_TRUE(editor.visible);
    editor.nameText = QStringLiteral("비");
    editor.addressText = QStringLiteral("mms:// b2");
    commands.saveEdit();
    EXPECT_EQ(user(),
              fromUnicode(u"연합뉴스^mms://news.example.net/\r\n\r\n비^mms://b2\r\nC^mms://c"));
    EXPECT_EQ(editor.informed, QStringList{QStringLiteral("채널 수정 완료!")});
    EXPECT_FALSE(editor.visible);
    EXPECT_EQ(commands.selection(), -1);
    EXPECT_EQ(window.rows[CFavorites::kPage].name(1), fromUnicode(u"비"));
    // The file lost that row meanwhile: the dialog closes without claiming anything.
    pick(2);
    commands.onEdit();
    writeUser("A^1");
    editor.informed.clear();
    commands.saveEdit();
    EXPECT_EQ(user(), QByteArray("A^1"));
    EXPECT_TRUE(editor.informed.isEmpty());
    EXPECT_FALSE(editor.visible);
}

TEST_F(RemoteFavoritesCommands, DeleteAsksNamesTheChannelAndReportsOnlyWhatWasRemoved) {
    window.page = CFavorites::kPage;
    commands.onDelete();
    EXPECT_EQ(window.texts(), QStringList{QStringLiteral("삭제할 즐겨찾기채널을 선택해 주세요!")});
    window.messages.clear();
    pick(0);
    window.answers.enqueue(platform::IDNO);
    commands.onDelete();
    ASSERT_EQ(window.messages.size(), 1);
    EXPECT_EQ(window.messages[0].text,
              QStringLiteral("선택하신 연합뉴스 채널을 삭제하시겠습니까?"));
    EXPECT_EQ(window.messages[0].buttons, platform::Buttons::YesNo);
    EXPECT_EQ(window.messages[0].icon, platform::Icon::Question);
    EXPECT_EQ(commands.selection(), 0); // still picked after No
    EXPECT_EQ(user(), kUser);
    window.messages.clear();
    pick(2);
    window.answers.enqueue(platform::IDYES);
    commands.onDelete();
    EXPECT_EQ(window.texts(), (QStringList{QStringLiteral("선택하신 C 채널을 삭제하시겠습니까?"),
                                           QStringLiteral("채널 삭제 완료!")}));
    EXPECT_EQ(user(), fromUnicode(u"연합뉴스^mms://news.example.net/\r\n\r\nB^mms://b"));
    EXPECT_EQ(window.rows[CFavorites::kPage].rowCount(), 2);
    EXPECT_EQ(commands.selection(), -1);
    // A row the file no longer has: asked, not removed, not reported.
    window.messages.clear();
    pick(1);
    writeUser("A^1");
    window.answers.enqueue(platform::IDYES);
    commands.onDelete();
    EXPECT_EQ(window.messages.size(), 1);
    EXPECT_EQ(user(), QByteArray("A^1"));
}
