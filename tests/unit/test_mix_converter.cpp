// CMixConverter: endpoint mix formats to 16-bit mono 11025 Hz, at the right level and rate, seamless across packets.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmreg.h>
#include <math.h>
#include <stdlib.h>

#include <algorithm>

#include <vector>

#include "sound/MixConverter.h"

namespace {

const double kPi = 3.14159265358979323846;
// Sample value 16448 (level 16448 / 128 = 128.5, shown as 128) as a fraction of full scale: 16448 / 32768.
const double kLevel128 = 0.501953125;

struct Format { const char* name; bool bFloat; WORD bits; WORD channels; DWORD rate; bool extensible; };

WAVEFORMATEXTENSIBLE MakeFormat(const Format& f)
{
    WAVEFORMATEXTENSIBLE wfx = {};
    wfx.Format.wFormatTag = f.bFloat ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
    wfx.Format.nChannels = f.channels;
    wfx.Format.nSamplesPerSec = f.rate;
    wfx.Format.wBitsPerSample = f.bits;
    wfx.Format.nBlockAlign = (WORD)(f.channels * f.bits / 8);
    wfx.Format.nAvgBytesPerSec = f.rate * wfx.Format.nBlockAlign;
    if (f.extensible) {
        // KSDATAFORMAT_SUBTYPE_PCM / _IEEE_FLOAT: the format tag, then the fixed tail.
        const GUID sub = { wfx.Format.wFormatTag, 0x0000, 0x0010, { 0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71 } };
        wfx.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
        wfx.Format.cbSize = 22;
        wfx.Samples.wValidBitsPerSample = f.bits;
        wfx.SubFormat = sub;
    }
    return wfx;
}

void WriteSample(BYTE* p, const Format& f, double v)
{
    if (f.bFloat) {
        const float x = (float)v;
        memcpy(p, &x, 4);
        return;
    }
    const LONG n = lround(v * ldexp(1.0, f.bits - 1));
    for (int i = 0; i < f.bits / 8; i++)
        p[i] = (BYTE)(n >> (8 * i));
}

// One second of a signal; each channel gets its own offset, the offsets summing to zero, so that only the
// average of the channels is the signal itself.
std::vector<BYTE> MakeSecond(const Format& f, double (*signal)(double t))
{
    const int nFrame = f.channels * f.bits / 8;
    std::vector<BYTE> data(f.rate * nFrame);
    for (DWORD i = 0; i < f.rate; i++) {
        for (int c = 0; c < f.channels; c++) {
            const double offset = (c - (f.channels - 1) / 2.0) * 0.1;
            WriteSample(&data[i * nFrame + c * f.bits / 8], f, signal((double)i / f.rate) + offset);
        }
    }
    return data;
}

double Dc(double) { return kLevel128; }
// 100 Hz; the phase keeps samples off exact zeros, so that each crossing is one sign change.
double Tone(double t) { return kLevel128 * sin(2 * kPi * 100 * t + 0.3); }

std::vector<short> ConvertInPackets(CMixConverter& conv, const std::vector<BYTE>& data, int nFrameBytes,
                                    const int* pSizes, int nSizes)
{
    std::vector<short> out(20000);
    int nOut = 0;
    const int nFrames = (int)data.size() / nFrameBytes;
    for (int i = 0, k = 0; i < nFrames; k++) {
        int n = pSizes[k % nSizes];
        if (n > nFrames - i)
            n = nFrames - i;
        nOut += conv.Convert(&data[i * nFrameBytes], n, &out[nOut], (int)out.size() - nOut);
        i += n;
    }
    out.resize(nOut);
    return out;
}

const Format kFormats[] = {
    { "float stereo 48 kHz, extensible", true, 32, 2, 48000, true },
    { "float stereo 44.1 kHz", true, 32, 2, 44100, false },
    { "int16 stereo 44.1 kHz", false, 16, 2, 44100, false },
    { "int16 mono 11025 Hz", false, 16, 1, 11025, false },
    { "int24 stereo 96 kHz, extensible", false, 24, 2, 96000, true },
    { "int32 5.1 48 kHz, extensible", false, 32, 6, 48000, true },
    { "float mono 8 kHz (up)", true, 32, 1, 8000, false },
};

} // namespace

// Levels within one step of 128 in every format, one second in giving one second out, packets leaving no seam.
TEST(MixConverter, DcAndLowToneKeepLevelAndRateAcrossPacketsInEveryFormat)
{
    for (const Format& f : kFormats) {
        SCOPED_TRACE(f.name);
        const WAVEFORMATEXTENSIBLE wfx = MakeFormat(f);
        CMixConverter conv;
        ASSERT_TRUE(conv.SetFormat(&wfx.Format, 11025));
        const int sizes[] = { (int)f.rate / 100 };   // 10 ms packets
        const std::vector<short> dc = ConvertInPackets(conv, MakeSecond(f, Dc), conv.GetFrameBytes(), sizes, 1);
        // Output k lies at input frame k * rate / 11025; the last frame, rate - 1, is reached at k = 11024
        // (within rounding), so 11025 samples come out.
        EXPECT_NEAR((double)dc.size(), 11025.0, 1.0);
        int nOffLevel = 0;
        for (short s : dc)
            nOffLevel += abs(s / 128 - 128) > 1;
        EXPECT_EQ(nOffLevel, 0) << "first sample " << (dc.empty() ? 0 : dc[0]);

        conv.Restart();
        const std::vector<short> tone = ConvertInPackets(conv, MakeSecond(f, Tone), conv.GetFrameBytes(), sizes, 1);
        int nPeak = 0, nCrossings = 0;
        for (size_t i = 0; i < tone.size(); i++) {
            nPeak = std::max(nPeak, abs((int)tone[i]));
            nCrossings += i > 0 && (tone[i] < 0) != (tone[i - 1] < 0);
        }
        EXPECT_NEAR(nPeak / 128, 128, 1);
        // 100 periods in the second, two crossings each.
        EXPECT_NEAR(nCrossings, 200, 1);
        // The fractional position and the last frame carry over: packets of any size give the same.
        conv.Restart();
        const int odd[] = { 1, 7, 480, 441, 13, 2 };
        EXPECT_TRUE(ConvertInPackets(conv, MakeSecond(f, Tone), conv.GetFrameBytes(), odd, 6) == tone) << "a seam";
    }
}

// At the same rate each frame comes out as it went in (after its neighbour has come): the scale and the clamp.
TEST(MixConverter, FloatIsScaledBy32768AndClamped)
{
    const Format f = { "float mono 11025 Hz", true, 32, 1, 11025, false };
    const WAVEFORMATEXTENSIBLE wfx = MakeFormat(f);
    CMixConverter conv;
    ASSERT_TRUE(conv.SetFormat(&wfx.Format, 11025));
    const float in[] = { 1.5f, -1.5f, 0.5f, -0.25f, 1.0f, -1.0f, 0.0f };
    const short expected[] = { 32767, -32768, 16384, -8192, 32767, -32768, 0 };
    short out[16];
    ASSERT_EQ(conv.Convert((const BYTE*)in, 7, out, 16), 7);
    EXPECT_EQ(std::vector<short>(out, out + 7), std::vector<short>(expected, expected + 7));
}

TEST(MixConverter, RefusesFormatsItCannotRead)
{
    struct Case { const char* name; WORD tag; WORD bits; WORD channels; DWORD rate; WORD align; };
    const Case cases[] = {
        { "64-bit float", WAVE_FORMAT_IEEE_FLOAT, 64, 2, 48000, 16 },
        { "ADPCM", WAVE_FORMAT_ADPCM, 4, 1, 11025, 256 },
        { "12-bit PCM", WAVE_FORMAT_PCM, 12, 1, 11025, 2 },
        { "no channels", WAVE_FORMAT_PCM, 16, 0, 11025, 0 },
        { "no rate", WAVE_FORMAT_PCM, 16, 2, 0, 4 },
        { "frame size not of its samples", WAVE_FORMAT_PCM, 16, 2, 44100, 2 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WAVEFORMATEX wfx = { c.tag, c.channels, c.rate, c.rate * c.align, c.align, c.bits, 0 };
        CMixConverter conv;
        EXPECT_FALSE(conv.SetFormat(&wfx, 11025));
    }
    // An extensible format whose sub-format is none of the known kinds.
    WAVEFORMATEXTENSIBLE wfx = MakeFormat({ "float", true, 32, 2, 48000, true });
    wfx.SubFormat.Data4[7] ^= 1;
    CMixConverter conv;
    EXPECT_FALSE(conv.SetFormat(&wfx.Format, 11025));
    EXPECT_FALSE(conv.SetFormat(NULL, 11025));
}
