// Pattern canvas: colour scheme, display flags, random numbers, pulse and element stores of the patterns.
#pragma once
#include "patterns/ColorScheme.h"

#include <windows.h>
#include "patterns/GdiCache.h"
#include "patterns/DrawnCells.h"

// Size of the shared element stores used by the pattern renderers.
enum { KV_MAX_DRAWN = 300 };

// The state every pattern renderer shares, and the colour commands that change it; the core holds one.
// Used only on the thread that draws.
class CPatternCanvas
{
public:
    CPatternCanvas();

    // Colour of a hue (degrees), whiteness and brightness (percent), honouring mono and invert.
    COLORREF HsvToColor(int hue, int whiteness, int brightness) const;

    // The first slot of an element store that isInUse finds free, or -1 when every slot is taken.
    template <class Slot, int N, class InUse>
    static int FirstFree(const Slot (&slots)[N], InUse isInUse)
    {
        for (int i = 0; i < N; i++)
            if (!isInUse(slots[i]))
                return i;
        return -1;
    }
    // The same for a store whose slots are flags, non-zero in use.
    template <int N>
    static int FirstFree(const int (&nActive)[N])
    {
        return FirstFree(nActive, [](int n) { return n != 0; });
    }

    // rand() scaled to 0..n-1 (n+1..0 for negative n).
    static int RandomBelow(int n);

    // Per-frame brightness percentage that flares on a loud buffer and fades over a few frames.
    static void UpdatePulse(int& pulse, int level);
    // The same, but a silent buffer (level 0) puts the pulse out at once.
    static void UpdatePulseOrSilence(int& pulse, int level);

    // The colour of a frame's elements; draws whiteness first, hue second.
    COLORREF PickPatternColor(int pulse) const;

    // Pieces of the colour rule, one random draw each.
    int RandomHue() const;          // centre plus a random share of the spread
    int RandomWhiteness() const;    // minimum plus a random share of the range
    // Minimum plus a weight in percent of the range; a weight above 100 passes the maximum.
    int Whiteness(int nWeight) const;
    int Brightness(int nWeight) const;
    // Colour families 0, 1, 2 turn the hue by 0, 120 or 240 degrees.
    static int FamilyHue(int hue, int nFamily) { return hue + 120 * nFamily; }
    // A colour of a family: draws hue first, whiteness second; the family turns the hue after both draws.
    COLORREF FamilyColor(int nFamily, int nBrightWeight) const;
    // The colour of a hue and of weights in percent of the whiteness and brightness ranges.
    COLORREF WeightedColor(int hue, int nWhiteWeight, int nBrightWeight) const;

    // A whiteness or brightness span as the colour keys would leave it: the range is maximum minus
    // minimum, 1 where they meet.
    void SetWhiteness(int nMin, int nMax);
    void SetBrightness(int nMin, int nMax);
    // Every colour field and display flag at once.
    void SetScheme(const SColorScheme& scheme);

    // The element of a grid or swarm dot at pt, pushed away from the centre as the level swells it.
    RECT SwollenRect(POINT pt, int level) const;

    // Colour adjustment commands (F5..F10 with their modifiers); other IDs are ignored.
    void StepColor(UINT nID);

    // Home and "\": inverted colours on a white background, or back to black.
    void ToggleInvert();

    COLORREF m_crBack;
    int m_nHue;
    int m_nHueRange;
    int m_nWhiteMax;
    int m_nWhiteMin;
    int m_nWhiteRange;
    int m_nBrightMax;
    int m_nBrightMin;
    int m_nBrightRange;

    BOOL m_bMono;
    BOOL m_bInvert;
    BOOL m_bDrawShapes;

    RECT m_rcClient;
    // Goes up each time the whole picture is painted over from outside the patterns (a clear, or the system's
    // repaint): a renderer that leaves alone what it drew once knows then to draw it again.
    int m_nPaintedOver;
    RECT m_rcDrawn[KV_MAX_DRAWN];
    POINT m_ptItem[KV_MAX_DRAWN];
    // The renderers' pens and brushes, kept from frame to frame; emptied when a pattern starts.
    CGdiCache m_gdi;
    // Where a frame's elements have been drawn so far: the frames of the dot patterns ask it before each erase.
    CDrawnCells m_cells;

private:
    static int ClampChannel(int value);
    static int LargerOf(int a, int b);
    static COLORREF SectorColor(int h, int v, int m);
    static void WrapHue(int& value);
    static int Range(int min, int max) { return max > min ? max - min : 1; }
    static void LimitMaximum(int& max, int min, int& range);
    static void LimitMinimum(int& min, int max, int& range);
};
