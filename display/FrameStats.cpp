// CFrameStats: the benchmark build's record of frames, kept in a fixed table and written when the display closes.
#include "display/FrameStats.h"

#ifdef KV_FRAME_STATS
#include <stdio.h>

namespace {
LONGLONG Now()
{
    LARGE_INTEGER li;
    ::QueryPerformanceCounter(&li);
    return li.QuadPart;
}
}

CFrameStats::CFrameStats() : m_nRecords(0), m_llFrameStart(0), m_llFirstUnshown(0), m_nUnshown(0)
{
    LARGE_INTEGER li;
    ::QueryPerformanceFrequency(&li);
    m_llFrequency = li.QuadPart;
}

DWORD CFrameStats::Micro(LONGLONG llTicks) const
{
    return (DWORD)(llTicks * 1000000 / m_llFrequency);
}

void CFrameStats::BufferArrived()
{
    if (m_nUnshown++ == 0)
        m_llFirstUnshown = Now();
}

void CFrameStats::FrameStart()
{
    m_llFrameStart = Now();
}

void CFrameStats::FrameEnd(int nPattern, int nWidth)
{
    const LONGLONG llEnd = Now();
    if (m_nRecords < MAX_RECORDS) {
        SRecord& r = m_records[m_nRecords++];
        r.wPattern = (WORD)nPattern;
        r.wWidth = (WORD)nWidth;
        r.wBuffers = (WORD)m_nUnshown;
        r.dwCostUs = Micro(llEnd - m_llFrameStart);
        r.dwDelayUs = m_nUnshown ? Micro(llEnd - m_llFirstUnshown) : 0;
    }
    m_nUnshown = 0;
}

void CFrameStats::Save() const
{
    char szPath[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(NULL, szPath, MAX_PATH);
    while (n > 0 && szPath[n - 1] != '\\')
        n--;
    lstrcpyA(szPath + n, "KALVORA-FRAMES.CSV");
    FILE* f = fopen(szPath, "w");
    if (f == NULL)
        return;
    fprintf(f, "pattern,width,cost_us,delay_us,buffers\n");
    for (int i = 0; i < m_nRecords; i++) {
        const SRecord& r = m_records[i];
        fprintf(f, "%u,%u,%lu,%lu,%u\n", r.wPattern, r.wWidth, (unsigned long)r.dwCostUs,
                (unsigned long)r.dwDelayUs, r.wBuffers);
    }
    fclose(f);
}
#endif
