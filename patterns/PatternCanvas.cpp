// Pattern canvas: shared colour generation, random numbers, pulse and colour commands.
#include "patterns/PatternCanvas.h"
#include "res/resource.h"

#include <stdlib.h>
#include <string.h>

namespace {

// First of the 24 colour command IDs: six groups of four, each +1, +10, -1, -10.
const UINT kFirstColorCommand = ID_COLOR_FIRST;
const UINT kColorCommandCount = 24;
const int kColorSteps[4] = { 1, 10, -1, -10 };

enum ColorGroup { BRIGHT_MAX, BRIGHT_MIN, WHITE_MIN, WHITE_MAX, HUE, HUE_RANGE };

} // namespace

CPatternCanvas::CPatternCanvas()
{
    SetScheme(SColorScheme());
    memset(&m_rcClient, 0, sizeof(m_rcClient));
    m_nPaintedOver = 0;
    memset(m_rcDrawn, 0, sizeof(m_rcDrawn));
    memset(m_ptItem, 0, sizeof(m_ptItem));
}

int CPatternCanvas::ClampChannel(int value)
{
    if (value < 0)
        return 0;
    return value > 255 ? 255 : value;
}

int CPatternCanvas::LargerOf(int a, int b)
{
    return a > b ? a : b;
}

// The intermediate channel is the larger of the slope and m, not m plus a share of V - m.
COLORREF CPatternCanvas::SectorColor(int h, int v, int m)
{
    int r, g, b;
    if (h < 60) {
        r = v; g = LargerOf(v * h / 60, m); b = m;
    } else if (h < 120) {
        r = LargerOf(v * (120 - h) / 60, m); g = v; b = m;
    } else if (h < 180) {
        r = m; g = v; b = LargerOf(v * (h - 120) / 60, m);
    } else if (h < 240) {
        r = m; g = LargerOf(v * (240 - h) / 60, m); b = v;
    } else if (h < 300) {
        r = LargerOf(v * (h - 240) / 60, m); g = m; b = v;
    } else {
        r = v; g = m; b = LargerOf(v * (360 - h) / 60, m);
    }
    return RGB(ClampChannel(r), ClampChannel(g), ClampChannel(b));
}

COLORREF CPatternCanvas::HsvToColor(int hue, int whiteness, int brightness) const
{
    if (m_bMono)
        return m_bInvert ? RGB(0, 0, 0) : RGB(255, 255, 255);
    if (m_bInvert)
        hue += 180;
    // Truncating remainder: a negative hue stays negative and lands in the first sector.
    const int h = hue % 360;
    const int v = (int)(brightness * 0.01 * 255.0);
    const int m = (int)(whiteness * 0.01 * v);
    return SectorColor(h, v, m);
}

int CPatternCanvas::RandomBelow(int n)
{
    // The product wraps like the 32-bit multiply it models instead of being undefined.
    const int product = (int)((unsigned int)rand() * (unsigned int)n);
    return product / 32768;
}

void CPatternCanvas::UpdatePulse(int& pulse, int level)
{
    if (level > 100)
        pulse = level * 100 / 255;
    else if (pulse > 40)
        pulse -= 20;
    else
        pulse = 0;
}

void CPatternCanvas::UpdatePulseOrSilence(int& pulse, int level)
{
    if (level == 0)
        pulse = 0;
    else
        UpdatePulse(pulse, level);
}

COLORREF CPatternCanvas::PickPatternColor(int pulse) const
{
    const int brightness = Brightness(pulse);
    const int whiteness = RandomWhiteness();
    const int hue = RandomHue();
    return HsvToColor(hue, whiteness, brightness);
}

COLORREF CPatternCanvas::FamilyColor(int nFamily, int nBrightWeight) const
{
    const int hue = RandomHue();
    const int whiteness = RandomWhiteness();
    return HsvToColor(FamilyHue(hue, nFamily), whiteness, Brightness(nBrightWeight));
}

COLORREF CPatternCanvas::WeightedColor(int hue, int nWhiteWeight, int nBrightWeight) const
{
    return HsvToColor(hue, Whiteness(nWhiteWeight), Brightness(nBrightWeight));
}

int CPatternCanvas::RandomHue() const
{
    return m_nHue + RandomBelow(m_nHueRange) - m_nHueRange / 2;
}

int CPatternCanvas::RandomWhiteness() const
{
    return Whiteness(RandomBelow(100));
}

int CPatternCanvas::Whiteness(int nWeight) const
{
    return m_nWhiteMin + m_nWhiteRange * nWeight / 100;
}

int CPatternCanvas::Brightness(int nWeight) const
{
    return m_nBrightMin + m_nBrightRange * nWeight / 100;
}

void CPatternCanvas::SetScheme(const SColorScheme& scheme)
{
    m_crBack = scheme.crBack;
    m_nHue = scheme.nHue;
    m_nHueRange = scheme.nHueRange;
    SetWhiteness(scheme.nWhiteMin, scheme.nWhiteMax);
    SetBrightness(scheme.nBrightMin, scheme.nBrightMax);
    m_bMono = scheme.bMono;
    m_bInvert = scheme.bInvert;
    m_bDrawShapes = scheme.bDrawShapes;
}

void CPatternCanvas::SetWhiteness(int nMin, int nMax)
{
    m_nWhiteMin = nMin;
    m_nWhiteMax = nMax;
    m_nWhiteRange = Range(nMin, nMax);
}

void CPatternCanvas::SetBrightness(int nMin, int nMax)
{
    m_nBrightMin = nMin;
    m_nBrightMax = nMax;
    m_nBrightRange = Range(nMin, nMax);
}

RECT CPatternCanvas::SwollenRect(POINT pt, int level) const
{
    const int px = pt.x + ((pt.x - m_rcClient.right / 2) / 10) * level / 20;
    const int py = pt.y + ((pt.y - m_rcClient.bottom / 2) / 10) * level / 20;
    const int h = level / 8;
    RECT rc = { px - h, py - h, px + h, py + h };
    return rc;
}

void CPatternCanvas::WrapHue(int& value)
{
    if (value > 32767)
        value -= 32767;
    if (value < -32768)
        value += 32768;
}

// A maximum never drops below its minimum; when they meet the range is 1, not 0.
void CPatternCanvas::LimitMaximum(int& max, int min, int& range)
{
    if (max > 100)
        max = 100;
    if (max < min)
        max = min;
    range = Range(min, max);
}

void CPatternCanvas::LimitMinimum(int& min, int max, int& range)
{
    if (min < 0)
        min = 0;
    if (min > max)
        min = max;
    range = Range(min, max);
}

void CPatternCanvas::StepColor(UINT nID)
{
    if (nID < kFirstColorCommand || nID >= kFirstColorCommand + kColorCommandCount)
        return;
    const UINT index = nID - kFirstColorCommand;
    const int step = kColorSteps[index % 4];
    switch (index / 4) {
    case BRIGHT_MAX:
        m_nBrightMax += step;
        LimitMaximum(m_nBrightMax, m_nBrightMin, m_nBrightRange);
        break;
    case BRIGHT_MIN:
        m_nBrightMin += step;
        LimitMinimum(m_nBrightMin, m_nBrightMax, m_nBrightRange);
        break;
    case WHITE_MIN:
        m_nWhiteMin += step;
        LimitMinimum(m_nWhiteMin, m_nWhiteMax, m_nWhiteRange);
        break;
    case WHITE_MAX:
        m_nWhiteMax += step;
        LimitMaximum(m_nWhiteMax, m_nWhiteMin, m_nWhiteRange);
        break;
    case HUE:
        m_nHue += step;
        WrapHue(m_nHue);
        break;
    case HUE_RANGE:
        m_nHueRange += step;
        WrapHue(m_nHueRange);
        break;
    }
}

void CPatternCanvas::ToggleInvert()
{
    m_bInvert = !m_bInvert;
    m_crBack = m_bInvert ? RGB(255, 255, 255) : RGB(0, 0, 0);
}
