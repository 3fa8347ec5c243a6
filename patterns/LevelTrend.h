// CLevelTrend: whether the music is getting louder or quieter, from the means of the last 40 levels.
#pragma once

// Re-evaluated once every 40 levels and fixed in between, so a swing driven by it turns steadily.
class CLevelTrend
{
public:
    enum { RING = 40, HALF = 20 };

    void Add(int level);
    // Writing starts again at the first slot; old slots are all rewritten before the next evaluation.
    void RestartRing() { m_nIndex = 0; }
    void ClearTrend() { m_dTrend = 0; }
    double Trend() const { return m_dTrend; }

private:
    int MeanOf(int nFirst) const;

    short m_nRing[RING] = {};
    int m_nIndex = 0;
    int m_nOlder = 0;     // mean of slots 0..19 at the last evaluation
    int m_nNewer = 0;     // mean of slots 20..39
    double m_dTrend = 0;  // newer mean minus older mean
};
