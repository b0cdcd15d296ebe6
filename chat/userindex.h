#pragma once
// The listed users' rows found by nickname without a scan of the list. Each user takes the next
// slot in order of arrival; a Fenwick tree counts the slots still listed, so a user's row is the
// count of listed slots before its own. Servers may list tens of thousands of users and send a
// leave event for each: every operation here is O(log n).
#include <QByteArray>
#include <QHash>
#include <vector>

namespace chat {

class UserIndex {
public:
    // Lists a user after the others; false (nothing changes) when the nickname is listed already.
    bool append(const QByteArray& name);
    // The row of the user named exactly `name` (bytes compared as they are), or -1.
    qsizetype rowOf(const QByteArray& name) const;
    // Takes the user named exactly `name` out; the row it had, or -1 when it was not listed.
    qsizetype remove(const QByteArray& name);
    void clear();
    qsizetype size() const { return listed_; }
    // Slots in use, listed or not (bounded by a multiple of size(), for tests).
    qsizetype slotsInUse() const { return qsizetype(names_.size()); }

private:
    void add(qsizetype slot, int delta);
    // Listed users in slots [0, slot).
    qsizetype countBefore(qsizetype slot) const;
    void compact();

    QHash<QByteArray, qsizetype> slotOf_;
    std::vector<QByteArray> names_; // by slot; the slot of a user who left stays unlisted
    std::vector<bool> listedBySlot_;
    std::vector<int> tree_; // Fenwick tree over slots, 1-based (tree_[0] unused)
    qsizetype listed_ = 0;
};

} // namespace chat
