// Resource identifiers shared by the .rc and the code.
#pragma once

#define IDD_DESTINATION     100
#define IDD_PROGRESS        101
#define IDI_SETUP           103

// Destination dialog controls.
#define IDC_PATH            100
#define IDC_PROMPT          101
#define IDC_PRODUCT_ICON    103

// Progress dialog controls.
#define IDC_BAR             103
#define IDC_FILE            104
#define IDC_TARGET          105

// String table.
#define IDS_TITLE           0
#define IDS_CLASS           1
#define IDS_CREATE_DIR      2
#define IDS_PROMPT          3
#define IDS_DEFAULT_PATH    4
#define IDS_COPY_FAIL_HEAD  6
#define IDS_COPY_FAIL_TAIL  7
#define IDS_SYSTEM_COUNT    10
#define IDS_PRODUCT_COUNT   11
#define IDS_TEMP_COUNT      12
#define IDS_REMOVE_COUNT    13
#define IDS_TOTAL_BYTES     18
#define IDS_ITEM_COUNT      19
#define IDS_NO_DDE_WINDOW   20
#define IDS_DOC_FILE        21
#define IDS_DOC_CAPTION     22
#define IDS_DOC_PROGRAM     23
#define IDS_COMPLETE        27
#define IDS_TITLE_LINE1     28
#define IDS_TITLE_LINE2     29
#define IDS_TITLE_LINE3     30
#define IDS_NOTICE          31
#define IDS_CLASSES_KEY     32
#define IDS_BAD_DRIVE       34
#define IDS_LOW_SPACE       35
#define IDS_CONFIRM_CANCEL  36
#define IDS_VER_NEWER       44
#define IDS_VER_IN_USE      45
#define IDS_VER_WRITEPROT   46
#define IDS_DEVICE_KEY      47
#define IDS_DEVICE_DEFAULT  48
#define IDS_SERVICE_NAME    49
#define IDS_VERSION_NAME    50
#define IDS_VERSION_DATA    51
#define IDS_DESC_NAME       52
#define IDS_DESC_DATA       53
#define IDS_DEVNAME_NAME    54
#define IDS_DEVNAME_DATA    55
#define IDS_DEVDESC_NAME    56
#define IDS_DEVDESC_DATA    57
#define IDS_SERVICE_FILE    58
#define IDS_NO_DEVICE_KEY   59
#define IDS_SERVER1         61
#define IDS_SERVER2         62
#define IDS_SCRIPT_NAME     63
#define IDS_SCRIPT_SERVICE  64
#define IDS_SCRIPT_HEAD     65
#define IDS_SCRIPT_TAIL     66
// The /? box shows 67, 1024, 1025 and 68, one directly after the other (each but the first starts
// with its own line break); 69 is the bad command line text, "%s" standing for the offending
// argument.
#define IDS_HELP_SWITCHES   67
#define IDS_HELP_EXIT_CODES 68
#define IDS_BAD_COMMAND     69
// 70 to 79 and 1032 up: the Programs and Features entry, the record and removal.
#define IDS_RECORD_NAME     70
#define IDS_UNINSTALLER     71
#define IDS_ENTRY_KEY       72
#define IDS_DISPLAY_NAME    73
#define IDS_PUBLISHER       74
#define IDS_REMOVE_QUESTION 75
#define IDS_REMOVED         76
#define IDS_REMOVED_EXCEPT  77
#define IDS_LEFT_CHANGED    78
#define IDS_LEFT_NOT_EMPTY  79
#define IDS_LEFT_FAILED     1032
#define IDS_LEFT_AT_RESTART 1033
#define IDS_NOT_INSTALLED   1034
#define IDS_SETUP_MUTEX     1035
#define IDS_SETUP_RUNNING   1036
// 1037 up: later texts (1037 the installation's restart, 1038 the removal's foreign record lines).
#define IDS_RESTART_TO_FINISH 1037
#define IDS_LEFT_FOREIGN    1038
#define IDS_SYSTEM_BASE     80
#define IDS_GROUP_NAME      96
#define IDS_ITEM_BASE       97
#define IDS_PRODUCT_BASE    128
#define IDS_TEMP_BASE       384
#define IDS_REMOVE_BASE     512
// From 1024 up: texts that did not fit the block below 80.
#define IDS_HELP_MORE_SWITCHES 1024
#define IDS_HELP_NO_EFFECT  1025
