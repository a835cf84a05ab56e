// Resource identifiers of RuvoJS.exe, shared by the resource script and the
// front end.
#pragma once

#define IDD_SPLASH 103
#define IDS_APP_TITLE 103
#define IDI_RUVOJS 107
#define IDI_SMALL 108
#define IDC_RUVOJS 109
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDB_SPLASH_BACKGROUND 133
#define IDB_SPLASH_HEXAGON 134
