// The file sender's gate for its boxes: one open at a time, the others in turn from the event
// loop, requests of owners that are gone dropped.
#include "filesender/boxgate.h"
#include "tests/support/processes.h"
#include "tests/unit/platform_testing.h"

#include <QCoreApplication>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

using filesender::BoxGate;

namespace {

// Boxes that only note that they were open; `inside` runs while the box is "open".
struct Boxes {
    BoxGate gate;
    QStringList opened;
    int depth = 0;
    int deepest = 0;

    std::function<void()> box(const QString& name, std::function<void()> inside = {}) {
        return [this, name, inside] {
            opened << name;
            deepest = std::max(deepest, ++depth);
            if (inside)
                inside();
            --depth;
        };
    }
};

class FileSenderBoxGate : public ::testing::Test {
protected:
    void SetUp() override { platformtest::ensureCoreApplication(); }
    static void settle() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
};

TEST_F(FileSenderBoxGate, BoxesAskedForWhileOneIsOpenRunInTurnAfterIt) {
    Boxes b;
    QObject a, c, d;
    // Requests made from inside the open box (as a box's own loop delivers other windows'
    // questions) wait; the free gate runs the first at once.
    b.gate.run(&a, b.box(QStringLiteral("a1"), [&] {
        b.gate.run(
            &c, b.box(QStringLiteral("c1"), [&] { b.gate.run(&a, b.box(QStringLiteral("a2"))); }));
        b.gate.run(&d, b.box(QStringLiteral("d1")));
        EXPECT_TRUE(b.gate.isOpen());
        EXPECT_EQ(b.gate.waiting(), 2);
    }));
    EXPECT_EQ(b.opened, QStringList{QStringLiteral("a1")});
    EXPECT_FALSE(b.gate.isOpen());
    // The next one opens from the event loop, not on the closed box's way out.
    EXPECT_EQ(b.gate.waiting(), 2);
    settle();
    EXPECT_EQ(b.opened, (QStringList{QStringLiteral("a1"), QStringLiteral("c1"),
                                     QStringLiteral("d1"), QStringLiteral("a2")}));
    EXPECT_EQ(b.deepest, 1);
    EXPECT_EQ(b.gate.waiting(), 0);

    // Free again: a request runs at once; while others wait, a new one queues behind them.
    b.opened.clear();
    b.gate.run(&a, b.box(QStringLiteral("x"), [&] { b.gate.run(&c, b.box(QStringLiteral("y"))); }));
    b.gate.run(&d, b.box(QStringLiteral("z")));
    EXPECT_EQ(b.opened, QStringList{QStringLiteral("x")});
    settle();
    EXPECT_EQ(b.opened,
              (QStringList{QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")}));
}

TEST_F(FileSenderBoxGate, DroppedRequestsAndThoseOfOwnersGoneNeverOpen) {
    Boxes b;
    QObject a, keep;
    auto gone = std::make_unique<QObject>();
    b.gate.run(&a, b.box(QStringLiteral("open"), [&] {
        b.gate.run(gone.get(), b.box(QStringLiteral("gone")));
        b.gate.run(&a, b.box(QStringLiteral("a dropped")));
        b.gate.run(&keep, b.box(QStringLiteral("kept")));
        b.gate.run(&a, b.box(QStringLiteral("a dropped too")));
        EXPECT_TRUE(b.gate.holds(&a));
        b.gate.drop(&a);
        EXPECT_FALSE(b.gate.holds(&a));
        EXPECT_TRUE(b.gate.holds(&keep));
    }));
    gone.reset();
    settle();
    EXPECT_EQ(b.opened, (QStringList{QStringLiteral("open"), QStringLiteral("kept")}));
    EXPECT_FALSE(b.gate.isOpen());
    EXPECT_EQ(b.gate.waiting(), 0);
    // Nothing stuck behind a dropped one: the gate runs the next at once.
    b.gate.run(&a, b.box(QStringLiteral("later")));
    EXPECT_EQ(b.opened.constLast(), QStringLiteral("later"));
}

TEST_F(FileSenderBoxGate, AGateTakenAwayInsideItsOpenBoxLeavesNothingBehind) {
    auto gate = std::make_unique<BoxGate>();
    QObject a;
    bool later = false;
    gate->run(&a, [&] {
        gate->run(&a, [&] { later = true; });
        gate.reset(); // the program goes while the box is open
    });
    settle();
    EXPECT_FALSE(later);
}

} // namespace
