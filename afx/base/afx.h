// The framework's window-free half in one include: strings, points, GDI objects, device contexts, select guards
// and synchronisation. The core, the patterns and the offline renderer include this and nothing of the windows.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include "String.h"
#include "Point.h"
#include "Event.h"
#include "SingleLock.h"
#include "GdiObject.h"
#include "Pen.h"
#include "Brush.h"
#include "Font.h"
#include "Bitmap.h"
#include "Rgn.h"
#include "DC.h"
#include "SelectGuard.h"
