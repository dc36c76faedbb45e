// A stand-in for the starting-materials list in the main dialog's tests: a
// window class "LEDRA" of the test program that answers the row messages
// from the portable row store the real list keeps its rows in.
#ifndef QUILLON_TESTS_SUPPORT_STANDINLIST_STANDIN_LIST_H
#define QUILLON_TESTS_SUPPORT_STANDINLIST_STANDIN_LIST_H

#include "core/rowstore.h"

// Registers the class (once); the rows of the list window alive now.
bool RegisterStandInList();
LedraRowStore &StandInRows();

#endif
