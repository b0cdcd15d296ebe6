#pragma once
// A named lock held by this process for its lifetime (single-instance programs). It is a
// session-bus name, so the bus releases it when the process dies: no stale lock files.
#include <QString>

namespace platform {

class NamedMutex {
public:
    explicit NamedMutex(const QString& name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // True when this object holds the lock; false when another process already holds it
    // (or no session bus could be reached).
    bool acquired() const { return acquired_; }

    static QString busName(const QString& name);

private:
    QString busName_;
    bool acquired_ = false;
};

} // namespace platform
