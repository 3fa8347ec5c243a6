// CClosedHandles: the wave handles closed whose close notice has not come through yet.
#pragma once

#include <windows.h>
#include <mmsystem.h>

// The reset and the close post a device's last buffers and its close notice, and they stay queued behind whatever
// else is waiting (another device's buffers among it, which must not be lost). The system may give the same
// handle to the next device opened before they are handled: that device ignores what comes on its handle until the
// closed one's notice has passed (notices are handled in the order they were posted, and the old device posted all
// of its own before the new one was opened). Only the render thread opens and closes devices, so no lock.
class CClosedHandles
{
public:
    // A handle just closed, whose notices go to hWnd; a window that is gone owes nothing.
    static void Note(HWAVEIN hWaveIn, HWND hWnd);
    static BOOL Contains(HWAVEIN hWaveIn);
    // Takes one owed notice; TRUE when it was the last one owed for that handle (two closes of one handle, given
    // anew in between, owe two notices).
    static BOOL Take(HWAVEIN hWaveIn);

private:
    static void Remove(int i);

    struct SEntry { HWAVEIN hWaveIn; HWND hWnd; };
    enum { CAPACITY = 8 };
    static SEntry s_entries[CAPACITY];
    static int s_nCount;
};
