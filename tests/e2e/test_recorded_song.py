"""Recorded songs, normalised to a -1 dB peak as a digital source plays them, through the offline renderer with the
automatic sensitivity: the analyser's level lights most frames of each song without clipping many, every pattern 1
to 16 draws in most of its sampled frames where at x1 some do not, and a quiet room's noise stays dark."""
import array
import os
import random
import subprocess
import tempfile
import unittest
import wave

from kvharness import KvTestCase, SAMPLE_RATE, wav_samples

RENDER = os.environ.get("KV_RENDER", "")
MUSIC = "/usr/share/games/etr/music"    # Debian's extremetuxracer-data: recorded songs
SONG = os.path.join(MUSIC, "race1-jt.ogg")
LEVEL_SONGS = ["race1-jt.ogg", "calmrace-ks.ogg", "freezingpoint.ogg"]
BUFFER = 200                 # samples a frame
CLIP_START, CLIP_SECONDS = 20, 14
WIDTH, HEIGHT = 160, 120
FRAME_BYTES = WIDTH * HEIGHT * 4
# One frame per 200 samples, 55.1 a second: six looks from 6 s on, once Auto has had time to rise.
SAMPLED_FRAMES = [330, 413, 496, 579, 662, 745]
MOST = 4
SOMETHING = 20       # lit pixels that make a visible element, not a stray dot: 0.1 % of the picture


# The audible part of a song: from SETTLE frames (3 s, 165 x 200 / 11025) after the first buffer whose RMS reaches
# AUDIBLE_RMS (-40 dBFS, 32768 / 100) to the last such buffer, so that the leading and trailing silence and the
# seconds Auto takes to rise from x1 are left out.
AUDIBLE_RMS = 328
SETTLE = 165
# Room noise through a microphone: Gaussian, -50 dBFS RMS (32768 x 10^(-50/20) = 103.6), a minute, fixed seed.
NOISE_RMS = 32768 * 10 ** (-50 / 20)
NOISE_SECONDS = 60


def decode(song, path, start=None, seconds=None):
    """A song as the renderer reads it, 16-bit mono at 11025 Hz, peak-normalised to -1 dB."""
    raw = path + ".raw.wav"
    span = ["-ss", str(start), "-t", str(seconds)] if start is not None else []
    subprocess.run(["ffmpeg", "-v", "error", "-y", *span, "-i", song, "-ac", "1", "-ar", str(SAMPLE_RATE),
                    "-sample_fmt", "s16", raw], check=True)
    subprocess.run(["sox", "-D", raw, path, "gain", "-n", "-1"], check=True)
    return path


def room_noise(path, seed=20261209):
    rng = random.Random(seed)
    samples = array.array("h", (max(-32768, min(32767, round(rng.gauss(0, NOISE_RMS))))
                                for _ in range(SAMPLE_RATE * NOISE_SECONDS)))
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(SAMPLE_RATE)
        w.writeframes(samples.tobytes())
    return path


def audible_part(path):
    """(first, end) frames of the audible part of a WAV file, one frame per buffer."""
    samples = wav_samples(path)
    loud = [n for n in range(len(samples) // BUFFER)
            if sum(s * s for s in samples[n * BUFFER:(n + 1) * BUFFER]) >= AUDIBLE_RMS ** 2 * BUFFER]
    return loud[0] + SETTLE, loud[-1] + 1


def shares(levels):
    """Shares of the frames whose level is 20 or more, 40 or more, and 255."""
    n = len(levels)
    return (sum(1 for v in levels if v >= 20) / n, sum(1 for v in levels if v >= 40) / n,
            sum(1 for v in levels if v == 255) / n)


def lit_pixels(frame):
    """Pixels of a raw frame (blue, green, red, unused) that are not the black background."""
    return sum(1 for i in range(0, len(frame), 4) if frame[i] or frame[i + 1] or frame[i + 2])


class RecordedSongTest(KvTestCase):

    def setUp(self):
        super().setUp()
        self.assertTrue(RENDER and os.path.isfile(RENDER), "KV_RENDER not set or missing: %r" % RENDER)
        self.assertTrue(os.path.isfile(SONG), "the test needs %s (scripts/deps.sh installs it)" % SONG)
        self.clip = decode(SONG, os.path.join(self.workdir, "song.wav"), CLIP_START, CLIP_SECONDS)

    def levels(self, wav, gain):
        """The analyser's level of each frame of a WAV file rendered with a sensitivity."""
        with tempfile.TemporaryFile(dir=self.workdir) as err:
            result = subprocess.run(["wine", RENDER, "--quiet", "--levels", "--size", "64x48", "--gain", gain, wav],
                                    stdout=subprocess.PIPE, stderr=err, timeout=600)
            err.seek(0)
            self.assertEqual(result.returncode, 0, err.read().decode(errors="replace"))
        return [int(line) for line in result.stdout.split()]

    def test_auto_lights_most_frames_of_songs_and_clips_few(self):
        for name in LEVEL_SONGS:
            with self.subTest(song=name):
                wav = decode(os.path.join(MUSIC, name), os.path.join(self.workdir, name + ".wav"))
                first, end = audible_part(wav)
                auto = shares(self.levels(wav, "auto")[first:end])
                plain = shares(self.levels(wav, "1")[first:end])
                print("%s, frames %d to %d: level >= 20, >= 40, 255 in %.3f %.3f %.3f with auto, %.3f %.3f %.3f at x1"
                      % ((name, first, end) + auto + plain))
                self.assertGreaterEqual(auto[0], 0.80)
                self.assertGreaterEqual(auto[1], 0.60)
                self.assertLessEqual(auto[2], 0.10)
                # The song is a real case: as it is, without gain, too few of its frames reach level 40.
                self.assertLess(plain[1], 0.60)

    def test_auto_leaves_room_noise_dark(self):
        levels = self.levels(room_noise(os.path.join(self.workdir, "noise.wav")), "auto")
        lit = shares(levels)[0]
        print("room noise: level >= 20 in %.3f of %d frames with auto" % (lit, len(levels)))
        self.assertEqual(len(levels), SAMPLE_RATE * NOISE_SECONDS // BUFFER)
        self.assertLessEqual(lit, 0.02)

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
