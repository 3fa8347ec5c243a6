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

// Progress on standard error, at most about twice a second.
void ShowProgress(DWORD dwDone, DWORD dwTotal, DWORD& dwLastTick, BOOL bLast)
{
    const DWORD dwNow = ::GetTickCount();
    if (!bLast && dwNow - dwLastTick < 500)
        return;
    dwLastTick = dwNow;
    fprintf(stderr, "\rframe %lu of %lu (%lu %%)%s", (unsigned long)dwDone, (unsigned long)dwTotal,
            (unsigned long)(dwTotal ? dwDone * 100ull / dwTotal : 100), bLast ? "\n" : "");
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
    DWORD dwLastTick = 0;
    for (DWORD n = 0; n < dwTotal && wave.ReadBlock(samples); n++) {
        renderer.RenderBlock(samples, n);
        if (!sink.Write(renderer.Canvas(), n + 1))
            return Complain(sink.m_strError, EXIT_OUTPUT);
        if (!opt.m_bQuiet)
            ShowProgress(n + 1, dwTotal, dwLastTick, n + 1 == dwTotal);
    }
    if (!sink.Finish())
        return Complain(sink.m_strError, EXIT_OUTPUT);
    return EXIT_OK;
}
