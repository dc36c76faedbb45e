// Resources of the framework tests.
#define IDD_FWTEST 100
#define IDC_FWTEST_EDIT 1000
