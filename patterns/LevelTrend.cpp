// CLevelTrend: the ring of levels and its two half means.
#include "patterns/LevelTrend.h"

void CLevelTrend::Add(int level)
{
    m_nRing[m_nIndex] = (short)level;
    if (++m_nIndex < RING)
        return;
    m_nIndex = 0;
    m_nOlder = MeanOf(0);
    m_nNewer = MeanOf(HALF);
    m_dTrend = m_nNewer - m_nOlder;
}

int CLevelTrend::MeanOf(int nFirst) const
{
    int nSum = 0;
    for (int i = nFirst; i < nFirst + HALF; i++)
        nSum += m_nRing[i];
    return nSum / HALF;
}
