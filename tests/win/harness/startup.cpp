// Compiled into every program that links qwintest: watches the message
// boxes of the main thread from start-up, so that a box no test expects
// fails that test and is dismissed instead of waiting for a person.
#include "qwintest.h"

namespace {

struct BoxHookAtStartup {
    BoxHookAtStartup() { qwintest::InstallBoxHook(); }
} g_boxHookAtStartup;

}  // namespace
