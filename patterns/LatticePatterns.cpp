// CLatticePatterns: the sliding lattice (pattern 13) and the spinning bars (pattern 14).
#include "patterns/LatticePatterns.h"
#include <math.h>
#include "patterns/PatternFrame.h"

namespace {
const int kRenewJump = 30;     // delta above the near delta by more than this renews the lattice
const int kRenewDelta = 30;    // a delta above this throws the shown bars to new places
const int kAbsoluteHueLevel = 150;
}

void CLatticePatterns::InitPattern13(CPatternCanvas& cv, const SPatternInput&)
{
    // The first lattice's weights are narrower than a renewal's.
    RenewLattice(cv, 0, 50);
    m_lattice.nCount = 0;
}

// Measured at the point halfway between the screen's corner and the lattice's far corner.
BOOL CLatticePatterns::LatticeNeedsRenewal(const SPatternInput& in, const RECT& rc) const
{
    const int a = (m_lattice.nSpacing * m_lattice.nColumns + m_lattice.nOriginX) / 2;
    const int b = (m_lattice.nSpacing * m_lattice.nRows + m_lattice.nOriginY) / 2;
    return in.nDelta - in.nNearDelta > kRenewJump || a < 0 || a > rc.right || b < 0 || b > rc.bottom;
}

void CLatticePatterns::RenewLattice(const CPatternCanvas& cv, int nWhiteBase, int nBrightSpan)
{
    const RECT& rc = cv.m_rcClient;
    m_lattice.nColumns = CPatternCanvas::RandomBelow(5) + 3;
    m_lattice.nRows = CPatternCanvas::RandomBelow(5) + 3;
    m_lattice.nOriginX = CPatternCanvas::RandomBelow(rc.right + 200) - 200;
    m_lattice.nOriginY = CPatternCanvas::RandomBelow(rc.bottom + 200) - 200;
    m_lattice.nSpacing = CPatternCanvas::RandomBelow(50) + 50;
    m_lattice.nHue = cv.RandomHue();
    m_lattice.nWhiteWeight = CPatternCanvas::RandomBelow(100) + nWhiteBase;
    m_lattice.nBrightWeight = CPatternCanvas::RandomBelow(nBrightSpan) + 50;
    m_lattice.nDirection = CPatternCanvas::RandomBelow(4);
}

void CLatticePatterns::SlideLattice(int v)
{
    switch (m_lattice.nDirection) {
    case 0: m_lattice.nOriginX += v; break;
    case 1: m_lattice.nOriginX -= v; break;
    case 2: m_lattice.nOriginY += v; break;
    case 3: m_lattice.nOriginY -= v; break;
    default: break;
    }
}

void CLatticePatterns::DrawPattern13(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    CPatternFrame frame(pDC, cv);
    // The previous lattice's count, even when a new lattice follows in this frame; the picture is that lattice alone.
    frame.EraseAll(cv.m_rcDrawn, m_lattice.nCount);
    if (LatticeNeedsRenewal(in, cv.m_rcClient))
        RenewLattice(cv, 50, 100);
    const int v = in.nLevel / 10;
    SlideLattice(v);
    // The zero-wide draw adds nothing but keeps its place in the random sequence.
    const int hue = m_lattice.nHue + CPatternCanvas::RandomBelow(0);
    frame.UseColor(cv.WeightedColor(hue, m_lattice.nWhiteWeight, m_lattice.nBrightWeight));
    int k = 0;
    for (int r = 0; r < m_lattice.nRows; r++) {
        for (int c = 0; c < m_lattice.nColumns; c++) {
            const int x = m_lattice.nSpacing * c + m_lattice.nOriginX;
            const int y = m_lattice.nOriginY + m_lattice.nSpacing * r;
            const RECT rc = { x - v, y - v, x + v, y + v };
            frame.Draw(rc, cv.m_rcDrawn[k]);
            k++;
        }
    }
    m_lattice.nCount = k;
}

void CLatticePatterns::InitPattern14(CPatternCanvas& cv, const SPatternInput&)
{
    for (int i = 0; i < BARS; i++) {
        m_bars.nShown[i] = 0;
        PlaceBar(i, cv, FALSE, 50);
    }
    m_bars.nShown[0] = 1;
}

// A new place, length and colour; a renewal also turns the bar and gives wider colour weights.
void CLatticePatterns::PlaceBar(int i, const CPatternCanvas& cv, BOOL bRenewal, int nWeightSpan)
{
    m_bars.nCentreX[i] = CPatternCanvas::RandomBelow(cv.m_rcClient.right);
    m_bars.nCentreY[i] = CPatternCanvas::RandomBelow(cv.m_rcClient.bottom);
    m_bars.nTurn[i] = CPatternCanvas::RandomBelow(2);
    m_bars.dAngle[i] = bRenewal ? CPatternCanvas::RandomBelow(628) * 0.01 : 0;
    m_bars.nDots[i] = CPatternCanvas::RandomBelow(10) * 2 + 3;
    m_bars.nSpacing[i] = CPatternCanvas::RandomBelow(20) + 20;
    m_bars.nHue[i] = cv.RandomHue();
    m_bars.nWhiteWeight[i] = CPatternCanvas::RandomBelow(nWeightSpan) + 50;
    m_bars.nBrightWeight[i] = CPatternCanvas::RandomBelow(nWeightSpan) + 50;
}

// The bar's dots are centred on the bar's centre; then it turns and its hue falls.
void CLatticePatterns::DrawBar(int i, CPatternCanvas& cv, int L, CPatternFrame& frame)
{
    const int hue = m_bars.nHue[i] + CPatternCanvas::RandomBelow(0);
    frame.UseColor(cv.WeightedColor(hue, m_bars.nWhiteWeight[i], m_bars.nBrightWeight[i]));
    const int nDots = m_bars.nDots[i];
    const double c = cos(m_bars.dAngle[i]), s = sin(m_bars.dAngle[i]);
    const int h = L / 15;
    for (int k = 0; k < nDots; k++) {
        const int offset = (k - (nDots - 1) / 2) * m_bars.nSpacing[i];
        const int x = (int)(c * offset) + m_bars.nCentreX[i];
        const int y = (int)(s * offset) + m_bars.nCentreY[i];
        const RECT rc = { x - h, y - h, x + h, y + h };
        frame.Draw(rc, cv.m_rcDrawn[BAR_BLOCK * i + k]);
    }
    if (m_bars.nTurn[i] == 0)
        m_bars.dAngle[i] = m_bars.dAngle[i] + L * 0.0014285714285714286;   // L / 700
    else
        m_bars.dAngle[i] = m_bars.dAngle[i] - L * 0.001;
    m_bars.nHue[i] -= 10;
}

void CLatticePatterns::DrawPattern14(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    const int L = in.nLevel;
    CPatternFrame frame(pDC, cv);
    // A bar no longer shown is still erased in every frame, so the picture holds nothing but last frame's dots.
    RECT rcErase[BARS * BAR_BLOCK];
    int nErase = 0;
    for (int i = 0; i < BARS; i++)
        for (int k = 0; k < m_bars.nDots[i]; k++)
            rcErase[nErase++] = cv.m_rcDrawn[BAR_BLOCK * i + k];
    frame.EraseAll(rcErase, nErase);
    if (in.nDelta > kRenewDelta) {
        for (int i = 0; i < BARS; i++) {
            if (m_bars.nShown[i] != 1)
                continue;
            PlaceBar(i, cv, TRUE, 100);
            if (L > kAbsoluteHueLevel)
                m_bars.nHue[i] = CPatternCanvas::RandomBelow(3) * 120;   // red, green or blue, whatever the centre
        }
    }
    int nShown = L / 50 + 1;
    if (nShown > BARS)
        nShown = BARS;
    for (int i = 0; i < BARS; i++)
        m_bars.nShown[i] = i < nShown ? 1 : 0;
    for (int i = 0; i < nShown; i++)
        DrawBar(i, cv, L, frame);
}
