// KalvoraRender: renders a WAV file's sound into the display's frames, offline and as fast as it can.
#include <stdio.h>
#include "render/FrameSink.h"
#include "render/OfflineRenderer.h"
#include "render/RenderOptions.h"
#include "render/WaveFile.h"

namespace {
enum ExitCode { EXIT_OK = 0, EXIT_USAGE = 1, EXIT_INPUT = 2, EXIT_OUTPUT = 3 };

int Complain(LPCSTR pszText, int nCode)
{
    fprintf(stderr, "KalvoraRender: %s\n", pszText);
    return nCode;
}

// A progress bar on standard error, redrawn at most about twice a second, with the speed against real time.
void ShowProgress(DWORD dwDone, DWORD dwTotal, DWORD dwStartTick, DWORD& dwLastTick, BOOL bLast)
{
    const DWORD dwNow = ::GetTickCount();
    if (!bLast && dwNow - dwLastTick < 500)
        return;
    dwLastTick = dwNow;
    const int nWidth = 30;
    const int nFilled = dwTotal ? (int)(dwDone * (unsigned long long)nWidth / dwTotal) : nWidth;
    char szBar[nWidth + 1];
    for (int i = 0; i < nWidth; i++)
        szBar[i] = i < nFilled ? '#' : '-';
    szBar[nWidth] = '\0';
    const double dSeconds = (dwNow - dwStartTick) / 1000.0;
    const double dFramesPerSecond = (double)CWaveFile::RATE / CWaveFile::BLOCK;
    const double dSpeed = dSeconds > 0 ? dwDone / dFramesPerSecond / dSeconds : 0;
    fprintf(stderr, "\r[%s] %3lu %%  frame %lu of %lu, %.1f times real time%s", szBar,
            (unsigned long)(dwTotal ? dwDone * 100ull / dwTotal : 100), (unsigned long)dwDone,
            (unsigned long)dwTotal, dSpeed, bLast ? "\n" : "");
    fflush(stderr);
}
}

int main(int argc, char** argv)
{
    CRenderOptions opt;
    if (argc < 2)
        return Complain(CRenderOptions::Usage(), EXIT_USAGE);
    if (!opt.Parse(argc, argv))
        return Complain(opt.m_strError + "\n" + CRenderOptions::Usage(), EXIT_USAGE);
    CWaveFile wave;
    if (!wave.Open(opt.m_strInput))
        return Complain(wave.m_strError, EXIT_INPUT);
    CFrameSink sink;
    if (!sink.Open(opt))
        return Complain(sink.m_strError, EXIT_OUTPUT);
    COfflineRenderer renderer;
    if (!renderer.Start(opt))
        return Complain("no off-screen picture of that size", EXIT_OUTPUT);

    DWORD dwTotal = wave.BlockCount();
    if (opt.m_dwMaxFrames && opt.m_dwMaxFrames < dwTotal)
        dwTotal = opt.m_dwMaxFrames;
    short samples[CWaveFile::BLOCK];
    const DWORD dwStartTick = ::GetTickCount();
    DWORD dwLastTick = dwStartTick;
    for (DWORD n = 0; n < dwTotal && wave.ReadBlock(samples); n++) {
        renderer.RenderBlock(samples, n);
        if (!sink.Write(renderer.Canvas(), renderer.Core().m_analyzer.m_nLevel, n + 1))
            return Complain(sink.m_strError, EXIT_OUTPUT);
        if (!opt.m_bQuiet)
            ShowProgress(n + 1, dwTotal, dwStartTick, dwLastTick, n + 1 == dwTotal);
    }
    if (!sink.Finish())
        return Complain(sink.m_strError, EXIT_OUTPUT);
    return EXIT_OK;
}
