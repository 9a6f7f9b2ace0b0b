// Resource and command identifiers of the library dialogs: the Libraries
// Manager, the library editor with its wait box and macro menu, and the new
// library dialog.
#pragma once

#define IDD_LIB_OPTION 131
#define IDD_LIB_MANAGER 132
#define IDD_LIB_WAIT 137
#define IDR_MACRO_MENU 141
#define IDD_LIB_NEW 142

// Library editor ("Library Option").
#define IDC_LIBOPT_QUERYBTN 1005
#define IDC_LIBOPT_RELOAD 1006
#define IDC_LIBOPT_LIST 1007
#define IDC_LIBOPT_QUERY 1008
#define IDC_LIBOPT_FULLTEXT 1009
#define IDC_LIBOPT_ADD 1010
#define IDC_LIBOPT_DELETE 1011
#define IDC_LIBOPT_SAVE 1012
#define IDC_LIBOPT_IMPORT 1013
#define IDC_LIBOPT_MACRO 1014
#define IDC_LIBOPT_EXPORT 1015
#define IDC_LIBOPT_DESCRIPTION 1017
#define IDC_LIBOPT_TYPE 1018
#define IDC_LIBOPT_NAME 1023
#define IDC_LIBOPT_COUNT 1034

// Libraries Manager.
#define IDC_LIBMAN_LIST 1019
#define IDC_LIBMAN_EDIT 1068
#define IDC_LIBMAN_NEW 1069

// Wait box.
#define IDC_WAIT_TEXT 1024
#define IDC_WAIT_CANCEL 1047

// New library.
#define IDC_LIBNEW_NAME 1070
#define IDC_LIBNEW_TYPE 1071

// Macro menu commands.
#define ID_MACRO_CARET 32801
#define ID_MACRO_DATE 32802
#define ID_MACRO_YEAR 32803
#define ID_MACRO_MONTH 32804
#define ID_MACRO_MONTH_02 32805
#define ID_MACRO_MONTHNAME 32806
#define ID_MACRO_FULLMONTHNAME 32807
#define ID_MACRO_DAY 32808
#define ID_MACRO_DAY_02 32809
#define ID_MACRO_WEEK 32810
#define ID_MACRO_WEEKNAME 32811
#define ID_MACRO_FULLWEEKNAME 32812
#define ID_MACRO_TIME_24 32813
#define ID_MACRO_TIME_12 32814
#define ID_MACRO_HOUR_24 32815
#define ID_MACRO_HOUR_24_02 32816
#define ID_MACRO_HOUR_12 32817
#define ID_MACRO_HOUR_12_02 32818
#define ID_MACRO_MINUTE 32819
#define ID_MACRO_MINUTE_02 32820
#define ID_MACRO_SECOND 32821
#define ID_MACRO_SECOND_02 32822
