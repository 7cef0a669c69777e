// Resource numbers of the editor. The numbers up to 57637 are the program's fixed ones;
// numbers we add ourselves start at 2000 (controls) and 300 (resources).
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif

// ---- Icon, bitmaps and cursors ----------------------------------------------------------
#define IDI_TARNWICK            101
#define IDB_TOOLBAR             104   // 8 pictures of 16 by 15
#define IDC_DRAG_ELSEWHERE      106   // cursor while a drag is off the tree
#define IDB_ABOUT               108
#define IDB_FILE_CLOSED         123   // tree images 0 to 4, 16 by 13
#define IDB_FILE_OPEN           125
#define IDB_SECTION_CLOSED      126
#define IDB_SECTION_OPEN        127
#define IDB_DIRECTIVE           128
#define IDC_DRAG_OVER_TREE      129   // cursor while a drag is over the tree
#define IDB_DRIVE_CDROM         129   // directory tree images, 16 by 16
#define IDB_DRIVE_REMOVABLE     200
#define IDB_DRIVE_FIXED         201
#define IDB_DRIVE_REMOTE        202

// ---- Menu and accelerators --------------------------------------------------------------
#define IDM_MAIN                102
#define IDA_MAIN                116

// ---- Dialogs ----------------------------------------------------------------------------
#define IDD_ABOUT               107
#define IDD_NEW_ITEM            110
#define IDD_OPTIONS             114
#define IDD_NEW_FILE            115
#define IDD_PANE_GENERAL        117
#define IDD_PANE_YES_NO         118
#define IDD_PANE_ON_OFF         119
#define IDD_PANE_NUMERICAL      120
#define IDD_QUICK_CONFIG        122
#define IDD_PANE_DIRECTORY      123   // paths built with "/"
#define IDD_PANE_DIRECTORY_BS   124   // paths built with "\"
#define IDD_PANE_CONTAINER      125
#define IDD_PANE_INFORMATION    126
#define IDD_SET_TEMPLATE        131

// ---- Controls of the main window --------------------------------------------------------
#define IDC_CONFIG_TREE         1000
#define IDC_DESCRIPTION         1002
#define IDC_DIVIDER             1004
#define IDC_TOOLBAR             1007

// ---- Controls of the panes --------------------------------------------------------------
#define IDC_PANE_VALUE          1002  // edit field of the General, Numerical and Directory panes
#define IDC_PANE_FIRST_CHOICE   1011  // "Yes" / "On"
#define IDC_PANE_SECOND_CHOICE  1012  // "No" / "Off"
#define IDC_PANE_UPDOWN         1012  // up-down control of the Numerical pane
#define IDC_PANE_DIRECTORIES    1016  // drive and folder tree of the Directory panes
#define IDC_PANE_HEADING        1019
#define IDC_PANE_TABS           1022  // tab control of the pane container

// ---- Controls of the information pane ---------------------------------------------------
#define IDC_INFO_NAME           1002
#define IDC_INFO_RANK           1003
#define IDC_INFO_TEMPLATE       1004
#define IDC_INFO_DEFAULT        1005
#define IDC_INFO_NAME_LABEL     1019
#define IDC_INFO_DEFAULT_LABEL  1020
#define IDC_INFO_RANK_LABEL     1021
#define IDC_INFO_TEMPLATE_LABEL 1022
#define IDC_INFO_SET_TEMPLATE   1023

// ---- Controls of the Options dialog -----------------------------------------------------
#define IDC_OPT_CONFIRM_DELETE  1004
#define IDC_OPT_SAVE_ON_EXIT    1009
#define IDC_OPT_SAVE_PATH       1010
#define IDC_OPT_SAVE_POSITION   1011
#define IDC_OPT_TOOLBAR_TEXT    1012
#define IDC_OPT_SAVE            3

// ---- Controls of the New File, New Item, Quick Config and Set Template dialogs -----------
#define IDC_NAME_COMBO          1001  // New File and New Item
#define IDC_QC_SERVER_ROOT      1002
#define IDC_QC_DOCUMENT_ROOT    1003
#define IDC_QC_PORT             1004
#define IDC_QC_USER             1005
#define IDC_QC_GROUP            1006
#define IDC_QC_ADMIN            1007
#define IDC_QC_UNIX             1011
#define IDC_QC_WINDOWS          1012
#define IDC_QC_PORT_UPDOWN      1015
#define IDC_TEMPLATE_LIST       1025

// ---- Controls we add (2000 up) ----------------------------------------------------------
#define IDC_ABOUT_PICTURE       2000
#define IDC_OPT_KEEP_LAYOUT     2001  // Options: "Keep comments and layout"
#define IDC_OPT_SHOW_VALUES     2002  // Options: "Show values in the tree"
#define IDC_OPT_APACHE_PROGRAM  2003  // Options: Apache's program (ApacheProgram)
#define IDC_OPT_APACHE_BROWSE   2004  // Options: "B&rowse..." for Apache's program

// ---- Commands ---------------------------------------------------------------------------
#define CMD_EXIT                40004
#define CMD_HELP_CONTENTS       40008
#define CMD_ABOUT               40009
#define CMD_NEW_ITEM            40018
#define CMD_DELETE_ITEM         40019
#define CMD_SAVE_AS             40021
#define CMD_OPTIONS             40022
#define CMD_QUICK_CONFIG        40023
#define CMD_CRLF                40028
#define CMD_NEW_FILE            57600
#define CMD_OPEN                57601
#define CMD_SAVE_MENU           57602
#define CMD_SAVE                57603
#define CMD_PRINT               57607
#define CMD_COPY                57634
#define CMD_CUT                 57635
#define CMD_PASTE               57637
#define CMD_FIND                57636  // Edit: "&Find...", Ctrl+F
#define CMD_FIND_NEXT           57640  // Edit: "Find &Next", F3
#define CMD_UNDO                57643  // Edit: "&Undo", Ctrl+Z
#define CMD_REDO                57644  // Edit: "&Redo", Ctrl+Y

// ---- Commands we add (41000 up) ---------------------------------------------------------
#define CMD_OPEN_INCLUDED       41000  // File: "Open &Included Files"
#define CMD_MOVE_UP             41001  // Edit: "Move &Up", Alt+Up
#define CMD_MOVE_DOWN           41002  // Edit: "Move &Down", Alt+Down
#define CMD_CHECK_APACHE        41003  // File: "Check with &Apache"
#define CMD_FIND_PREVIOUS       41010  // Shift+F3: the last search backward

// ---- Private window messages ------------------------------------------------------------
#define WM_SHOW_VALUE           (0x0400 + 1)   // WM_USER + 1: lParam points to the text to show
