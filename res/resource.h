// Resource identifiers. The numbers are fixed: other builds' resources and
// stored settings know them.
#pragma once

#define IDS_SETTINGS_FILE       1

#define IDR_MAIN_MENU           101
#define IDD_STATISTICS          107
#define IDD_LOWERCASE_PAGE      108
#define IDR_TRAY_MENU           112
#define IDD_SUMMARY_PANEL       115
#define IDD_UPPERCASE_PAGE      116
#define IDD_LOGIN               121
#define IDD_NEW_USER            122
#define IDI_KIVORA              135
#define IDI_KIVORA_PAUSED       136
#define IDD_ABOUT               139
#define IDD_OPTIONS             142
#define IDB_ABOUT               148
#define IDR_ACCELERATORS        149
#define IDD_DIGIT_SYMBOL_PAGE   153
#define IDD_KEYBOARD_PAGE       154
#define IDD_SAVE_QUESTION       155
#define IDD_HISTORY_PAGE        156

#define IDC_TABS                1004
#define IDC_USER_LIST           1008
#define IDC_NEW_USER            1009
#define IDC_USER_NAME           1010
#define IDC_AUTO_START          1011
#define IDC_SAVE_QUESTION_TEXT  1012
#define IDC_SAVE_QUESTION_ICON  1013
#define IDC_MAP_PERIOD          1014
#define IDC_MAP_LOWERCASE       1015
#define IDC_MAP_UPPERCASE       1016
#define IDC_MAP_BOTH            1017
#define IDC_MAP_SAVE            1018
#define IDC_CHART_SPAN          1019
#define IDC_CHART_SHOW_KEYS     1020
#define IDC_CHART_SAVE          1021
#define IDC_MAP_ALL_KEYS        1022
#define IDC_CHART_KEYS          1023
#define IDC_CHART_PCS           1024
#define IDC_MAP_PCS             1025
#define IDC_SYNC_FOLDER         1026
#define IDC_SYNC_BROWSE         1027
#define IDC_RECORD_PROGRAMS     1030
#define IDC_FORGET_PROGRAMS     1031
#define IDC_CHART_LIST          1035

#define IDM_LOG_OFF             40002
#define IDM_EXIT                40003
#define IDM_ABOUT               40004
#define IDM_OPEN                40005
#define IDM_TRAY_EXIT           40006
#define IDM_OPTIONS             40015
#define IDM_TRAY_LOG_OFF        40016
#define IDM_RESET               40017
#define IDM_ACCEL_RESET         40018
#define IDM_ACCEL_LOG_OFF       40019
#define IDM_ACCEL_QUIT          40020
#define IDM_ACCEL_ALT_ENTER     40021
#define IDM_PAUSE               40022
#define IDM_EXPORT              40023

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif
