// CPatternSet: the table of the patterns, each with its start and its frame, and the dispatch through it.
#include "patterns/PatternSet.h"

namespace {
typedef CPatternSet S;
typedef CPatternCanvas C;
typedef SPatternInput I;

const CPatternSet::SEntry kPatterns[KV_PATTERN_COUNT] = {
    { "DrawPattern0", [](S& s, C& cv, const I& in) { s.m_panel.InitPattern0(cv, in); },
      [](S& s, C& cv, const I& in, CDC* pDC) { s.m_panel.DrawPattern0(cv, in, pDC); } },
    { "DrawPattern1", [](S& s, C& cv, const I& in) { s.m_orbit.InitPattern1(cv, in); },
      [](S& s, C& cv, const I& in, CDC* pDC) { s.m_orbit.DrawPattern1(cv, in, pDC); } },
    { "DrawPattern2", [](S& s, C& cv, const I& in) { s.m_orbit.InitPattern2(cv, in); },
      [](S& s, C& cv, const I& in, CDC* pDC) { s.m_orbit.DrawPattern2(cv, in, pDC); } },
    { "DrawPattern3", [](S& s, C& cv, const I& in) { s.m_dots.InitPattern3(cv, in); },
      [](S& s, C& cv, const I& in, CDC* pDC) { s.m_dots.DrawPattern3(cv, in, pDC); } },
    { "DrawPattern4", [](S& s, C& cv, const I& in) { s.m_dots.InitPattern4(cv, in); },
      [](S& s, C& cv, const I& in, CDC* pDC) { s.m_dots.DrawPattern4(cv, in, pDC); } },
    { "DrawPattern5", [](S& s, C& cv, const I& in) { s.m_grid.InitPattern5(cv, in); },
      [](S& s, C& cv, const I& in, CDC* pDC) { s.m_grid.DrawPattern5(cv, in, pDC); } },
    { "DrawPattern6", [](S& s, C& cv, const I& in) { s.m_grid.InitPattern6(cv, in); },
      [](S& s, C& cv, const I& in, CDC* pDC) { s.m_grid.DrawPattern6(cv, in, pDC); } },
    { "DrawPattern7", [](S& s, C& cv, const I& in) { s.m_stars.InitPattern7(cv, in); },
      [](S& s, C& cv, const I& in, CDC* pDC) { s.m_stars.DrawPattern7(cv, in, pDC); } },
    { "DrawPattern8", [](S& s, C& cv, const I& in) { s.m_stars.InitPattern8(cv, in); },
      [](S& s, C& cv, const I& in, CDC* pDC) { s.m_stars.DrawPattern8(cv, in, pDC); } },
    { "DrawPattern9", [](S& s, C& cv, const I& in) { s.m_sinking.InitPattern9(cv, in); },
      [](S& s, C& cv, const I& in, CDC* pDC) { s.m_sinking.DrawPattern9(cv, in, pDC); } },
    { "DrawPattern10", [](S& s, C& cv, const I& in) { s.m_sinking.InitPattern10(cv, in); },
      [](S& s, C& cv, const I& in, CDC* pDC) { s.m_sinking.DrawPattern10(cv, in, pDC); } },
    { "DrawPattern11", [](S& s, C& cv, const I& in) { s.m_swarm.InitPattern11(cv, in); },
      [](S& s, C& cv, const I& in, CDC* pDC) { s.m_swarm.DrawPattern11(cv, in, pDC); } },
    { "DrawPattern12", [](S& s, C& cv, const I& in) { s.m_swarm.InitPattern12(cv, in); },
      [](S& s, C& cv, const I& in, CDC* pDC) { s.m_swarm.DrawPattern12(cv, in, pDC); } },
    { "DrawPattern13", [](S& s, C& cv, const I& in) { s.m_lattice.InitPattern13(cv, in); },
      [](S& s, C& cv, const I& in, CDC* pDC) { s.m_lattice.DrawPattern13(cv, in, pDC); } },
    { "DrawPattern14", [](S& s, C& cv, const I& in) { s.m_lattice.InitPattern14(cv, in); },
      [](S& s, C& cv, const I& in, CDC* pDC) { s.m_lattice.DrawPattern14(cv, in, pDC); } },
    { "DrawPattern15", [](S& s, C& cv, const I& in) { s.m_bubbles.InitPattern15(cv, in); },
      [](S& s, C& cv, const I& in, CDC* pDC) { s.m_bubbles.DrawPattern15(cv, in, pDC); } },
    { "DrawPattern16", [](S& s, C& cv, const I& in) { s.m_flyers.InitPattern16(cv, in); },
      [](S& s, C& cv, const I& in, CDC* pDC) { s.m_flyers.DrawPattern16(cv, in, pDC); } },
};
}

const CPatternSet::SEntry* CPatternSet::Entry(int nPattern)
{
    if (nPattern < 0 || nPattern >= KV_PATTERN_COUNT)
        return NULL;
    return &kPatterns[nPattern];
}

void CPatternSet::Init(int nPattern, CPatternCanvas& cv, const SPatternInput& in)
{
    cv.m_gdi.Release();
    const SEntry* pEntry = Entry(nPattern);
    if (pEntry)
        pEntry->pfnInit(*this, cv, in);
}

void CPatternSet::Draw(int nPattern, CPatternCanvas& cv, const SPatternInput& in, CDC* pDC)
{
    const SEntry* pEntry = Entry(nPattern);
    cv.m_gdi.NextFrame();
    if (pEntry)
        pEntry->pfnDraw(*this, cv, in, pDC);
}
