#include "settings.h"

#include <cstdio>

#include "core/printsheet.h"

namespace {

const char kSection[] = "Settings";
const char kDefaultReadability[] = "0.0001";
const char kDefaultPipetteReadability[] = "0.01";

}  // namespace

AppSettings ReadAppSettings(CWinApp &app) {
    AppSettings settings;
    settings.outputToWord = app.GetProfileInt(kSection, "Output To MS Word", 1) != 0;
    settings.autoRatio = app.GetProfileInt(kSection, "Automatic Ratio Calculation", 1) == 1;
    settings.retainSelection = int(app.GetProfileInt(kSection, "Retain Change After Calculation", 0)) > 0;
    settings.showDifferential = app.GetProfileInt(kSection, "Show Differential", 1) == 1;
    settings.workingFolder = app.GetProfileString(kSection, "Last Working Dir", "");
    settings.windowHeight = int(app.GetProfileInt(kSection, "Window Height", 0));
    settings.windowWidth = int(app.GetProfileInt(kSection, "Window Width", 0));
    const CString display = app.GetProfileString(kSection, "Output Display Size", "");
    if (std::sscanf(display.GetString(), "%dx%d", &settings.displayWidth, &settings.displayHeight) != 2 ||
        settings.displayWidth <= 0 || settings.displayHeight <= 0)
        settings.displayWidth = settings.displayHeight = 0;
    settings.showMmol = app.GetProfileInt(kSection, "Show mmol", 0) == 1;
    settings.showGases = app.GetProfileInt(kSection, "Show Released Gases", 0) == 1;
    BalanceTexts &balance = settings.balance;
    balance.operatorName = app.GetProfileString(kSection, "Operator", "");
    balance.readability = app.GetProfileString(kSection, "Balance Readability", kDefaultReadability);
    balance.minimumWeight = app.GetProfileString(kSection, "Minimum Weight", "");
    balance.pipetteReadability = app.GetProfileString(kSection, "Pipette Readability", kDefaultPipetteReadability);
    balance.minimumVolume = app.GetProfileString(kSection, "Minimum Volume", "");
    settings.shelfFile = app.GetProfileString(kSection, "Shelf File", "");
    Decimal grams;
    if (!ReadBalanceGrams(balance.readability, &grams)) balance.readability = kDefaultReadability;
    if (!ReadBalanceGrams(balance.minimumWeight, &grams)) balance.minimumWeight.Empty();
    if (!ReadBalanceGrams(balance.pipetteReadability, &grams)) balance.pipetteReadability = kDefaultPipetteReadability;
    if (!ReadBalanceGrams(balance.minimumVolume, &grams)) balance.minimumVolume.Empty();
    return settings;
}

void WriteAppSettings(CWinApp &app, const AppSettings &settings) {
    app.WriteProfileInt(kSection, "Output To MS Word", settings.outputToWord ? 1 : 0);
    app.WriteProfileInt(kSection, "Automatic Ratio Calculation", settings.autoRatio ? 1 : 0);
    app.WriteProfileInt(kSection, "Retain Change After Calculation", settings.retainSelection ? 1 : 0);
    app.WriteProfileInt(kSection, "Show Differential", settings.showDifferential ? 1 : 0);
    if (!settings.workingFolder.IsEmpty()) app.WriteProfileString(kSection, "Last Working Dir", settings.workingFolder);
    if (settings.windowHeight > 0) app.WriteProfileInt(kSection, "Window Height", settings.windowHeight);
    if (settings.windowWidth > 0) app.WriteProfileInt(kSection, "Window Width", settings.windowWidth);
    if (settings.displayWidth > 0 && settings.displayHeight > 0) {
        CString display;
        display.Format("%dx%d", settings.displayWidth, settings.displayHeight);
        app.WriteProfileString(kSection, "Output Display Size", display);
    }
    app.WriteProfileInt(kSection, "Show mmol", settings.showMmol ? 1 : 0);
    app.WriteProfileInt(kSection, "Show Released Gases", settings.showGases ? 1 : 0);
    app.WriteProfileString(kSection, "Operator", settings.balance.operatorName);
    app.WriteProfileString(kSection, "Balance Readability", settings.balance.readability);
    app.WriteProfileString(kSection, "Minimum Weight", settings.balance.minimumWeight);
    app.WriteProfileString(kSection, "Pipette Readability", settings.balance.pipetteReadability);
    app.WriteProfileString(kSection, "Minimum Volume", settings.balance.minimumVolume);
    app.WriteProfileString(kSection, "Shelf File", settings.shelfFile);
}
