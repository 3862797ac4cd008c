#pragma once
// Resource identifiers shared by tavrune.rc and the code.

#define IDD_ENGINE_VARIANT 200
#define IDC_ENGINE_LIST 201
#define IDC_ENGINE_EXPLANATION 202

#define IDD_TEXT_INPUT 350
#define IDC_TEXT_INPUT_PROMPT 1201
#define IDC_TEXT_INPUT_EDIT 1202

// The settings dialog ("软件设置"); the page's own controls take ids from 24000.
#define IDD_SOFTWARE_SETTINGS 360
#define IDC_SETTINGS_PAGE_LIST 1301
#define IDC_SETTINGS_PAGE_TITLE 1302
#define IDC_SETTINGS_FRAME 1303
#define IDC_SETTINGS_APPLY 1304
#define IDC_SETTINGS_LIST_CAPTION 1305
#define IDC_SETTINGS_SCROLL 1306
#define IDC_SETTINGS_STATUS 1307

// The sound-pack chooser.
#define IDD_SOUND_PACK 250
#define IDC_SOUND_PACK_DETAILS 250
#define IDC_SOUND_PACK_LIST 251
#define IDC_SOUND_PACK_WEBSITE 252
#define IDC_SOUND_PACK_QQ 253
