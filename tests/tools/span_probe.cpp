// A benchmark reference: two 4 x 4 boxes a frame over the whole screen, side by side or at opposite corners.
// Under Wine the X server's share of a frame follows the span of what it changed, not its area: the window's
// changes are gathered into one bounding rectangle and that is sent whole. The two figures side by side say how
// much of a pattern's X server share any picture spread over the screen costs.
#include <windows.h>
#include <cstdlib>
#include <cstring>

namespace {
const int kBox = 4;
const DWORD kFrameMs = 18;   // a frame per sound buffer

LRESULT CALLBACK WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_ERASEBKGND)
        return 1;   // the screen's own colour stays; only the boxes change
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

void DrawFrame(HWND hWnd, BOOL bFar, int nFrame)
{
    RECT rc;
    GetClientRect(hWnd, &rc);
    HDC hDC = GetDC(hWnd);
    HGDIOBJ hOld = SelectObject(hDC, GetStockObject(DC_BRUSH));
    SetDCBrushColor(hDC, (nFrame & 1) ? RGB(255, 255, 255) : RGB(255, 0, 0));
    PatBlt(hDC, 10, 10, kBox, kBox, PATCOPY);
    if (bFar)
        PatBlt(hDC, rc.right - 10 - kBox, rc.bottom - 10 - kBox, kBox, kBox, PATCOPY);
    else
        PatBlt(hDC, 20, 10, kBox, kBox, PATCOPY);
    SelectObject(hDC, hOld);
    ReleaseDC(hWnd, hDC);
}
}

// usage: span_probe near|far SECONDS
int main(int argc, char** argv)
{
    const BOOL bFar = argc > 1 && strcmp(argv[1], "far") == 0;
    const DWORD dwSeconds = argc > 2 ? (DWORD)atoi(argv[2]) : 10;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "KvSpanProbe";
    RegisterClassA(&wc);
    HWND hWnd = CreateWindowA(wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                              GetSystemMetrics(SM_CYSCREEN), NULL, NULL, wc.hInstance, NULL);
    if (hWnd == NULL)
        return 1;
    const DWORD dwStart = GetTickCount();
    for (int nFrame = 0; GetTickCount() - dwStart < dwSeconds * 1000; nFrame++) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        DrawFrame(hWnd, bFar, nFrame);
        Sleep(kFrameMs);
    }
    DestroyWindow(hWnd);
    return 0;
}
