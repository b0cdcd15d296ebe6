#pragma once
// Restores an environment variable at the end of a scope, optionally setting (or, with
// nullopt, unsetting) it for the scope.
#include <QByteArray>
#include <QtGlobal>
#include <optional>

namespace testsupport {

class ScopedEnv {
public:
    explicit ScopedEnv(const char* name) : name_(name) {
        if (qEnvironmentVariableIsSet(name))
            old_ = qgetenv(name);
    }
    ScopedEnv(const char* name, std::optional<QByteArray> value) : ScopedEnv(name) {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            qputenv(name_, *old_);
        else
            qunsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<QByteArray> old_;
};

} // namespace testsupport
