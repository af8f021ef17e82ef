// Resource numbers shared by the program's .rc file and its code.
#pragma once
#define IDI_PROGRAM 1
#define IDI_TOOLBAR_CHANGE 101
#define IDI_TOOLBAR_OPTIONS 102
#define IDI_TOOLBAR_LANGUAGE 103
#define IDI_TOOLBAR_TOOLS 104
#define IDI_TOOLBAR_ABOUT 105
#define IDI_FOLDER 106
#define IDB_BANNER 201
#define IDB_BANNER_144 202
#define IDB_BANNER_192 203
