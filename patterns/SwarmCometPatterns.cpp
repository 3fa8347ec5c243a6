// CSwarmCometPatterns: the dancing swarm (pattern 11) and the comets (pattern 12).
#include "patterns/SwarmCometPatterns.h"
#include <math.h>
#include "patterns/PatternFrame.h"

namespace {
const int kSpreadDelta = 100;     // a delta above this gives every disc its own swing rates
const int kRegroupLevel = 100;    // a near level below this brings them back in step
const int kLaunchDelta = 10;      // a delta above this launches a comet
const int kColourDelta = 100;     // a delta above this gives the next comets a new colour
const int kCometFade = 40;        // comets fade by 20 per frame while brighter than this
}

void CSwarmCometPatterns::InitPattern11(CPatternCanvas& cv, const SPatternInput&)
{
    // The trend is kept: only the writing of the level ring starts over.
    m_dance.trend.RestartRing();
    for (int i = 0; i < DISCS; i++) {
        m_dance.nPulse[i] = 0;
        m_dance.dAngleX[i] = 0;
        m_dance.dAngleY[i] = 0;
        cv.m_ptItem[i].x = CPatternCanvas::RandomBelow(cv.m_rcClient.right + 200) - 100;
        cv.m_ptItem[i].y = CPatternCanvas::RandomBelow(cv.m_rcClient.bottom + 200) - 100;
        m_dance.dDivX[i] = 100;   // pattern 2's rates
        m_dance.dDivY[i] = 123;
    }
    m_dance.nSpread = 1;
}

void CSwarmCometPatterns::SpreadOrRegroup(const SPatternInput& in)
{
    if (in.nDelta > kSpreadDelta && m_dance.nSpread == 1) {
        m_dance.nSpread = 0;
        for (int i = 0; i < DISCS; i++) {
            m_dance.dDivX[i] = CPatternCanvas::RandomBelow(100) + 100;
            m_dance.dDivY[i] = CPatternCanvas::RandomBelow(100) + 100;
        }
    }
    if (in.nNearLevel < kRegroupLevel && m_dance.nSpread == 0) {
        m_dance.nSpread = 1;
        for (int i = 1; i < DISCS; i++) {
            m_dance.dAngleX[i] = m_dance.dAngleX[0];
            m_dance.dAngleY[i] = m_dance.dAngleY[0];
            m_dance.dDivX[i] = m_dance.dDivX[0];
            m_dance.dDivY[i] = m_dance.dDivY[0];
        }
    }
}

// Each centre loops by up to 30 pixels per frame on each axis and wraps at the edges.
void CSwarmCometPatterns::MoveCentre(POINT& pt, int i, const RECT& rc)
{
    pt.x = pt.x - (int)(cos(m_dance.dAngleX[i] * 10) * -30.0);
    pt.y = pt.y + (int)(sin(m_dance.dAngleY[i] * 10) * 30.0);
    if (pt.x <= 0)
        pt.x = pt.x + rc.right - 1;
    if (pt.x > rc.right)
        pt.x = 1;
    if (pt.y <= 0)
        pt.y = pt.y + rc.bottom - 1;
    if (pt.y > rc.bottom)
        pt.y = 1;
}

void CSwarmCometPatterns::DrawPattern11(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    const int L = in.nLevel;
    m_dance.trend.Add(L);
    SpreadOrRegroup(in);
    const int hue = cv.RandomHue();
    const int whiteness = cv.RandomWhiteness();
    const double trend = m_dance.trend.Trend();
    const int r = L * cv.m_rcClient.bottom / 255;
    const int d = L / 3;

    CPatternFrame frame(pDC, cv);
    for (int i = 0; i < DISCS; i++) {
        CPatternCanvas::UpdatePulseOrSilence(m_dance.nPulse[i], L);
        frame.UseColor(cv.HsvToColor(hue, whiteness, cv.Brightness(m_dance.nPulse[i])));
        m_dance.dAngleX[i] = m_dance.dAngleX[i] + trend / m_dance.dDivX[i];
        m_dance.dAngleY[i] = m_dance.dAngleY[i] + trend / m_dance.dDivY[i];
        // The disc is placed about its centre as it was before the centre moves on.
        POINT& pt = cv.m_ptItem[i];
        const int x = (int)(sin(m_dance.dAngleX[i]) * r) - d / 2 + pt.x;
        const int y = (int)(cos(m_dance.dAngleY[i]) * r) - d / 2 + pt.y;
        MoveCentre(pt, i, cv.m_rcClient);
        const RECT rc = { x, y, x + d, y + d };
        frame.EraseAndDraw(cv.m_rcDrawn[i], rc, cv.m_rcDrawn[i]);
    }
}

void CSwarmCometPatterns::InitPattern12(CPatternCanvas&, const SPatternInput&)
{
    // The launch colour lasts from the pattern's last use.
    for (int i = 0; i < COMETS; i++)
        m_comets.nActive[i] = 0;
    m_comets.dDrift = 0;
}

// Into the first free slot, from a random edge, heading straight across.
void CSwarmCometPatterns::LaunchComet(CPatternCanvas& cv)
{
    const int i = CPatternCanvas::FirstFree(m_comets.nActive);
    if (i < 0)
        return;   // all in flight
    m_comets.nActive[i] = 1;
    POINT& pt = cv.m_ptItem[i];
    POINT& heading = m_comets.ptHeading[i];
    const RECT& rc = cv.m_rcClient;
    switch (CPatternCanvas::RandomBelow(4)) {
    case 0:   // from the top, down
        pt.x = CPatternCanvas::RandomBelow(rc.right);
        pt.y = 0;
        heading.x = 0; heading.y = 1;
        break;
    case 1:   // from the right, left
        pt.x = rc.right;
        pt.y = CPatternCanvas::RandomBelow(rc.bottom);
        heading.x = -1; heading.y = 0;
        break;
    case 2:   // from the bottom, up
        pt.x = CPatternCanvas::RandomBelow(rc.right);
        pt.y = rc.bottom;
        heading.x = 0; heading.y = -1;
        break;
    default:  // from the left, right
        pt.x = 0;
        pt.y = CPatternCanvas::RandomBelow(rc.bottom);
        heading.x = 1; heading.y = 0;
        break;
    }
    m_comets.nHue[i] = m_comets.nLaunchHue;
    m_comets.nWhite[i] = m_comets.nLaunchWhite;
    m_comets.nBright[i] = m_comets.nLaunchBright;
}

// Every comet is erased before any is drawn; one that leaves the screen is gone with its last image. So the
// picture holds nothing but the comets in flight, and the whole-picture erase fits.
void CSwarmCometPatterns::MoveComets(CPatternCanvas& cv, int L, CPatternFrame& frame)
{
    const RECT& rc = cv.m_rcClient;
    RECT rcErase[COMETS];
    int nErase = 0;
    for (int i = 0; i < COMETS; i++) {
        if (!m_comets.nActive[i])
            continue;
        rcErase[nErase++] = cv.m_rcDrawn[i];
        POINT& pt = cv.m_ptItem[i];
        pt.x = pt.x + (m_comets.ptHeading[i].x * L) / 10;
        pt.y = pt.y + (m_comets.ptHeading[i].y * L) / 10;
        pt.x = pt.x + (int)(cos(m_comets.dDrift) * 10);
        pt.y = pt.y + (int)(sin(m_comets.dDrift) * 10);
        // Turns once per comet on screen: one way above level 127, the other way below.
        m_comets.dDrift = m_comets.dDrift + (L - 127) * 0.0001;
        if (pt.x < 0 || pt.x > rc.right || pt.y < 0 || pt.y > rc.bottom)
            m_comets.nActive[i] = 0;
    }
    frame.EraseAll(rcErase, nErase);
}

void CSwarmCometPatterns::DrawComets(CPatternCanvas& cv, int L, CPatternFrame& frame)
{
    const int h = L / 10;
    for (int i = 0; i < COMETS; i++) {
        if (!m_comets.nActive[i])
            continue;
        frame.UseColor(cv.HsvToColor(m_comets.nHue[i], m_comets.nWhite[i], cv.Brightness(m_comets.nBright[i])));
        if (m_comets.nBright[i] > kCometFade)
            m_comets.nBright[i] -= 20;
        const POINT& pt = cv.m_ptItem[i];
        const RECT rcComet = { pt.x - h, pt.y - h, pt.x + h, pt.y + h };
        frame.Draw(rcComet, cv.m_rcDrawn[i]);
    }
}

void CSwarmCometPatterns::DrawPattern12(CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    // The launch comes first, so a comet launched in a frame that changes the launch colour keeps the old one.
    if (in.nDelta > kLaunchDelta)
        LaunchComet(cv);
    CPatternFrame frame(pDC, cv);
    MoveComets(cv, in.nLevel, frame);
    if (in.nDelta > kColourDelta) {
        m_comets.nLaunchHue = cv.RandomHue();
        m_comets.nLaunchWhite = cv.RandomWhiteness();
        m_comets.nLaunchBright = in.nDelta * 100 / 255;
    }
    DrawComets(cv, in.nLevel, frame);
}
