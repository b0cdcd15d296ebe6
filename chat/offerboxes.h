#pragma once
// The boxes other users and the server can make the chat show: a link or homepage offered, a
// room that is full. At most one box of a kind is open at a time; it is opened without a modal
// loop of its own and answered through a callback, so boxes never nest however fast they come.
// Offers that arrive while one is open wait in a bounded queue; a repeated notice is dropped.
#include <QObject>
#include <QString>
#include <array>
#include <deque>
#include <functional>

class CSkinMessageDlg;
class QWidget;

class COfferBoxes : public QObject {
    Q_OBJECT
public:
    enum Kind { Link, Home, RoomFull, KindCount };
    // Offers of one kind waiting beyond the open box; older ones are dropped first.
    static constexpr qsizetype kQueueBound = 20;

    explicit COfferBoxes(QWidget* owner);

    // The answer (6 after OK, 7 after Cancel) of a box once it is closed.
    using Answered = std::function<void(int)>;
    // Shows a box of this kind now or, for an offer, after those before it. A notice (RoomFull)
    // that comes while one of its kind is open is dropped: it would say the same again.
    void show(Kind kind, const QString& text, int lines, bool ask, Answered answered = {});

    CSkinMessageDlg* openBox(Kind kind) const;
    qsizetype waiting(Kind kind) const { return slots_[kind].waiting.size(); }
    // Closes every box without calling back and forgets what waits (the window ends).
    void closeAll();

private:
    struct Pending {
        QString text;
        int lines = 0;
        bool ask = false;
        Answered answered;
    };
    struct Slot {
        CSkinMessageDlg* box = nullptr; // created on first use, owned by the owner window
        Answered answered;              // of the box on show
        std::deque<Pending> waiting;
    };

    void open(Kind kind, Pending pending);
    void onFinished(Kind kind);

    QWidget* owner_;
    std::array<Slot, KindCount> slots_;
};
