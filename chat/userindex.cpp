#include "chat/userindex.h"

#include <bit>

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
    if (qsizetype(slots_.size()) >= 2 * listed_ + 64)
        compact();
    const qsizetype slot = qsizetype(slots_.size());
    slots_.push_back(Slot{UserRow{name, true}, true});
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
    slots_[size_t(slot)] = Slot{UserRow{}, false};
    add(slot, -1);
    --listed_;
    return row;
}

void UserIndex::clear() {
    slotOf_.clear();
    slots_.clear();
    tree_.clear();
    listed_ = 0;
}

const UserRow* UserIndex::at(qsizetype row) const {
    if (row < 0 || row >= listed_)
        return nullptr;
    return &slots_[size_t(slotOfRow(row))].row;
}

void UserIndex::setChecked(qsizetype row, bool checked) {
    if (row >= 0 && row < listed_)
        slots_[size_t(slotOfRow(row))].row.checked = checked;
}

bool UserIndex::isMuted(const QByteArray& name) const {
    const auto it = slotOf_.constFind(name);
    return it != slotOf_.cend() && !slots_[size_t(it.value())].row.checked;
}

QList<UserRow> UserIndex::rows() const {
    QList<UserRow> out;
    out.reserve(listed_);
    for (const Slot& s : slots_)
        if (s.listed)
            out << s.row;
    return out;
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

// The slot holding the (row + 1)-th listed user: the tree is descended from its widest node,
// keeping the prefix below the wanted count.
qsizetype UserIndex::slotOfRow(qsizetype row) const {
    const qsizetype nodes = qsizetype(tree_.size()) - 1;
    qsizetype node = 0;
    qsizetype wanted = row + 1;
    for (qsizetype step = qsizetype(std::bit_floor(size_t(nodes))); step > 0; step >>= 1) {
        if (node + step <= nodes && tree_[size_t(node + step)] < wanted) {
            node += step;
            wanted -= tree_[size_t(node)];
        }
    }
    return node; // node + 1 is the wanted node; its slot is one less
}

void UserIndex::compact() {
    std::vector<Slot> old = std::move(slots_);
    clear();
    for (const Slot& s : old) {
        if (!s.listed)
            continue;
        append(s.row.name);
        slots_.back().row.checked = s.row.checked;
    }
}

} // namespace chat
