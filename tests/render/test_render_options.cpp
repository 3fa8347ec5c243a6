// Tests of the renderer's command line: values out of range are refused by name, never wrapped or padded.
#include <gtest/gtest.h>

#include <string.h>
#include <initializer_list>
#include <vector>

#include "render/RenderOptions.h"

namespace {

// Parses "KalvoraRender OPTION VALUE song.wav".
BOOL ParseOne(CRenderOptions& opt, const char* pszOption, const char* pszValue)
{
    std::vector<char*> argv;
    for (const char* a : { "KalvoraRender", pszOption, pszValue, "song.wav" })
        argv.push_back(const_cast<char*>(a));
    return opt.Parse((int)argv.size(), argv.data());
}

} // namespace

TEST(RenderOptionsTest, ValuesOutOfRangeAreRefusedNamingTheOption)
{
    const struct { const char* option; const char* value; } cases[] = {
        { "--seed", "-1" },                 // strtoul takes it as 4294967295
        { "--seed", "99999999999" },        // strtoul gives ULONG_MAX, 4294967295
        { "--seed", "4294967296" },         // 2^32: one past an unsigned seed
        { "--seed", "+5" },
        { "--back", "0x00FF" },             // six characters, and strtoul reads 0xFF
        { "--back", "-0000F" },
        { "--back", "FFFFFFF" },
        { "--frames", "2147483648" },       // strtol gives LONG_MAX, 2147483647, within the range
        { "--pattern", " 3" },
        { "--gain", "3" },                  // only the Sound menu's gains
        { "--gain", "16" },
        { "--gain", "0" },                  // Auto is asked for by name
        { "--gain", "Automatic" },
    };
    for (const auto& c : cases) {
        CRenderOptions opt;
        EXPECT_FALSE(ParseOne(opt, c.option, c.value)) << c.option << " " << c.value;
        EXPECT_EQ(strncmp(opt.m_strError, c.option, strlen(c.option)), 0) << (LPCSTR)opt.m_strError;
        EXPECT_NE(strstr(opt.m_strError, c.value), nullptr) << (LPCSTR)opt.m_strError;
    }
}

TEST(RenderOptionsTest, TheEndsOfEachRangeAreTaken)
{
    CRenderOptions seedMax, seedMin, back, frames, hue;
    ASSERT_TRUE(ParseOne(seedMax, "--seed", "4294967295")) << (LPCSTR)seedMax.m_strError;
    EXPECT_EQ(seedMax.m_nSeed, 4294967295u);
    ASSERT_TRUE(ParseOne(seedMin, "--seed", "0")) << (LPCSTR)seedMin.m_strError;
    EXPECT_EQ(seedMin.m_nSeed, 0u);
    ASSERT_TRUE(ParseOne(back, "--back", "00fF80")) << (LPCSTR)back.m_strError;
    EXPECT_EQ(back.m_scheme.crBack, RGB(0x00, 0xFF, 0x80));   // RRGGBB in, 0x00BBGGRR held
    ASSERT_TRUE(ParseOne(frames, "--frames", "2147483647")) << (LPCSTR)frames.m_strError;
    EXPECT_EQ(frames.m_dwMaxFrames, 2147483647u);
    ASSERT_TRUE(ParseOne(hue, "--hue", "-32768")) << (LPCSTR)hue.m_strError;
    EXPECT_EQ(hue.m_scheme.nHue, -32768);
    CRenderOptions gain8, gainAuto, gainDefault;
    ASSERT_TRUE(ParseOne(gain8, "--gain", "8"));
    EXPECT_EQ(gain8.m_nGain, 8);
    ASSERT_TRUE(ParseOne(gainAuto, "--gain", "auto"));
    EXPECT_EQ(gainAuto.m_nGain, 0);
    EXPECT_EQ(gainDefault.m_nGain, 1) << "x1 keeps every video made before the option";
}
