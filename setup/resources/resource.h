// Resource numbers of setup. The numbers below 2000 are the program's fixed ones; any we add
// start at 2000.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif

// ---- Icon -------------------------------------------------------------------------------
#define IDI_SETUP               104

// ---- Dialogs ----------------------------------------------------------------------------
#define IDD_INSTALL             102
#define IDD_UNINSTALL           105
#define IDD_TEXT_PAGE           107
#define IDD_FINISH              109
#define IDD_PROGRESS            112
#define IDD_VERSION_CONFLICT    115

// ---- Install dialog ---------------------------------------------------------------------
#define IDC_INSTALL_DIR         1000
#define IDC_BROWSE              1001
#define IDC_OPT_START_GROUP     1002
#define IDC_OPT_UNINSTALL       1003
#define IDC_OPT_START_AFTER     1004
#define IDC_OPT_ADD_TO_FOLDER   1005
#define IDC_PROGRAM_FOLDER      1011

// ---- Uninstall dialog -------------------------------------------------------------------
#define IDC_UNINSTALL_DIR       1006
#define IDC_REMOVE_REGISTRY     1008

// ---- Text page --------------------------------------------------------------------------
#define IDC_PAGE_TEXT           1016

// ---- Progress window and finish dialog --------------------------------------------------
#define IDC_PROGRESS_BAR        1021
#define IDC_DETAIL_1            1022
#define IDC_DETAIL_2            1023
#define IDC_DETAIL_3            1024
#define IDC_ACTION              1025
#define IDC_ITEM_FRAME          1029
#define IDC_PROGRESS_FRAME      1030
#define IDC_FINISH_TEXT         1025

// ---- Version conflict dialog ------------------------------------------------------------
#define IDC_EXISTING_VERSION    1032
#define IDC_NEW_VERSION         1033
#define IDC_CONFLICT_FILE       1034
