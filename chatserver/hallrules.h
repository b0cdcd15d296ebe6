#pragma once
// The rules every chat hall applies alike, whether its world lives in memory or in Redis:
// what a nickname and a PIN may be, how a "CR" line reads, and the texts the server sends.
#include <QByteArray>
#include <QByteArrayView>

namespace chatd {

// CP949 bytes of a text written in the source.
QByteArray cp949(const char* utf8);

namespace rules {

constexpr int kMinCapacity = 2;
constexpr int kMaxCapacity = 20; // what the chat client offers
constexpr qsizetype kMaxNickname = 24;
constexpr qsizetype kMaxTitle = 200;

bool validNickname(QByteArrayView nick);
// "Pin=" and five characters: digits, right-aligned with spaces.
bool validPinLine(QByteArrayView line);

// Where a client is in the log-on dialogue.
enum class LogOnStage { Id, Name, Pin, Finishing, In };
// The name and PIN steps, alike in every hall: the reply to send, and the stage the client is in
// afterwards (the same stage when the line was refused).
struct LogOnStep {
    QByteArray reply;
    LogOnStage next;
};
LogOnStep nameOrPinStep(LogOnStage stage, QByteArrayView line);

// "CR <capacity>  <escaped title>": the capacity and the title cut to kMaxTitle bytes.
struct CreateRequest {
    int capacity = 0;
    QByteArray title;
};
CreateRequest parseCreate(QByteArrayView rest);
// The refusal of a "CR", or empty when the request can be served.
QByteArray refuseCreate(const CreateRequest& request, int maxCapacity);

// At most kCreatesPerSecond room creations per client within any one second of the given clock.
constexpr int kCreatesPerSecond = 5;
class CreateBudget {
public:
    bool take(qint64 nowMs);

private:
    qint64 since_ = 0;
    int used_ = 0;
};
QByteArray createTooFast(); // the refusal, as sent

// "!R+ <n> <members>/<capacity> <title>"
QByteArray roomRow(int number, qsizetype members, int capacity, const QByteArray& title);

// Texts of the server, as sent (escaped CP949).
QByteArray nicknameRefused();
QByteArray roomMissing();
QByteArray roomFull();
QByteArray leftSuffix();   // after the nickname in "!SM <nick>…" when a user leaves a room
QByteArray joinedSuffix(); // … when a user enters one
QByteArray whisperMissed(const QByteArray& to);
QByteArray whisperSent(const QByteArray& to);

} // namespace rules
} // namespace chatd
