// Resource and control ids: the one home of every number the templates and the code share.
#pragma once

// Dialog templates.
#define IDD_MAIN_DIALOG 102
#define IDD_SKIN_DIALOG 141

// Icons (16x16; the program icon also 32x32).
#define IDR_MAINFRAME 128
#define IDI_CLOSE 129
#define IDI_CONTACT 130
#define IDI_ABOUT 132
#define IDI_MAXIMIZE 133
#define IDI_MINIMIZE 134
#define IDI_RESTORE 136
#define IDI_THEME 137
#define IDI_UPDATE 138
#define IDI_HELP 139
#define IDI_WEBSITE 140
#define IDI_REPORT 142
#define IDI_ERRORLOG 146
#define IDI_ADD_FOLDER 155
#define IDI_ADD_FILES 161
#define IDI_UNDO 165
#define IDI_APPLY 166
#define IDI_REVERT_SEL 167
#define IDI_REMOVE 168
#define IDI_SELECT_ALL 169
#define IDI_REMOVE_ALL 170

// Controls of the main window.
#define IDC_APPLY 1000
#define IDC_UNDO 1001
#define IDC_ADD_FOLDER 1003
#define IDC_ADD_FILES 1004
#define IDC_SUB_DIR 1005
#define IDC_INCLUDE_PATH 1006
#define IDC_PATH_ONLY 1007
#define IDC_FILTER 1008
#define IDC_SELECT_ALL 1009
#define IDC_CASE_SENSITIVE 1010
#define IDC_EXCLUSIVE 1011
#define IDC_REVERT_SEL 1012
#define IDC_REMOVE 1013
#define IDC_REMOVE_ALL 1014
#define IDC_FILE_LIST 1015
#define IDC_SET_FILE_TIME 1016
#define IDC_DATE 1017
#define IDC_TIME 1018
#define IDC_CREATE_TIME 1019
#define IDC_MODIFY_TIME 1020
#define IDC_ACCESS_TIME 1021
#define IDC_SET_FILE_ATTRIBUTES 1022
#define IDC_ARCHIVE 1023
#define IDC_READ_ONLY 1024
#define IDC_HIDDEN 1025
#define IDC_SYSTEM 1026
#define IDC_PROPERTY_NAMES 1027
#define IDC_PROPERTY_VALUE 1028
#define IDC_OTHER_PROPERTIES 1029
#define IDC_OUTPUT 1030
#define IDC_NOT_CONTENT_INDEXED 1031
#define IDC_OFFLINE 1032
#define IDC_TEMPORARY 1033
#define IDC_NORMAL 1034
#define IDC_PROPERTY_FRAME 1035
#define IDC_TOP_LINE 1036

// Commands of the title bar's buttons, of the help menu and of the theme menu (the first theme's;
// theme N is ID_THEME_FIRST + N).
#define ID_CAPTION_MAXIMIZE 6001
#define ID_CAPTION_MINIMIZE 6002
#define ID_CAPTION_HELP_MENU 6003
#define ID_CAPTION_THEME_MENU 6004
#define ID_HELP_ABOUT 6200
#define ID_HELP_ONLINE_HELP 6201
#define ID_HELP_WEB_SITE 6202
#define ID_HELP_CONTACT 6203
#define ID_HELP_ERROR_REPORT 6204
#define ID_HELP_UPDATE 6205
#define ID_HELP_ERROR_LOG 6207
#define ID_THEME_FIRST 6250

// Private messages.
// Posted to the main window once a new installer runs: the window closes the program, between
// passes, never in the middle of one.
#define WM_UPDATE_INSTALLER_STARTED (WM_APP + 0x71)

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
