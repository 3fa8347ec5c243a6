// The framework's standard command and string IDs, shared by the framework and the resource script.
#pragma once

#define ID_APP_ABOUT           0xE140
#define ID_APP_EXIT            0xE141
#define AFX_IDS_APP_TITLE      0xE000
