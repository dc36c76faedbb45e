// The test dialog that hosts the list as the main dialog does (controls.rc):
// its controls have the main dialog's ids.
#ifndef QUILLON_TESTS_SUPPORT_TESTBED_CONTROLS_IDS_H
#define QUILLON_TESTS_SUPPORT_TESTBED_CONTROLS_IDS_H
#include "app/resource.h"
#define IDD_LEDRA_HOST 900

#endif
