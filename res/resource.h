// Resource numbers and command IDs shared by the resource script and the program.
#pragma once

#define IDR_MAINFRAME          141   // menu, accelerators, title string
#define IDS_INIFILE            128   // "KALVORA.INI"
#define IDS_DATAFOLDER         500   // default data folder
#define IDS_APPTITLE           57344 // "Kalvora"

#define IDD_ABOUTBOX           100
#define IDC_VERSION            1002  // the About box's version line
#define IDD_ARRANGE_USER       146
#define IDC_DYNAMIC_USER       1000
#define IDC_STATIC_USER        1001
#define IDC_DYNAMIC_LEGEND     1002   // picture controls: each dialog shows and owns its bitmap
#define IDC_ARRANGE_TITLE      1003
#define IDC_ABOUT_PICTURE      1004

#define IDB_PANEL              155
#define IDB_PATTERN_ICONS      154
#define IDB_ARRANGE_BUTTONS    153
#define IDB_DYNAMIC_LEGEND     142
#define IDB_ARRANGE_TITLE      145
#define IDB_SPLASH             152

#define IDI_CONTROL            151
#define IDI_DISPLAY            152

// Commands
#define ID_PATTERN_FIRST       0x8006   // "Pattern0" .. "Pattern16"
#define ID_PATTERN_LAST        0x8016
#define ID_ARRANGE_FIRST       0x801E   // "None" .. "Static User"
#define ID_ARRANGE_LAST        0x8026
#define ID_ARRANGE_USER        0x8027
#define ID_CONTROL_WINDOW      0x802D
#define ID_MONITOR_FIRST       0x802F   // "1st Monitor" .. "5th Monitor"
#define ID_MONITOR_LAST        0x8033
#define ID_SIZE_NONE           0x8035
#define ID_SIZE_NORMAL         0x8036
#define ID_SIZE_HALF           0x8037
#define ID_SIZE_FIT            0x8038
#define ID_SCREEN_COLOR        0x8039
#define ID_COLOR_FIRST         0x803A   // F5..F10 colour steps
#define ID_COLOR_LAST          0x8051
#define ID_SENSITIVITY_FIRST   0x8060   // "Sensitivity x1", "x2", "x4", "x8", "Auto"
#define ID_SENSITIVITY_LAST    0x8064
#define ID_NEXT_INPUT          0x8066   // steps through the inputs
#define ID_NEXT_SENSITIVITY    0x8067   // steps through the sensitivities
#define ID_INPUT_LOOPBACK      0x8068   // "What the computer plays", after the devices
#define ID_INPUT_DEFAULT       0x8070   // "Default Device"
#define ID_INPUT_FIRST         0x8071   // the system's wave-input device 0 .. 15, by name
#define ID_INPUT_LAST          0x8080

#include "AfxRes.h"   // ID_APP_ABOUT, ID_APP_EXIT
