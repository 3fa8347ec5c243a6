// CRenderOptions: parsing and checking of the command line.
#include "render/RenderOptions.h"
#include "core/InputGain.h"
#include <errno.h>
#include <stdlib.h>
#include <string.h>

namespace {
const int kMaxSide = 4096;
const char kDigits[] = "0123456789";
const char kHexDigits[] = "0123456789abcdefABCDEF";

// Only what the option's text says: no spaces, no plus sign, no base prefix (strtol would take all three).
bool AllOf(const char* psz, const char* pszSet)
{
    return *psz != '\0' && psz[strspn(psz, pszSet)] == '\0';
}
}

const char* CRenderOptions::Usage()
{
    return "usage: KalvoraRender [options] SOUND.wav\n"
           "Renders one frame per 200 samples of a 16-bit mono 11025 Hz WAV file, as the live display draws it.\n"
           "  --pattern N         pattern 0..16 to start with (1)\n"
           "  --arrange M         Arrange mode 0..8: 0 None, 1..3 Dynamic Soft/Norm/Hard, 4 Dynamic User,\n"
           "                      5..7 Static 1/5/10 sec, 8 Static User (0)\n"
           "  --marked LIST       patterns marked for automatic switching, e.g. 3,9,12\n"
           "  --static-bpm N      tempo of Static User, 1..300 (140)\n"
           "  --dynamic-threshold N  delta threshold of Dynamic User, 0..255 (200)\n"
           "  --size WxH          picture size (640x480)\n"
           "  --gain G            sensitivity 1, 2, 4, 8 or auto, as the live display's Sound menu (1)\n"
           "  --seed N            random seed 0..4294967295: the same seed and sound give the same frames (1)\n"
           "  --back RRGGBB       background colour (black; white with --invert)\n"
           "  --hue N --hue-range N --white MIN,MAX --bright MIN,MAX   colour scheme (180, 5, 0,5, 40,100)\n"
           "  --mono --invert --no-shapes   the display flags\n"
           "  --bmp FOLDER        numbered BMP files instead of raw frames on standard output\n"
           "  --hashes            one hash per frame on standard output instead of the frames\n"
           "  --levels            the analyser's level 0..255 of each frame on standard output instead of the frames\n"
           "  --frames N          stop after N frames\n"
           "  --quiet             no progress on standard error\n"
           "Raw frames are 32 bits a pixel, blue, green, red, unused, top row first.\n";
}

BOOL CRenderOptions::Fail(LPCSTR pszFormat, LPCSTR pszArg)
{
    m_strError.Format(pszFormat, pszArg);
    return FALSE;
}

// A value beyond long's range is refused, not taken as the nearest long.
BOOL CRenderOptions::Number(const char* psz, int nMin, int nMax, int* pn)
{
    if (!AllOf(psz + (*psz == '-'), kDigits))
        return FALSE;
    errno = 0;
    const long n = strtol(psz, NULL, 10);
    if (errno == ERANGE || n < nMin || n > nMax)
        return FALSE;
    *pn = (int)n;
    return TRUE;
}

BOOL CRenderOptions::Seed(const char* psz, unsigned* pn)
{
    if (!AllOf(psz, kDigits))
        return FALSE;
    errno = 0;
    const unsigned long long n = strtoull(psz, NULL, 10);
    if (errno == ERANGE || n > 0xFFFFFFFFull)
        return FALSE;
    *pn = (unsigned)n;
    return TRUE;
}

BOOL CRenderOptions::Pair(const char* psz, int nMin, int nMax, int* pnFirst, int* pnSecond, char chSep)
{
    const char* pSep = strchr(psz, chSep);
    if (pSep == NULL)
        return FALSE;
    CString strFirst = CString(psz).Left((int)(pSep - psz));
    return Number(strFirst, nMin, nMax, pnFirst) && Number(pSep + 1, nMin, nMax, pnSecond);
}

BOOL CRenderOptions::TakeValue(const char* pszName, const char* v)
{
    int a = 0, b = 0;
    if (strcmp(pszName, "--pattern") == 0)
        return Number(v, 0, KV_PATTERN_COUNT - 1, &m_nPattern) || Fail("--pattern takes 0 to 16, not %s", v);
    if (strcmp(pszName, "--arrange") == 0)
        return Number(v, 0, KV_ARRANGE_COUNT - 1, &m_nArrange) || Fail("--arrange takes 0 to 8, not %s", v);
    if (strcmp(pszName, "--static-bpm") == 0)
        return Number(v, 1, 300, &m_nStaticBpm) || Fail("--static-bpm takes 1 to 300, not %s", v);
    if (strcmp(pszName, "--dynamic-threshold") == 0)
        return Number(v, 0, 255, &m_nDynamicThreshold) || Fail("--dynamic-threshold takes 0 to 255, not %s", v);
    if (strcmp(pszName, "--gain") == 0)
        return CInputGain::ModeFromText(v, &m_nGain) || Fail("--gain takes 1, 2, 4, 8 or auto, not %s", v);
    if (strcmp(pszName, "--size") == 0) {
        if (!Pair(v, 1, kMaxSide, &m_cx, &m_cy, 'x'))
            return Fail("--size takes WIDTHxHEIGHT, each 1 to 4096, not %s", v);
        return TRUE;
    }
    if (strcmp(pszName, "--seed") == 0)
        return Seed(v, &m_nSeed) || Fail("--seed takes a whole number from 0 to 4294967295, not %s", v);
    if (strcmp(pszName, "--back") == 0) {
        if (strlen(v) != 6 || !AllOf(v, kHexDigits))
            return Fail("--back takes a colour as RRGGBB, six hexadecimal digits, not %s", v);
        const unsigned long rgb = strtoul(v, NULL, 16);
        m_scheme.crBack = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
        m_bBackSet = TRUE;
        return TRUE;
    }
    if (strcmp(pszName, "--hue") == 0)
        return Number(v, -32768, 32767, &m_scheme.nHue) || Fail("--hue takes a whole number of degrees, not %s", v);
    if (strcmp(pszName, "--hue-range") == 0)
        return Number(v, -32768, 32767, &m_scheme.nHueRange) || Fail("--hue-range takes a whole number, not %s", v);
    if (strcmp(pszName, "--white") == 0 || strcmp(pszName, "--bright") == 0) {
        if (!Pair(v, 0, 100, &a, &b, ',') || a > b)
            return Fail("--white and --bright take MIN,MAX with 0 <= MIN <= MAX <= 100, not %s", v);
        int& nMin = pszName[2] == 'w' ? m_scheme.nWhiteMin : m_scheme.nBrightMin;
        int& nMax = pszName[2] == 'w' ? m_scheme.nWhiteMax : m_scheme.nBrightMax;
        nMin = a;
        nMax = b;
        return TRUE;
    }
    if (strcmp(pszName, "--frames") == 0) {
        if (!Number(v, 1, 0x7FFFFFFF, &a))
            return Fail("--frames takes a positive number, not %s", v);
        m_dwMaxFrames = (DWORD)a;
        return TRUE;
    }
    if (strcmp(pszName, "--bmp") == 0) {
        m_output = OUTPUT_BMP;
        m_strBmpFolder = v;
        return TRUE;
    }
    if (strcmp(pszName, "--marked") == 0) {
        for (const char* p = v; *p;) {
            char* pEnd = NULL;
            long n = strtol(p, &pEnd, 10);
            if (pEnd == p || n < 1 || n >= KV_PATTERN_COUNT || (*pEnd != ',' && *pEnd != '\0'))
                return Fail("--marked takes patterns 1 to 16 separated by commas, not %s", v);
            m_bMarked[n] = TRUE;
            p = *pEnd ? pEnd + 1 : pEnd;
        }
        return TRUE;
    }
    return Fail("unknown option %s", pszName);
}

BOOL CRenderOptions::Parse(int argc, char** argv)
{
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        if (strncmp(a, "--", 2) != 0) {
            if (!m_strInput.IsEmpty())
                return Fail("only one sound file, not also %s", a);
            m_strInput = a;
        } else if (strcmp(a, "--mono") == 0) {
            m_scheme.bMono = TRUE;
        } else if (strcmp(a, "--invert") == 0) {
            m_scheme.bInvert = TRUE;
        } else if (strcmp(a, "--no-shapes") == 0) {
            m_scheme.bDrawShapes = FALSE;
        } else if (strcmp(a, "--hashes") == 0) {
            m_output = OUTPUT_HASHES;
        } else if (strcmp(a, "--levels") == 0) {
            m_output = OUTPUT_LEVELS;
        } else if (strcmp(a, "--quiet") == 0) {
            m_bQuiet = TRUE;
        } else if (i + 1 >= argc) {
            return Fail("%s needs a value", a);
        } else if (!TakeValue(a, argv[++i])) {
            return FALSE;
        }
    }
    if (m_strInput.IsEmpty())
        return Fail("no sound file given%s", "");
    if (m_scheme.bInvert && !m_bBackSet)
        m_scheme.crBack = RGB(255, 255, 255);   // as the invert key does
    return TRUE;
}
