// Resource ids of Quillon.exe: dialogs, controls, menu, strings, icons and
// the legend bitmap. Shared by quillon.rc and the program's sources.
#ifndef QUILLON_APP_RESOURCE_H
#define QUILLON_APP_RESOURCE_H

// Dialogs
#define IDD_ABOUTBOX 100
#define IDD_QUILLON_DIALOG 102
#define IDD_OUTPUT_DISPLAY 104
#define IDD_ATOM_SELECTION 141
#define IDD_WEIGHING 150
#define IDD_BALANCE 151
#define IDD_SERIES 152
#define IDD_WEIGHED 153
#define IDD_STOCK 154
#define IDD_PRINT_PREVIEW 160
#define IDD_SHELF 165
#define IDD_BOTTLE 166
#define IDD_BOTTLECHOICE 161

// Menu and program icon
#define IDR_MAINFRAME 128

// State icons of the element list and the legend
#define IDI_NONMETAL_INCLUDED 135
#define IDI_METAL_EXCLUDED 136
#define IDI_METAL_INCLUDED 138
#define IDI_NONMETAL_EXCLUDED 139
#define IDI_STATE_EMPTY 140
#define IDB_LEGEND 144

// Strings
#define IDS_ABOUTBOX 101

// System menu item
#define IDM_ABOUTBOX 0x0010

// Main dialog controls
#define IDC_CLEAR 101
#define IDC_PRODUCT 1001
#define IDC_LIST 1005
#define IDC_SAMPLE_ID 1030
#define IDC_PRODUCT_RATIO 1032
#define IDC_AMOUNT 1033
#define IDC_SAMPLE_ID_LABEL 1034
#define IDC_PRODUCT_LABEL 1035
#define IDC_RATIO_LABEL 1036
#define IDC_AUTO_RATIO 1037
#define IDC_CALCULATE 1038
#define IDC_HEADER_NUMBER 1040
#define IDC_HEADER_FORMULA 1041
#define IDC_HEADER_RATIO 1042
#define IDC_WEIGHING 1043
#define IDC_SERIES_SHOWN 1044  // a series entry's formula over the product field
#define IDC_SCALED_TO 1045     // what the weighing is scaled to, beside the amount

// Report display
#define IDC_REPORT_TEXT 1007
#define IDC_COPY_ALL 1008

// Balance and operator
#define IDC_OPERATOR 1060
#define IDC_READABILITY 1061
#define IDC_MINIMUM_WEIGHT 1062
#define IDC_PIPETTE_READABILITY 1063
#define IDC_MINIMUM_VOLUME 1064

// Composition series
#define IDC_SERIES_FORMULA 1070
#define IDC_SERIES_VALUES 1071
#define IDC_SERIES_CALCULATE 1072

// Stock solution
#define IDC_STOCK_SOLID 1100
#define IDC_STOCK_PURITY 1101
#define IDC_STOCK_UNIT 1102
#define IDC_STOCK_MOLARITY 1103
#define IDC_STOCK_VOLUME 1104
#define IDC_STOCK_CALCULATE 1105
#define IDC_STOCK_RESULT 1106

// The choice among a formula's bottles on the shelf
#define IDC_BOTTLE_LIST 1130
#define IDC_BOTTLE_HEADING 1131

// Print preview
#define IDC_PREVIEW_PRINT 1090
#define IDC_PREVIEW_PNG 1091

// What was weighed
#define IDC_WEIGHED_LIST 1080
#define IDC_WEIGHED_GRAMS 1081
#define IDC_WEIGHED_TOLERANCE 1082
#define IDC_WEIGHED_RESULT 1083
#define IDC_WEIGHED_COPY 1084
#define IDC_WEIGHED_PRINT 1085
#define IDC_WEIGHED_EXPORT 1086
#define IDC_WEIGHED_UNIT 1087

// Element selection
#define IDC_RETAIN_CHANGE 1020
#define IDC_RESET 1021
#define IDC_ELEMENT_TREE 1022
#define IDC_SET_ALL 1023
#define IDC_CALIBRATION 1024
#define IDC_SELECTION_HELP 1027

// Purity, excess and scaling
#define IDC_WEIGHING_LIST 1050
#define IDC_PURITY 1051
#define IDC_EXCESS 1052
#define IDC_SCALE_PRODUCT 1053
#define IDC_SCALE_MATERIAL 1054
#define IDC_SCALE_TOTAL 1055
#define IDC_SCALE_ROW 1056
#define IDC_SCALE_MATERIAL_GRAMS 1057
#define IDC_SCALE_TOTAL_GRAMS 1058
#define IDC_FORM 1120
#define IDC_DENSITY 1121
#define IDC_MOLARITY 1122
#define IDC_MASS_FRACTION 1123

// The shelf and one bottle
#define IDC_SHELF_FILE 1150
#define IDC_SHELF_FILTER 1151
#define IDC_SHELF_LIST 1152
#define IDC_SHELF_COUNT 1153
#define IDC_SHELF_PROBLEMS 1154
#define IDC_SHELF_ADD 1155
#define IDC_SHELF_EDIT 1156
#define IDC_SHELF_REMOVE 1157
#define IDC_SHELF_PUT 1158
#define IDC_SHELF_ROW 1159
#define IDC_SHELF_SAVE 1160
#define IDC_BOTTLE_FORMULA 1165
#define IDC_BOTTLE_NAME 1166
#define IDC_BOTTLE_PURITY 1167
#define IDC_BOTTLE_DENSITY 1168
#define IDC_BOTTLE_MOLARITY 1169
#define IDC_BOTTLE_FRACTION 1170
#define IDC_BOTTLE_SUPPLIER 1171
#define IDC_BOTTLE_LOT 1172
#define IDC_BOTTLE_LOCATION 1173
#define IDC_BOTTLE_NOTE 1174

// Menu commands
#define ID_FILE_NEW 32771
#define ID_FILE_EXIT 32772
#define ID_HELP_HELP 32773
#define ID_HELP_ABOUT 32774
#define ID_OUTPUT_WORD 32776
#define ID_OUTPUT_DEFAULT 32777
#define ID_FILE_OPEN 32778
#define ID_FILE_SAVE 32779
#define ID_OPTIONS_DIFFERENCE 32781
#define ID_OPTIONS_WEIGHING 32782
#define ID_OPTIONS_MMOL 32783
#define ID_OPTIONS_GASES 32784
#define ID_FILE_PRINT 32785
#define ID_FILE_EXPORT_CSV 32786
#define ID_OPTIONS_BALANCE 32787
#define ID_OPTIONS_SERIES 32788
#define ID_OPTIONS_WEIGHED 32789
#define ID_OPTIONS_STOCK 32790
#define ID_FILE_PRINT_PREVIEW 32800
#define ID_OPTIONS_TOGGLEFIXED 32801  // the list's current row Fixed or Unfixed (F4, PreTranslateMessage)
#define ID_OPTIONS_SHELF 32810
#define ID_OPTIONS_SHELF_FILE 32802
#define ID_OPTIONS_NO_SHELF 32803

// The program's own messages to the main dialog, in the WM_APP range: the
// numbers from WM_USER on are the dialog manager's own (DM_GETDEFID,
// DM_SETDEFID, DM_REPOSITION) and the controls' (include/quillon).
#define WM_DEFERRED_INIT (WM_APP + 1)
#define WM_RELEASE_BUTTONS (WM_APP + 2)  // a refused field: no button stays pressed
#define WM_ENTRY_EDITED (WM_APP + 3)     // input was handled: the title's change mark is brought up to date

// Keyboard shortcuts of the main window
#define IDR_ACCELERATORS 129

#endif
