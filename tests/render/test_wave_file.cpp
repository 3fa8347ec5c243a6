// Tests of the renderer's WAV reader on damaged headers: every file ends, in frames or in a reason.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <atomic>
#include <thread>
#include <vector>

#include "render/WaveFile.h"

namespace {

typedef std::vector<unsigned char> Bytes;

// Where the sizes of the valid file below are: RIFF at 4, LIST at 16, "fmt " at 50, data at 74.
const size_t kRiffSize = 4, kListSize = 16, kFormatSize = 50, kDataSize = 74, kHeaderBytes = 78;
const DWORD kSamples = 3 * 200 + 10;   // three whole blocks and a part of one

void Append(Bytes& b, DWORD value, int nBytes)
{
    for (int i = 0; i < nBytes; i++)
        b.push_back((unsigned char)(value >> (8 * i)));
}

void AppendId(Bytes& b, const char* id)
{
    for (int i = 0; i < 4; i++)
        b.push_back((unsigned char)id[i]);
}

void Put32(Bytes& b, size_t at, DWORD value)
{
    for (int i = 0; i < 4 && at + i < b.size(); i++)
        b[at + i] = (unsigned char)(value >> (8 * i));
}

// RIFF header, a LIST chunk to step over, the format, then the sound: sample n of the data holds n.
Bytes ValidWave()
{
    Bytes b;
    AppendId(b, "RIFF");
    Append(b, 0, 4);
    AppendId(b, "WAVE");
    AppendId(b, "LIST");
    Append(b, 26, 4);
    b.insert(b.end(), 26, 'x');
    AppendId(b, "fmt ");
    Append(b, 16, 4);
    Append(b, 1, 2);          // PCM
    Append(b, 1, 2);          // mono
    Append(b, 11025, 4);
    Append(b, 22050, 4);      // bytes a second
    Append(b, 2, 2);          // bytes a sample
    Append(b, 16, 2);         // bits
    AppendId(b, "data");
    Append(b, 2 * kSamples, 4);
    for (DWORD n = 0; n < kSamples; n++)
        Append(b, n, 2);
    Put32(b, kRiffSize, (DWORD)b.size() - 8);
    return b;
}

// Ends the test program with the number of the case when one file has been read for far longer than the
// second it should take at most: a reader caught in a loop would otherwise hold the run until ctest's
// time-out without a word on which file did it. The bound is generous so a slow machine never trips it.
class CWatchdog
{
public:
    enum { BOUND_MS = 20000, IDLE = -1 };

    CWatchdog() : m_nCase(IDLE), m_dwStart(0), m_bStop(false), m_thread([this] { Watch(); }) {}
    ~CWatchdog()
    {
        m_bStop = true;
        m_thread.join();
    }
    void Begin(int nCase)
    {
        m_dwStart = ::GetTickCount();
        m_nCase = nCase;
    }
    void End() { m_nCase = IDLE; }

private:
    void Watch()
    {
        while (!m_bStop) {
            const int nCase = m_nCase;
            if (nCase != IDLE && ::GetTickCount() - m_dwStart > BOUND_MS) {
                fprintf(stderr, "case %d: the reader was still busy after %d ms\n", nCase, (int)BOUND_MS);
                fflush(stderr);
                ::ExitProcess(1);
            }
            ::Sleep(100);
        }
    }

    std::atomic<int> m_nCase;
    std::atomic<DWORD> m_dwStart;
    std::atomic<bool> m_bStop;
    std::thread m_thread;
};

struct SOutcome {
    BOOL bOpened;
    DWORD dwBlockCount;   // what Open announced
    DWORD dwBlocksRead;
    CString strError;
};

class WaveFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char szFolder[MAX_PATH];
        ASSERT_NE(::GetTempPathA(MAX_PATH, szFolder), 0u);
        ASSERT_NE(::GetTempFileNameA(szFolder, "kvw", 0, m_szPath), 0u);
    }
    void TearDown() override { ::DeleteFileA(m_szPath); }

    void Write(const Bytes& b)
    {
        FILE* f = fopen(m_szPath, "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(fwrite(b.data(), 1, b.size(), f), b.size());
        ASSERT_EQ(fclose(f), 0);
    }

    SOutcome ReadAll(int nCase)
    {
        SOutcome o = {};
        m_watchdog.Begin(nCase);
        CWaveFile wave;
        o.bOpened = wave.Open(m_szPath);
        o.dwBlockCount = wave.BlockCount();
        short samples[CWaveFile::BLOCK];
        while (wave.ReadBlock(samples))
            o.dwBlocksRead++;
        o.strError = wave.m_strError;
        m_watchdog.End();
        return o;
    }

    char m_szPath[MAX_PATH] = "";
    CWatchdog m_watchdog;
};

// The fuzzer's own generator: the same cases on every run and machine, whatever else calls rand().
class CCases
{
public:
    explicit CCases(unsigned seed) : m_state(seed) {}
    unsigned Below(unsigned n)
    {
        m_state = m_state * 1103515245u + 12345u;
        return (m_state >> 8) % n;
    }

private:
    unsigned m_state;
};

// One to three changes to the header: a byte anywhere in it, a 32-bit value over a size or any other place,
// or the file cut short anywhere.
void Mutate(Bytes& b, CCases& cases)
{
    static const DWORD kValues[] = { 0, 1, 15, 16, 17, 26, 1220, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF,
                                     0xFFFFFFF8, 0xFFFFFFE8, 0xFFFFFFC6, 0x7FFFFFF8, 0xFFFF0000 };
    static const size_t kSizes[] = { kRiffSize, kListSize, kFormatSize, kDataSize };
    const unsigned nChanges = 1 + cases.Below(3);
    for (unsigned i = 0; i < nChanges; i++) {
        const unsigned nKind = cases.Below(4);
        if (nKind == 0) {
            const unsigned at = cases.Below(kHeaderBytes);
            const unsigned char value = (unsigned char)cases.Below(256);
            if (at < b.size())
                b[at] = value;
        } else if (nKind == 1) {
            const size_t at = kSizes[cases.Below(4)];
            Put32(b, at, kValues[cases.Below(sizeof(kValues) / sizeof(kValues[0]))]);
        } else if (nKind == 2) {
            const unsigned at = cases.Below(kHeaderBytes);
            Put32(b, at, kValues[cases.Below(sizeof(kValues) / sizeof(kValues[0]))]);
        } else {
            const unsigned nLength = cases.Below((unsigned)b.size() + 1);
            b.resize(nLength);
        }
    }
}

} // namespace

TEST_F(WaveFileTest, TheValidFileGivesItsWholeBlocks)
{
    Write(ValidWave());
    const SOutcome o = ReadAll(0);
    EXPECT_TRUE(o.bOpened) << (LPCSTR)o.strError;
    // 610 samples: 610 / 200 = 3 whole blocks; the last 10 samples make no frame.
    EXPECT_EQ(o.dwBlockCount, 3u);
    EXPECT_EQ(o.dwBlocksRead, 3u);
}

// A size of 2 GB or more read as a signed number steps back: 0xFFFFFFF8 over the LIST chunk lands on its own
// header again, over the format chunk 24 bytes back, on the format's own header (16 read, then -24).
TEST_F(WaveFileTest, AChunkClaimingMoreThanTheFileHasLeftIsDamaged)
{
    const Bytes valid = ValidWave();
    const DWORD dwListLeft = (DWORD)(valid.size() - kListSize - 4);
    const DWORD dwFormatLeft = (DWORD)(valid.size() - kFormatSize - 4);
    const struct { size_t at; DWORD size; } cases[] = {
        { kListSize, 0xFFFFFFF8 }, { kListSize, 0x80000000 }, { kListSize, 0xFFFFFFFF }, { kListSize, dwListLeft + 1 },
        { kFormatSize, 0xFFFFFFF8 }, { kFormatSize, 0x80000000 }, { kFormatSize, dwFormatLeft + 1 },
    };
    int nCase = 0;
    for (const auto& c : cases) {
        Bytes b = valid;
        Put32(b, c.at, c.size);
        Write(b);
        const SOutcome o = ReadAll(++nCase);
        EXPECT_FALSE(o.bOpened) << "size " << std::hex << c.size << " at " << std::dec << c.at;
        EXPECT_NE(strstr(o.strError, "damaged"), nullptr) << (LPCSTR)o.strError;
    }
    // Exactly what is left is no damage: the chunk ends where the file does, with no sound data after it.
    Bytes b = valid;
    Put32(b, kListSize, dwListLeft);
    Write(b);
    const SOutcome o = ReadAll(++nCase);
    EXPECT_FALSE(o.bOpened);
    EXPECT_NE(strstr(o.strError, "no wave format"), nullptr) << (LPCSTR)o.strError;
}

TEST_F(WaveFileTest, ThreeThousandDamagedHeadersEachEndInFramesOrAReason)
{
    const Bytes valid = ValidWave();
    CCases cases(20240611u);
    int nOpened = 0, nRefused = 0;
    for (int nCase = 1; nCase <= 3000; nCase++) {
        Bytes b = valid;
        Mutate(b, cases);
        Write(b);
        const SOutcome o = ReadAll(nCase);
        if (o.bOpened) {
            nOpened++;
            // Never more sound than the file holds, and exactly the blocks announced.
            EXPECT_LE(o.dwBlocksRead * 2 * CWaveFile::BLOCK, b.size()) << "case " << nCase;
            EXPECT_EQ(o.dwBlocksRead, o.dwBlockCount) << "case " << nCase;
        } else {
            nRefused++;
            EXPECT_FALSE(o.strError.IsEmpty()) << "case " << nCase << " refused without a reason";
        }
        if (HasFailure())
            break;
    }
    // Both ends must be reached, or the cases test nothing: a byte in the LIST text changes nothing, a size
    // past the end is refused.
    EXPECT_GT(nOpened, 100);
    EXPECT_GT(nRefused, 100);
}
