// CFrameStats: each frame's cost and delay, recorded only in benchmark builds (KV_FRAME_STATS); empty otherwise.
#pragma once
#include <windows.h>

class CFrameStats
{
public:
#ifdef KV_FRAME_STATS
    CFrameStats();
    // A sound buffer has been analysed: from now on a frame is owed.
    void BufferArrived();
    void FrameStart();
    void FrameEnd(int nPattern, int nWidth);
    // Writes KALVORA-FRAMES.CSV beside the program: pattern, width, cost and delay in microseconds, buffers.
    void Save() const;

private:
    struct SRecord {
        WORD wPattern, wWidth, wBuffers;
        DWORD dwCostUs, dwDelayUs;
    };
    enum { MAX_RECORDS = 1 << 17 };

    DWORD Micro(LONGLONG llTicks) const;

    SRecord m_records[MAX_RECORDS];
    int m_nRecords;
    LONGLONG m_llFrequency;
    LONGLONG m_llFrameStart;
    LONGLONG m_llFirstUnshown;   // when the oldest buffer not yet shown by a frame came back
    int m_nUnshown;
#else
    void BufferArrived() {}
    void FrameStart() {}
    void FrameEnd(int, int) {}
    void Save() const {}
#endif
};
