#pragma once
// Helpers shared by the platform unit tests.
#include "tests/support/scopedenv.h"

#include <QCoreApplication>
#include <QList>
#include <initializer_list>
#include <type_traits>

namespace platformtest {

using testsupport::ScopedEnv;

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

// What `f` makes of each input, in order: a table's inputs mapped, to compare with a list of what
// they should give.
template <typename F, typename In> auto each(F f, std::initializer_list<In> inputs) {
    QList<std::decay_t<decltype(f(*inputs.begin()))>> out;
    for (const In& in : inputs)
        out << f(in);
    return out;
}

} // namespace platformtest
