// A bare recorder for benchmarks: 200-sample buffers at 11025 Hz in rotation and nothing else,
// so the cost of capture itself can be reported beside the program's own.
#include <windows.h>
#include <mmsystem.h>
#include <cstdlib>

namespace {
const int kBuffers = 5;
const int kBytes = 400;
char g_data[kBuffers][kBytes];
WAVEHDR g_hdr[kBuffers];

LRESULT CALLBACK WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == MM_WIM_DATA) {
        WAVEHDR* pHdr = (WAVEHDR*)lParam;
        waveInAddBuffer((HWAVEIN)wParam, pHdr, sizeof(WAVEHDR));
        return 0;
    }
    if (msg == WM_TIMER) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}
}

int main(int argc, char** argv)
{
    UINT seconds = argc > 1 ? (UINT)atoi(argv[1]) : 10;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "KvCaptureFloor";
    RegisterClassA(&wc);
    HWND hWnd = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
    WAVEFORMATEX wfx = { WAVE_FORMAT_PCM, 1, 11025, 22050, 2, 16, 0 };
    HWAVEIN hIn;
    if (waveInOpen(&hIn, WAVE_MAPPER, &wfx, (DWORD_PTR)hWnd, 0, CALLBACK_WINDOW) != MMSYSERR_NOERROR)
        return 1;
    for (int i = 0; i < kBuffers; i++) {
        g_hdr[i].lpData = g_data[i];
        g_hdr[i].dwBufferLength = kBytes;
        waveInPrepareHeader(hIn, &g_hdr[i], sizeof(WAVEHDR));
        waveInAddBuffer(hIn, &g_hdr[i], sizeof(WAVEHDR));
    }
    waveInStart(hIn);
    SetTimer(hWnd, 1, seconds * 1000, NULL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    waveInReset(hIn);
    waveInClose(hIn);
    return 0;
}
