#pragma once
// The listed users in their order, found by nickname or by row without a scan or a shift of the
// list. Each user takes the next slot in order of arrival; a Fenwick tree counts the slots still
// listed, so a user's row is the count of listed slots before its own and a row's slot is found
// by descending the tree. Servers may list tens of thousands of users and send a leave event for
// each: every operation here but rows() is O(log n).
#include <QByteArray>
#include <QHash>
#include <QList>
#include <vector>

namespace chat {

struct UserRow {
    QByteArray name;
    bool checked = true; // unchecked: muted
    bool operator==(const UserRow&) const = default;
};

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

    // The user on a row; nothing for a row out of range.
    const UserRow* at(qsizetype row) const;
    void setChecked(qsizetype row, bool checked);
    bool isMuted(const QByteArray& name) const;
    // Every listed user in order (O(n): for tests and tools).
    QList<UserRow> rows() const;

    // Slots in use, listed or not (bounded by a multiple of size(), for tests).
    qsizetype slotsInUse() const { return qsizetype(slots_.size()); }

private:
    struct Slot {
        UserRow row;
        bool listed = true;
    };
    void add(qsizetype slot, int delta);
    // Listed users in slots [0, slot).
    qsizetype countBefore(qsizetype slot) const;
    qsizetype slotOfRow(qsizetype row) const;
    void compact();

    QHash<QByteArray, qsizetype> slotOf_;
    std::vector<Slot> slots_; // the slot of a user who left stays, unlisted, until compact()
    std::vector<int> tree_;   // Fenwick tree over slots, 1-based (tree_[0] unused)
    qsizetype listed_ = 0;
};

} // namespace chat
