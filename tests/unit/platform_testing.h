#pragma once
// Helpers shared by the platform unit tests.
#include <QByteArray>
#include <QCoreApplication>
#include <optional>

namespace platformtest {

// Restores an environment variable at the end of a scope, optionally setting (or, with
// nullopt, unsetting) it for the scope.
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

// Event processing for tests that need it. The unit test binary has no application object of
// its own; reuse whichever one exists, otherwise create one for the rest of the process.
inline void ensureCoreApplication() {
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "unit_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

} // namespace platformtest
