// CRenderOptions: what an offline render is asked for on its command line.
#pragma once
#include <afx.h>
#include "patterns/PatternCount.h"
#include "core/Visualizer.h"

class CRenderOptions
{
public:
    enum Output { OUTPUT_RAW, OUTPUT_BMP, OUTPUT_HASHES, OUTPUT_LEVELS };

    // FALSE with m_strError set when the command line can't be used.
    BOOL Parse(int argc, char** argv);
    static const char* Usage();

    CString m_strInput;
    int m_nPattern = 1;
    int m_nArrange = 0;
    BOOL m_bMarked[KV_PATTERN_COUNT] = {};        // patterns marked for the Arrange modes' choice
    int m_cx = CVisualizer::NORMAL_WIDTH, m_cy = CVisualizer::NORMAL_HEIGHT;
    unsigned m_nSeed = 1;
    BOOL m_bBackSet = FALSE;
    SColorScheme m_scheme;
    int m_nStaticBpm = KV_DEFAULT_TEMPO;
    int m_nDynamicThreshold = KV_DEFAULT_THRESHOLD;
    int m_nGain = 1;                // the input sensitivity: 1, 2, 4 or 8, or 0 for the automatic gain
    Output m_output = OUTPUT_RAW;
    CString m_strBmpFolder;
    DWORD m_dwMaxFrames = 0;        // 0: the whole file
    BOOL m_bQuiet = FALSE;
    CString m_strError;

private:
    BOOL Fail(LPCSTR pszFormat, LPCSTR pszArg);
    BOOL TakeValue(const char* pszName, const char* pszValue);
    static BOOL Number(const char* psz, int nMin, int nMax, int* pn);
    static BOOL Seed(const char* psz, unsigned* pn);
    static BOOL Pair(const char* psz, int nMin, int nMax, int* pnFirst, int* pnSecond, char chSep);
};
