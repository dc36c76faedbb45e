// The program's settings as one value, under
// HKEY_CURRENT_USER\Software\Hobnail\<program name>\Settings: read whole
// while the main dialog initialises, written whole when it is destroyed.
#ifndef QUILLON_APP_SETTINGS_H
#define QUILLON_APP_SETTINGS_H

#include "balancedlg.h"
#include "framework/afxwin.h"

struct AppSettings {
    bool outputToWord = true;      // "Output To MS Word"
    bool autoRatio = true;         // "Automatic Ratio Calculation": the Auto-Ratio box
    bool retainSelection = false;  // "Retain Change After Calculation": the element selection stays after a report
    bool showDifferential = true;  // "Show Differential"
    CString workingFolder;         // "Last Working Dir": the current folder, where file dialogs open
    int windowHeight = 0;          // "Window Height": the main window's height when neither minimised nor maximised
    int windowWidth = 0;           // "Window Width": its width, the same way
    int displayWidth = 0;          // "Output Display Size" ("WIDTHxHEIGHT"): the sheet display's size as
    int displayHeight = 0;         // last left, 0 0 until it was resized
    bool showMmol = false;         // "Show mmol": the sheet's mmol column and the product's mmol
    bool showGases = false;        // "Show Released Gases": the sheet's released gases and mass loss
    BalanceTexts balance;          // "Operator", "Balance Readability", "Minimum Weight",
                                   // "Pipette Readability", "Minimum Volume"
    CString shelfFile;             // "Shelf File": the lab's shelf (core/shelf.h), empty for none
};

// The stored values; a missing one reads as the default above. A stored
// readability that does not read as a balance's readability is replaced by
// "0.0001" ("0.01" for the pipette's), a minimum weight or volume that does
// not read by blank.
AppSettings ReadAppSettings(CWinApp &app);

// Every value, in the order they are read.
void WriteAppSettings(CWinApp &app, const AppSettings &settings);

#endif
