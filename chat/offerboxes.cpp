#include "chat/offerboxes.h"

#include "chat/chatui.h"
#include "chat/skinmessagedlg.h"
#include "platform/dialogs.h"
#include "platform/log.h"

#include <QWidget>
#include <utility>

COfferBoxes::COfferBoxes(QWidget* owner) : QObject(owner), owner_(owner) {}

CSkinMessageDlg* COfferBoxes::openBox(Kind kind) const {
    CSkinMessageDlg* box = slots_[kind].box;
    return box && box->isVisible() ? box : nullptr;
}

void COfferBoxes::show(Kind kind, const QString& text, int lines, bool ask, Answered answered) {
    Slot& slot = slots_[kind];
    Pending pending{text, lines, ask, std::move(answered)};
    if (!openBox(kind)) {
        open(kind, std::move(pending));
        return;
    }
    if (kind == RoomFull) {
        qCDebug(platform::log::chat) << "a room-full notice while one is shown was dropped";
        return;
    }
    if (slot.waiting.size() >= size_t(kQueueBound)) {
        qCWarning(platform::log::chat) << "too many offers waiting; the oldest was dropped";
        slot.waiting.pop_front();
    }
    slot.waiting.push_back(std::move(pending));
}

void COfferBoxes::open(Kind kind, Pending pending) {
    Slot& slot = slots_[kind];
    if (!slot.box) {
        slot.box = new CSkinMessageDlg(owner_);
        connect(slot.box, &QDialog::finished, this, [this, kind] { onFinished(kind); });
    }
    slot.answered = std::move(pending.answered);
    slot.box->prepare(pending.text, pending.lines, pending.ask);
    platform::dialogs::stayWithOwner(slot.box, owner_);
    chat::ui::placeOnScreen(slot.box, owner_);
    // Window-modal without a loop of its own: the answer comes back through finished().
    slot.box->open();
}

void COfferBoxes::onFinished(Kind kind) {
    Slot& slot = slots_[kind];
    const Answered answered = std::exchange(slot.answered, {});
    const int answer = slot.box->answer();
    if (!slot.waiting.empty()) {
        Pending next = std::move(slot.waiting.front());
        slot.waiting.pop_front();
        open(kind, std::move(next));
    }
    if (answered)
        answered(answer);
}

void COfferBoxes::closeAll() {
    for (Slot& slot : slots_) {
        slot.waiting.clear();
        slot.answered = {};
        if (slot.box && slot.box->isVisible())
            slot.box->done(QDialog::Accepted);
    }
}
