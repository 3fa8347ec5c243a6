// The framework layer in one include: its window-free half plus the windows, dialogs, threads and application.
#pragma once
#include <afx.h>
#include "CmdUI.h"
#include "Wnd.h"
#include "ClientDC.h"
#include "PaintDC.h"
#include "FrameWnd.h"
#include "Dialog.h"
#include "DataExchange.h"
#include "ColorDialog.h"
#include "WinThread.h"
#include "WinApp.h"
