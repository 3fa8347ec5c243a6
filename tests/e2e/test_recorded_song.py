"""A recorded song, normalised to a -1 dB peak as a digital source plays it, through the offline renderer with the
automatic sensitivity: every pattern 1 to 16 draws in most of its sampled frames, where at x1 some do not."""
import os
import subprocess
import tempfile
import unittest

from kvharness import KvTestCase

RENDER = os.environ.get("KV_RENDER", "")
SONG = "/usr/share/games/etr/music/race1-jt.ogg"    # Debian's extremetuxracer-data, a recorded song
CLIP_START, CLIP_SECONDS = 20, 14
WIDTH, HEIGHT = 160, 120
FRAME_BYTES = WIDTH * HEIGHT * 4
# One frame per 200 samples, 55.1 a second: six looks from 6 s on, once Auto has had time to rise.
SAMPLED_FRAMES = [330, 413, 496, 579, 662, 745]
MOST = 4
SOMETHING = 20       # lit pixels that make a visible element, not a stray dot: 0.1 % of the picture


def lit_pixels(frame):
    """Pixels of a raw frame (blue, green, red, unused) that are not the black background."""
    return sum(1 for i in range(0, len(frame), 4) if frame[i] or frame[i + 1] or frame[i + 2])


class RecordedSongTest(KvTestCase):

    def setUp(self):
        super().setUp()
        self.assertTrue(RENDER and os.path.isfile(RENDER), "KV_RENDER not set or missing: %r" % RENDER)
        self.assertTrue(os.path.isfile(SONG), "the test needs %s (scripts/deps.sh installs it)" % SONG)
        self.clip = os.path.join(self.workdir, "song.wav")
        subprocess.run(["ffmpeg", "-v", "error", "-y", "-ss", str(CLIP_START), "-t", str(CLIP_SECONDS), "-i", SONG,
                        "-ac", "1", "-ar", "11025", "-sample_fmt", "s16", os.path.join(self.workdir, "raw.wav")],
                       check=True)
        subprocess.run(["sox", "-D", os.path.join(self.workdir, "raw.wav"), self.clip, "gain", "-n", "-1"],
                       check=True)

    def lit_counts(self, pattern, gain):
        """Lit pixels of the sampled frames of one pattern."""
        with tempfile.TemporaryFile(dir=self.workdir) as err:
            result = subprocess.run(["wine", RENDER, "--quiet", "--pattern", str(pattern), "--gain", gain,
                                     "--size", "%dx%d" % (WIDTH, HEIGHT), "--frames", str(SAMPLED_FRAMES[-1] + 1),
                                     self.clip], stdout=subprocess.PIPE, stderr=err, timeout=600)
            err.seek(0)
            self.assertEqual(result.returncode, 0, err.read().decode(errors="replace"))
        frames = result.stdout
        return [lit_pixels(frames[n * FRAME_BYTES:(n + 1) * FRAME_BYTES]) for n in SAMPLED_FRAMES]

    def test_every_pattern_draws_in_most_frames_of_a_song_with_auto(self):
        blank, blank_at_x1 = {}, []
        for pattern in range(1, 17):
            auto = self.lit_counts(pattern, "auto")
            plain = self.lit_counts(pattern, "1")
            print("pattern %2d: lit pixels with auto %s, at x1 %s" % (pattern, auto, plain))
            drawn = sum(1 for count in auto if count >= SOMETHING)
            if drawn < MOST:
                blank[pattern] = auto
            if sum(1 for count in plain if count >= SOMETHING) < MOST:
                blank_at_x1.append(pattern)
        self.assertEqual(blank, {}, "patterns that stayed blank in most frames with Auto")
        # The clip is a real case: as it is, without gain, some patterns stay nearly blank.
        self.assertNotEqual(blank_at_x1, [], "no pattern needed the gain: the clip proves nothing")


if __name__ == "__main__":
    unittest.main()
