// Resource numbers of one kind must not collide: a dialog, bitmap or command number used twice
// would load or run the wrong thing.

#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tarnwick::testing {
namespace {

bool AllDistinct(std::vector<int> ids) {
    std::sort(ids.begin(), ids.end());
    return std::adjacent_find(ids.begin(), ids.end()) == ids.end();
}

TEST(ResourceIds, NoTwoOfTheSameKindCollide) {
    EXPECT_TRUE(AllDistinct({IDD_ABOUT, IDD_NEW_ITEM, IDD_OPTIONS, IDD_NEW_FILE, IDD_PANE_GENERAL, IDD_PANE_YES_NO,
                             IDD_PANE_ON_OFF, IDD_PANE_NUMERICAL, IDD_QUICK_CONFIG, IDD_PANE_DIRECTORY,
                             IDD_PANE_DIRECTORY_BS, IDD_PANE_CONTAINER, IDD_PANE_INFORMATION, IDD_SET_TEMPLATE}));
    EXPECT_TRUE(AllDistinct({IDB_TOOLBAR, IDB_ABOUT, IDB_FILE_CLOSED, IDB_FILE_OPEN, IDB_SECTION_CLOSED,
                             IDB_SECTION_OPEN, IDB_DIRECTIVE, IDB_DRIVE_CDROM, IDB_DRIVE_REMOVABLE, IDB_DRIVE_FIXED,
                             IDB_DRIVE_REMOTE}));
    EXPECT_TRUE(AllDistinct({IDC_DRAG_ELSEWHERE, IDC_DRAG_OVER_TREE}));
    EXPECT_TRUE(AllDistinct({CMD_EXIT, CMD_HELP_CONTENTS, CMD_ABOUT, CMD_NEW_ITEM, CMD_DELETE_ITEM, CMD_SAVE_AS,
                             CMD_OPTIONS, CMD_QUICK_CONFIG, CMD_CRLF, CMD_NEW_FILE, CMD_OPEN, CMD_SAVE_MENU, CMD_SAVE,
                             CMD_PRINT, CMD_COPY, CMD_CUT, CMD_PASTE, CMD_OPEN_INCLUDED, CMD_CHECK_APACHE, CMD_FIND, CMD_FIND_NEXT,
                             CMD_FIND_PREVIOUS, CMD_UNDO, CMD_REDO, CMD_MOVE_UP, CMD_MOVE_DOWN}));
    EXPECT_TRUE(AllDistinct({IDC_CONFIG_TREE, IDC_DESCRIPTION, IDC_DIVIDER, IDC_TOOLBAR}));
    EXPECT_TRUE(AllDistinct({IDC_PANE_VALUE, IDC_PANE_FIRST_CHOICE, IDC_PANE_SECOND_CHOICE, IDC_PANE_DIRECTORIES,
                             IDC_PANE_HEADING, 1 /* IDOK */}));
    EXPECT_TRUE(AllDistinct({IDC_INFO_NAME, IDC_INFO_RANK, IDC_INFO_TEMPLATE, IDC_INFO_DEFAULT, IDC_INFO_NAME_LABEL,
                             IDC_INFO_DEFAULT_LABEL, IDC_INFO_RANK_LABEL, IDC_INFO_TEMPLATE_LABEL,
                             IDC_INFO_SET_TEMPLATE}));
    EXPECT_TRUE(AllDistinct({IDC_OPT_CONFIRM_DELETE, IDC_OPT_SAVE_ON_EXIT, IDC_OPT_SAVE_PATH, IDC_OPT_SAVE_POSITION,
                             IDC_OPT_TOOLBAR_TEXT, IDC_OPT_SAVE, IDC_OPT_KEEP_LAYOUT, IDC_OPT_SHOW_VALUES, IDC_OPT_APACHE_PROGRAM,
                             IDC_OPT_APACHE_BROWSE, 1 /* IDOK */, 2 /* IDCANCEL */}));
    EXPECT_EQ(CMD_CHECK_APACHE, 41003);
    EXPECT_EQ(CMD_UNDO, 57643);
    EXPECT_EQ(CMD_REDO, 57644);
    EXPECT_EQ(CMD_MOVE_UP, 41001);
    EXPECT_EQ(CMD_MOVE_DOWN, 41002);
    EXPECT_EQ(IDC_OPT_APACHE_PROGRAM, 2003);
    EXPECT_EQ(IDC_OPT_APACHE_BROWSE, 2004);
}

}  // namespace
}  // namespace tarnwick::testing
