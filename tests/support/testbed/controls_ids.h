// Ids of the test dialog that hosts the list as the main dialog does (controls.rc).
#ifndef QUILLON_TESTS_SUPPORT_TESTBED_CONTROLS_IDS_H
#define QUILLON_TESTS_SUPPORT_TESTBED_CONTROLS_IDS_H
#define IDD_LEDRA_HOST 100
#define IDC_SAMPLE 1000
#define IDC_PRODUCT 1001
#define IDC_LIST 1005
#define IDC_AMOUNT 1006
#define IDC_HEAD_NUMBER 1010
#define IDC_HEAD_FORMULA 1011
#define IDC_HEAD_RATIO 1012

#endif
