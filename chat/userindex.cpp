#include "chat/userindex.h"

namespace chat {

namespace {
constexpr qsizetype lowBit(qsizetype i) {
    return i & -i;
}
} // namespace

bool UserIndex::append(const QByteArray& name) {
    if (slotOf_.contains(name))
        return false;
    // Slots of users who left are reclaimed once they outnumber the listed ones, so a server
    // that lists and unlists users for ever cannot grow the index.
    if (qsizetype(names_.size()) >= 2 * listed_ + 64)
        compact();
    const qsizetype slot = qsizetype(names_.size());
    names_.push_back(name);
    listedBySlot_.push_back(true);
    // A new Fenwick node n covers slots (n - lowBit(n), n]: the listed ones before this slot in
    // that range, plus this one.
    const qsizetype node = slot + 1;
    if (tree_.empty())
        tree_.push_back(0);
    tree_.push_back(int(countBefore(slot) - countBefore(node - lowBit(node)) + 1));
    slotOf_.insert(name, slot);
    ++listed_;
    return true;
}

qsizetype UserIndex::rowOf(const QByteArray& name) const {
    const auto it = slotOf_.constFind(name);
    return it == slotOf_.cend() ? -1 : countBefore(it.value());
}

qsizetype UserIndex::remove(const QByteArray& name) {
    const auto it = slotOf_.constFind(name);
    if (it == slotOf_.cend())
        return -1;
    const qsizetype slot = it.value();
    const qsizetype row = countBefore(slot);
    slotOf_.erase(it);
    listedBySlot_[size_t(slot)] = false;
    names_[size_t(slot)].clear();
    add(slot, -1);
    --listed_;
    return row;
}

void UserIndex::clear() {
    slotOf_.clear();
    names_.clear();
    listedBySlot_.clear();
    tree_.clear();
    listed_ = 0;
}

void UserIndex::add(qsizetype slot, int delta) {
    for (qsizetype n = slot + 1; n < qsizetype(tree_.size()); n += lowBit(n))
        tree_[size_t(n)] += delta;
}

qsizetype UserIndex::countBefore(qsizetype slot) const {
    qsizetype sum = 0;
    for (qsizetype n = std::min(slot, qsizetype(tree_.size()) - 1); n > 0; n -= lowBit(n))
        sum += tree_[size_t(n)];
    return sum;
}

void UserIndex::compact() {
    std::vector<QByteArray> names = std::move(names_);
    const std::vector<bool> listed = std::move(listedBySlot_);
    clear();
    for (size_t i = 0; i < names.size(); ++i)
        if (listed[i])
            append(names[i]);
}

} // namespace chat
