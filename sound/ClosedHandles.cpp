// CClosedHandles: a short list, oldest first; a notice that never came is pushed out by later ones.
#include "sound/ClosedHandles.h"

CClosedHandles::SEntry CClosedHandles::s_entries[CAPACITY];
int CClosedHandles::s_nCount = 0;

void CClosedHandles::Note(HWAVEIN hWaveIn, HWND hWnd)
{
    if (hWnd == NULL || !::IsWindow(hWnd))
        return;   // no notice will come
    if (s_nCount == CAPACITY)
        Remove(0);
    s_entries[s_nCount].hWaveIn = hWaveIn;
    s_entries[s_nCount].hWnd = hWnd;
    s_nCount++;
}

void CClosedHandles::Remove(int i)
{
    MoveMemory(s_entries + i, s_entries + i + 1, (s_nCount - i - 1) * sizeof(SEntry));
    s_nCount--;
}

BOOL CClosedHandles::Contains(HWAVEIN hWaveIn)
{
    for (int i = s_nCount - 1; i >= 0; i--) {
        if (!::IsWindow(s_entries[i].hWnd))
            Remove(i);   // its notices went with the window
        else if (s_entries[i].hWaveIn == hWaveIn)
            return TRUE;
    }
    return FALSE;
}

BOOL CClosedHandles::Take(HWAVEIN hWaveIn)
{
    for (int i = 0; i < s_nCount; i++) {
        if (s_entries[i].hWaveIn != hWaveIn)
            continue;
        Remove(i);
        return !Contains(hWaveIn);
    }
    return FALSE;
}
