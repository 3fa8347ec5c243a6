// CArrangeScheduler: the Arrange modes' switching rules and the beat a user taps.
#include "core/ArrangeScheduler.h"

namespace {
// Delta thresholds of Dynamic Soft, Norm and Hard (modes 1..3).
const int kDynamicThreshold[4] = { 0, 200, 150, 100 };
const DWORD kTapPairLimitMs = 30000;   // taps further apart than this don't make a beat
const int kMinBeatPeriodMs = 100;
}

CArrangeScheduler::CArrangeScheduler()
    : m_nMode(-1), m_nBeatPeriod(60000 / KV_DEFAULT_TEMPO), m_nThreshold(KV_DEFAULT_THRESHOLD), m_dwNextSwitch(0),
      m_nTapPos(0)
{
    ZeroMemory(m_dwTap, sizeof(m_dwTap));
}

int CArrangeScheduler::SaneTempo(int nBpm)
{
    return nBpm >= 1 ? nBpm : KV_DEFAULT_TEMPO;
}

void CArrangeScheduler::LoadUser(int nBpm, int nThreshold)
{
    m_nBeatPeriod = (int)(60000u / (unsigned)SaneTempo(nBpm));
    m_nThreshold = nThreshold;
}

BOOL CArrangeScheduler::SetMode(int nMode, DWORD dwNow)
{
    if (nMode == m_nMode)
        return FALSE;
    m_nMode = nMode;
    Restart(dwNow);
    return TRUE;
}

int CArrangeScheduler::StaticPeriod(int nMode) const
{
    switch (nMode) {
    case 5: return 1000;
    case 6: return 5000;
    case 7: return 10000;
    case 8: return m_nBeatPeriod;
    default: return 0;
    }
}

void CArrangeScheduler::Restart(DWORD dwNow)
{
    m_dwNextSwitch = dwNow + (DWORD)StaticPeriod(m_nMode);
}

BOOL CArrangeScheduler::IsDue(int nDelta, DWORD dwNow)
{
    if (m_nMode >= 1 && m_nMode <= 3)
        return nDelta > kDynamicThreshold[m_nMode];
    if (m_nMode == 4)
        return nDelta > m_nThreshold;
    if (m_nMode < 5 || m_nMode > 8 || dwNow <= m_dwNextSwitch)
        return FALSE;
    Restart(dwNow);
    return TRUE;
}

int CArrangeScheduler::Tap(DWORD dwTick)
{
    m_dwTap[m_nTapPos] = dwTick;
    m_nTapPos = (m_nTapPos + 1) % TAPS;
    double dSum = 0.0;
    int nCount = 0;
    for (int i = 0; i < TAPS; i++) {
        DWORD dwFirst = m_dwTap[i];
        DWORD dwSecond = m_dwTap[(i + 1) % TAPS];
        // A slot still at zero holds no tap yet (the ring starts empty).
        if (dwFirst != 0 && dwFirst < dwSecond && dwSecond - dwFirst < kTapPairLimitMs) {
            dSum += (double)(dwSecond - dwFirst);
            nCount++;
        }
    }
    if (nCount == 0)
        return 0;
    m_nBeatPeriod = (int)(dSum / nCount);
    if (m_nBeatPeriod < kMinBeatPeriodMs)
        m_nBeatPeriod = kMinBeatPeriodMs;
    return 60000 / m_nBeatPeriod;
}
