#pragma once
// Helpers shared by the platform unit tests.
#include "tests/support/scopedenv.h"

#include <QCoreApplication>

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

} // namespace platformtest
