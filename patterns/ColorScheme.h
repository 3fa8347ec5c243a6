// SColorScheme: the picture's colours and display flags as one value, with the defaults a new picture starts from.
#pragma once
#include <afx.h>

// Held by the offline renderer's options and given to a canvas in one call; the live display starts from the
// defaults and changes the canvas's fields with the colour keys.
struct SColorScheme {
    COLORREF crBack = 0;
    int nHue = 180, nHueRange = 5;                // degrees
    int nWhiteMin = 0, nWhiteMax = 5;             // percent
    int nBrightMin = 40, nBrightMax = 100;        // percent
    BOOL bMono = FALSE, bInvert = FALSE, bDrawShapes = TRUE;
};
