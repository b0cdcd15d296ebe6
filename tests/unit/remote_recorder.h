#pragma once
// Stand-ins for the remote's main window in unit tests: they record what the helpers show and
// answer their message boxes from a queue, with the data folder in a temporary home.
#include "platform/messages.h"
#include "remote/cataloguemodel.h"
#include "remote/favorites.h"
#include "remote/remoteview.h"
#include "remote/stationplayer.h"
#include "tests/unit/platform_testing.h"

#include <QDir>
#include <QList>
#include <QQueue>
#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>

namespace remotetest {

// BRONTAVIA_HOME in a temporary folder with an empty data folder, for one test.
class HomeFolder : public ::testing::Test {
protected:
    // Before the test's own members: sockets and timers need the application's event loop.
    HomeFolder() { platformtest::ensureCoreApplication(); }
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        ASSERT_TRUE(QDir().mkpath(home_.filePath(QStringLiteral("data"))));
    }
    QString dataFile(const QString& name) const {
        return home_.filePath(QStringLiteral("data/") + name);
    }
    QTemporaryDir home_;
    platformtest::ScopedEnv env_{"BRONTAVIA_HOME", home_.path().toLocal8Bit()};
};

// The pages, message boxes and file choosers of a main window.
class RecordingWindow : public remote::PageView, public remote::Notifier {
public:
    struct Message {
        QString text;
        platform::Buttons buttons = platform::Buttons::Ok;
        platform::Icon icon = platform::Icon::None;
    };
    int currentPage() const override { return page; }
    void setCurrentPage(int p) override { page = p; }
    catalogue::CatalogueModel* pageRows(int p) const override {
        return p >= 0 && p < int(rows.size()) ? &rows[p] : nullptr;
    }
    int message(const QString& text, platform::Buttons buttons, platform::Icon icon) override {
        messages << Message{text, buttons, icon};
        return answers.isEmpty() ? platform::IDOK : answers.dequeue();
    }
    // File choosers are cancelled.
    QString openFileName(const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QStringList texts() const {
        QStringList out;
        for (const Message& m : messages)
            out << m.text;
        return out;
    }
    int page = 5;
    mutable std::array<catalogue::CatalogueModel, 11> rows;
    QList<Message> messages;
    QQueue<int> answers; // message box answers; IDOK when empty
};

// The favourites dialog.
class RecordingEditor : public favorites::Editor {
public:
    void setAddMode() override { clearEdits(); }
    void setEditMode(const QString& n, const QString& a) override {
        nameText = n;
        addressText = a;
    }
    void present() override { visible = true; }
    QString name() const override { return nameText; }
    QString address() const override { return addressText; }
    void clearEdits() override {
        nameText.clear();
        addressText.clear();
    }
    void finish() override { visible = false; }
    void inform(const QString& text) override { informed << text; }
    QString nameText, addressText;
    bool visible = false;
    QStringList informed;
};

} // namespace remotetest
