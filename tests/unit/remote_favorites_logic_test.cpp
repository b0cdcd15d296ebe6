// The favourites commands without a window, where the window tests cannot reach: user.txt
// changed or gone under a command, and only what reached the file reported as done.
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

TEST_F(RemoteFavoritesCommands, AddToAMissingFileCreatesNothingAndKeepsTheEdits) {
    // user.txt belongs to the installation: without it nothing is created.
    QFile::remove(dataFile(QStringLiteral("user.txt")));
    commands.onAdd();
    editor.nameText = QStringLiteral("X");
    editor.addressText = QStringLiteral("mms://x");
    commands.add();
    EXPECT_FALSE(QFile::exists(dataFile(QStringLiteral("user.txt"))));
    EXPECT_EQ(editor.nameText, QStringLiteral("X")); // not cleared: it did not go in
}

// The file lost the picked row meanwhile: edit closes without claiming anything, delete asks
// but neither removes nor reports.
TEST_F(RemoteFavoritesCommands, ARowTheFileNoLongerHasIsNeitherEditedNorDeleted) {
    pick(0);
    window.answers.enqueue(platform::IDNO);
    commands.onDelete();
    EXPECT_EQ(commands.selection(), 0); // still picked after No
    window.messages.clear();
    pick(1);
    writeUser("A^1");
    window.answers.enqueue(platform::IDYES);
    commands.onDelete();
    EXPECT_EQ(window.messages.size(), 1);
    EXPECT_EQ(user(), QByteArray("A^1"));

    writeUser(kUser);
    commands.reload();
    pick(2);
    commands.onEdit();
    writeUser("A^1");
    commands.saveEdit();
    EXPECT_EQ(user(), QByteArray("A^1"));
    EXPECT_TRUE(editor.informed.isEmpty());
    EXPECT_FALSE(editor.visible);
}
