// Compiled into every program linking qwintest: boxes are watched from start-up.
#include "qwintest.h"

namespace {
struct BoxHookAtStartup {
    BoxHookAtStartup() { qwintest::InstallBoxHook(); }
} g_boxHookAtStartup;
}  // namespace
