// Music analyser: turns one sound sample per buffer into level, delta, averages and near means.
#pragma once

#include <windows.h>

// Owned by the core and fed on the thread that draws; its readers read the fields directly.
class CMusicAnalyzer
{
public:
    CMusicAnalyzer();
    virtual ~CMusicAnalyzer();

    // The sound it is fed: 16-bit mono at 11025 samples per second in buffers of 200 samples, of which
    // only sample 99 is measured. Live capture and the offline renderer both follow this.
    enum { SAMPLE_RATE = 11025, BUFFER_SAMPLES = 200, MEASURED_SAMPLE = 99 };

    // Takes the one measured sample of a returned sound buffer.
    void AddSample(short s);
    void AddBuffer(const short* pSamples) { AddSample(pSamples[MEASURED_SAMPLE]); }

    enum { RING_SIZE = 100 };

    short m_nLevel;          // 0..255, loudness of the latest sample
    short m_nPrevLevel;      // level of the sample before it
    short m_nDelta;          // |previous level - level|
    DWORD m_nCount;          // samples since the last silence reset, this one included
    DWORD m_nAvgLevel;       // m_nSumLevel / m_nCount
    DWORD m_nAvgDelta;       // m_nSumDelta / m_nCount
    int m_nLevelRing[RING_SIZE];
    int m_nDeltaRing[RING_SIZE];
    int m_nRingPos;          // position of the latest ring entry
    int m_nNearLevel;        // mean of the level ring before the latest store
    int m_nNearDelta;        // mean of the delta ring before the latest store
    short m_bSilenceReset;   // 1 when the latest sample restarted the statistics
    int m_nSilence;          // consecutive samples of level 0
    DWORD m_nSumLevel;
    DWORD m_nSumDelta;

private:
    static short LevelOf(short s);
    void ResetStatistics();
    static int RingMean(const int* ring);
};
