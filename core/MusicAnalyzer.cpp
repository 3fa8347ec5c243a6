// Music analyser: level, delta, means since silence and means over the last hundred buffers.
#include "core/MusicAnalyzer.h"

#include <string.h>

CMusicAnalyzer::CMusicAnalyzer()
    : m_nLevel(0), m_nPrevLevel(0), m_nDelta(0), m_nCount(0), m_nAvgLevel(0),
      m_nAvgDelta(0), m_nRingPos(0), m_nNearLevel(0), m_nNearDelta(0),
      m_bSilenceReset(0), m_nSilence(0), m_nSumLevel(0), m_nSumDelta(0)
{
    memset(m_nLevelRing, 0, sizeof(m_nLevelRing));
    memset(m_nDeltaRing, 0, sizeof(m_nDeltaRing));
}

CMusicAnalyzer::~CMusicAnalyzer()
{
}

// |s| / 128 rounded down; -32768 alone would reach 256.
short CMusicAnalyzer::LevelOf(short s)
{
    int level = s / 128;
    if (level < 0)
        level = -level;
    if (level > 255)
        level = 255;
    return (short)level;
}

// The rings are kept on purpose: the near means still reflect the music before the silence.
void CMusicAnalyzer::ResetStatistics()
{
    m_nCount = 0;
    m_nSumLevel = 0;
    m_nSumDelta = 0;
    m_nRingPos = 0;
    m_nNearLevel = 0;
    m_nNearDelta = 0;
    m_bSilenceReset = 1;
}

int CMusicAnalyzer::RingMean(const int* ring)
{
    int sum = 0;
    for (int i = 0; i < RING_SIZE; i++)
        sum += ring[i];
    return sum / RING_SIZE;
}

void CMusicAnalyzer::AddSample(short s)
{
    m_bSilenceReset = 0;
    const short level = LevelOf(s);
    m_nLevel = level;

    if (level == 0) {
        m_nSilence++;
        if (m_nSilence >= 1)
            ResetStatistics();
    } else {
        m_nSilence = 0;
    }

    int delta = m_nPrevLevel - level;
    m_nDelta = (short)(delta < 0 ? -delta : delta);

    m_nSumLevel += (DWORD)level;
    m_nCount += 1;
    m_nSumDelta += (DWORD)m_nDelta;

    m_nRingPos++;
    if (m_nRingPos >= RING_SIZE)
        m_nRingPos = 0;

    // Summed before the store, so the means cover the hundred samples before this one.
    m_nNearLevel = RingMean(m_nLevelRing);
    m_nNearDelta = RingMean(m_nDeltaRing);

    m_nLevelRing[m_nRingPos] = level;
    m_nDeltaRing[m_nRingPos] = m_nDelta;

    m_nAvgLevel = m_nSumLevel / m_nCount;
    m_nAvgDelta = m_nSumDelta / m_nCount;

    m_nPrevLevel = level;
}
