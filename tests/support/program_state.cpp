// The program's own module-level objects, released after each test of the program (the
// shared test main knows only the platform's).
#include "app/menubar1.h"

#include "support/test_env.h"

namespace {

const bool registered = [] {
    pwtest::AtEachTestEnd([] {
        if (MenuBar1::existingInstance())
            MenuBar1::implicitInstanceExit();
    });
    return true;
}();

} // namespace
