"""The offline renderer and scripts/render.sh: the same frames for the same seed and sound, the live display's
picture for a steady level, golden frame hashes of every pattern, and clear refusals of bad input."""
import os
import shutil
import subprocess
import tempfile
import time
import unittest
import wave

from kvharness import (CONTROL_CLASS, CONTROL_TITLE, REPO, KvTestCase, Picture, client_rect, make_dc_wav, post, run,
                       screenshot, wait_for, wait_window)
from test_patterns import (DISPLAY_CLASS, ID_CONTROL_WINDOW, ID_PATTERN_FIRST, SETTLE, START_TIMEOUT, STRONGEST,
                           TRIES, WM_COMMAND)

RENDER = os.environ.get("KV_RENDER", "")
GOLDEN = os.path.join(os.path.dirname(__file__), "golden", "frame-hashes.txt")
GOLDEN_FRAMES = 60
GOLDEN_SIZE = "320x240"
GOLDEN_SEED = 7
DC_SAMPLE = 16448            # level 128
BLOCK = 200
MEASURED = 99                # the one sample of each block the analyser takes
EXIT_INPUT = 2               # the renderer's exit code for a sound file it can't use


def reference_level(k):
    """Block k's level in the golden signal: stepping through levels 0 to 255 so that silences, loud buffers and
    deltas above 10, 30, 50, 100 and 200 all occur."""
    levels = [0, 40, 200, 90, 255, 120, 10, 180, 60, 230, 0, 150]
    return levels[(k // 3) % len(levels)] if k % 7 else levels[k % len(levels)]


def sample_of_level(level, k):
    """A sample in the middle of the level's span of 128 values, negative in even blocks."""
    return (level * 128 + 64) * (1 if k % 2 else -1) if level else 0


def write_wav(path, blocks):
    """A 16-bit mono 11025 Hz file of the given blocks of samples."""
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(11025)
        w.writeframes(b"".join(v.to_bytes(2, "little", signed=True) for block in blocks for v in block))
    return path


def reference_wav(path, blocks):
    """The fixed signal of the golden frames: each block of 200 samples holds one value."""
    return write_wav(path, ([sample_of_level(reference_level(k), k)] * BLOCK for k in range(blocks)))


def sample99_wav(path, blocks):
    """The golden signal at sample 99 of each block only: the other 199 samples hold the level 255 - L, which
    is never L, so measuring any other sample (a block read up to 99 samples early or late included) changes
    the level of every block and with it the frames."""
    def block(k):
        samples = [sample_of_level(255 - reference_level(k), k)] * BLOCK
        samples[MEASURED] = sample_of_level(reference_level(k), k)
        return samples
    return write_wav(path, (block(k) for k in range(blocks)))


def control_hidden():
    rect = client_rect(CONTROL_CLASS, CONTROL_TITLE)
    return rect is not None and not rect[4]


def colours(picture):
    return {picture.at(*p) for p in picture.lit}


def live_differences(rendered, live):
    """What a rendered picture and a live screenshot of a steady level disagree on, pixel by pixel. The live
    program seeds its random numbers with the clock, so the hue it draws (180 +- 2), its whiteness (0 to 5 %)
    and pattern 5's colour family are its own; everything else is the level's: the same pixels are lit, each
    picture in one colour, and every lit pixel's strongest channel is the brightness 40 + 60 * 50 / 100 = 70 %
    of the pulse 128 * 100 / 255 = 50, (int)(0.7 * 255) = 178, in both."""
    problems = []
    if rendered.lit != live.lit:
        only = sorted(rendered.lit - live.lit)[:3], sorted(live.lit - rendered.lit)[:3]
        problems.append("%d pixels lit in one picture only, e.g. rendered %r, live %r"
                        % (len(rendered.lit ^ live.lit), *only))
    for name, picture in (("rendered", rendered), ("live", live)):
        found = colours(picture)
        if len(found) != 1 or max(next(iter(found))) != STRONGEST:
            problems.append("%s colours %r" % (name, sorted(found)[:4]))
    return problems


def read_golden():
    table = {}
    with open(GOLDEN) as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                pattern, frame, value = line.split()
                table[int(pattern), int(frame)] = value
    return table


class RenderTest(KvTestCase):

    def setUp(self):
        super().setUp()
        self.assertTrue(RENDER and os.path.isfile(RENDER), "KV_RENDER not set or missing: %r" % RENDER)

    def render(self, wav, *args, check=True, timeout=600):
        """Runs the renderer; its standard error goes through a file, since with both outputs on pipes each
        Wine run takes some 15 s longer to be seen ending."""
        with tempfile.TemporaryFile(dir=self.workdir) as err:
            result = subprocess.run(["wine", RENDER, "--quiet", *map(str, args), wav], stdout=subprocess.PIPE,
                                    stderr=err, timeout=timeout)
            err.seek(0)
            result.stderr = err.read()
        if check:
            self.assertEqual(result.returncode, 0, result.stderr.decode(errors="replace"))
        return result

    def hashes(self, wav, *args):
        return self.render(wav, "--hashes", *args).stdout.decode().split()

    def wav(self, name):
        return os.path.join(self.workdir, name)

    def test_same_seed_and_sound_give_the_same_frames(self):
        sound = reference_wav(self.wav("ref.wav"), 80)
        first = self.hashes(sound, "--pattern", 4, "--seed", 11)
        self.assertEqual(len(first), 80)
        self.assertEqual(self.hashes(sound, "--pattern", 4, "--seed", 11), first)
        other = self.hashes(sound, "--pattern", 4, "--seed", 12)
        self.assertNotEqual(other[1:], first[1:], "pattern 4 scatters its dots by the random sequence")

    def test_a_steady_level_gives_the_live_displays_picture(self):
        """Patterns 2 and 5 at a steady level 128, rendered and on the live display, compared pixel by pixel.
        The render starts on pattern 0 and Static 1sec switches to the one marked pattern after a second, so the
        pattern starts on a level that no longer changes, as it does when it is chosen on the live display."""
        sound = make_dc_wav(self.wav("dc.wav"), DC_SAMPLE, 2.5)
        rendered = {}
        for pattern in (2, 5):
            folder = self.wav("frames%d" % pattern)
            self.render(sound, "--pattern", 0, "--arrange", 5, "--marked", pattern, "--bmp", folder)
            frames = sorted(os.listdir(folder))
            self.assertEqual(len(frames), int(2.5 * 11025) // BLOCK)
            rendered[pattern] = Picture(os.path.join(folder, frames[-1]), (0, 0, 640, 480), floor=0)

        self.play_dc(DC_SAMPLE, seconds=300)
        program = self.start_kalvora()
        self.assertTrue(program.wait_display(START_TIMEOUT), "display window never appeared\n" + program.log())
        # The control window overlaps the display; hidden, it leaves the whole picture to look at.
        self.assertTrue(post(DISPLAY_CLASS, "*", WM_COMMAND, ID_CONTROL_WINDOW))
        self.assertTrue(wait_for(control_hidden, 10), "control window still shown")
        display = client_rect(DISPLAY_CLASS, "*")[:4]
        self.assertEqual((display[2] - display[0], display[3] - display[1]), (640, 480))
        for pattern in (2, 5):
            with self.subTest(pattern=pattern):
                self.assertTrue(post(DISPLAY_CLASS, "*", WM_COMMAND, ID_PATTERN_FIRST + pattern))
                self.assertTrue(wait_window(DISPLAY_CLASS, "Pattern%d" % pattern, 10))
                time.sleep(SETTLE)
                # A screenshot can fall between a frame's erase and its draw: a few looks, the last one counts.
                for attempt in range(TRIES):
                    shot = screenshot(self.wav("live%d-%d.png" % (pattern, attempt)))
                    problems = live_differences(rendered[pattern], Picture(shot, display, floor=0))
                    if not problems:
                        break
                    time.sleep(0.4)
                self.assertEqual(problems, [])

    def test_only_sample_99_of_each_block_is_measured(self):
        """The golden signal with the other 199 samples of each block changed gives the golden frames. Pattern 0
        shows the analyser's every output, level, delta and the means, and pattern 1's discs follow the level."""
        sound = sample99_wav(self.wav("sample99.wav"), GOLDEN_FRAMES)
        golden = read_golden()
        for pattern in (0, 1):
            with self.subTest(pattern=pattern):
                values = self.hashes(sound, "--pattern", pattern, "--size", GOLDEN_SIZE, "--seed", GOLDEN_SEED)
                self.assertEqual(values, [golden[pattern, frame] for frame in range(1, GOLDEN_FRAMES + 1)])

    def test_golden_frames_of_every_pattern(self):
        """Every pattern rendered from a fixed signal and seed gives the frames it gave when the table was made.
        A change of picture that is meant: KV_UPDATE_GOLDEN=1 bash scripts/test.sh -R e2e.test_render"""
        sound = reference_wav(self.wav("golden.wav"), GOLDEN_FRAMES)
        found = {}
        for pattern in range(17):
            values = self.hashes(sound, "--pattern", pattern, "--size", GOLDEN_SIZE, "--seed", GOLDEN_SEED)
            found.update({(pattern, frame + 1): value for frame, value in enumerate(values)})
        if os.environ.get("KV_UPDATE_GOLDEN") == "1":
            with open(GOLDEN, "w") as f:
                f.write("# pattern frame hash: %d frames of each pattern at %s, seed %d (see test_render.py)\n"
                        % (GOLDEN_FRAMES, GOLDEN_SIZE, GOLDEN_SEED))
                for (pattern, frame), value in sorted(found.items()):
                    f.write("%d %d %s\n" % (pattern, frame, value))
            self.skipTest("golden table written anew: %s" % GOLDEN)
        expected = read_golden()
        every = {(pattern, frame) for pattern in range(17) for frame in range(1, GOLDEN_FRAMES + 1)}
        self.assertEqual(set(found), every)
        self.assertEqual(sorted(every - set(expected)), [], "frames missing from the golden table")
        changed = {}
        for key in sorted(every):
            if found[key] != expected[key]:
                changed.setdefault(key[0], key[1])
        self.assertEqual(changed, {}, "pattern: first frame that differs from the golden table")

    def test_bad_sound_files_are_refused_with_their_reason(self):
        stereo = self.wav("stereo.wav")
        run(["sox", "-D", "-n", "-r", "11025", "-c", "2", "-b", "16", stereo, "synth", "1", "sine", "440"], check=True)
        fast = self.wav("fast.wav")
        run(["sox", "-D", "-n", "-r", "44100", "-c", "1", "-b", "16", fast, "synth", "1", "sine", "440"], check=True)
        with open(make_dc_wav(self.wav("whole.wav"), DC_SAMPLE, 2), "rb") as f:
            whole = f.read()
        cut = self.wav("cut.wav")
        with open(cut, "wb") as f:
            f.write(whole[:len(whole) // 2])
        # A format chunk of 0xFFFFFFF8 bytes: read as a signed number it stepped 24 bytes back onto its own
        # header, and the renderer read that header for ever.
        looping = self.wav("looping.wav")
        at = whole.index(b"fmt ") + 4
        with open(looping, "wb") as f:
            f.write(whole[:at] + (0xFFFFFFF8).to_bytes(4, "little") + whole[at + 4:])
        cases = {"missing": (self.wav("none.wav"), "none.wav"),
                 "stereo": (stereo, "not 16-bit mono PCM at 11025 Hz (this one: format 1, 2 channel(s), 11025 Hz"),
                 "44.1 kHz": (fast, "not 16-bit mono PCM at 11025 Hz (this one: format 1, 1 channel(s), 44100 Hz"),
                 "cut": (cut, "cut short"), "chunk size past the end": (looping, "wave format chunk is damaged")}
        for name, (path, reason) in cases.items():
            with self.subTest(name=name):
                result = self.render(path, check=False, timeout=120)
                self.assertEqual(result.returncode, EXIT_INPUT)
                self.assertIn(reason, result.stderr.decode(errors="replace"))
                self.assertEqual(result.stdout, b"", "no frames from a file that can't be used")


class RenderScriptTest(KvTestCase):
    """scripts/render.sh: a song in, an H.264 video with the song's sound out, and nothing left on failure."""

    def render_script(self, song, out, *args, env=None):
        with tempfile.TemporaryFile(mode="w+", dir=self.workdir) as err:
            result = subprocess.run(["bash", os.path.join(REPO, "scripts", "render.sh"), song, out, *map(str, args)],
                                    stdout=subprocess.DEVNULL, stderr=err, text=True, timeout=900,
                                    env=dict(os.environ, **(env or {})))
            err.seek(0)
            result.stderr = err.read()
        return result

    def test_a_song_becomes_a_video(self):
        song = os.path.join(self.workdir, "song.ogg")
        run(["sox", "-D", "-n", "-r", "44100", "-c", "2", song, "synth", "3", "square", "110", "vol", "0.8"], check=True)
        out = os.path.join(self.workdir, "video.mp4")
        result = self.render_script(song, out, "--pattern", 3, "--size", "320x240")
        self.assertEqual(result.returncode, 0, result.stderr)
        print(result.stderr.strip().splitlines()[-1])
        streams = run(["ffprobe", "-v", "error", "-show_entries", "stream=codec_name,width,height,r_frame_rate,nb_frames",
                       "-of", "csv=p=0", out], check=True).stdout.split()
        # 3 s at 11025 Hz is 165 whole blocks of 200 samples: 165 frames at 11025 / 200 = 441 / 8 a second.
        self.assertIn("h264,320,240,441/8,165", streams)
        self.assertTrue(any(s.startswith("aac") for s in streams), streams)

    def test_whatever_fails_leaves_no_video(self):
        """A missing song, a song ffmpeg can't read, a song too short for one frame (150 samples at 11025 Hz,
        under one block of 200), and an encoder that ends with an error after ten frames."""
        garbage = os.path.join(self.workdir, "noise.mp3")
        with open(garbage, "wb") as f:
            f.write(os.urandom(4000))
        short = os.path.join(self.workdir, "short.wav")
        run(["sox", "-D", "-n", "-r", "11025", "-c", "1", "-b", "16", short, "synth", "150s", "square", "110"],
            check=True)
        song = os.path.join(self.workdir, "song.wav")
        run(["sox", "-D", "-n", "-r", "11025", "-c", "1", "-b", "16", song, "synth", "2", "square", "110"], check=True)
        failing = {"PATH": "%s:%s" % (self.failing_encoder(frames=10, size=(64, 48)), os.environ["PATH"])}
        cases = {"missing": (os.path.join(self.workdir, "missing.ogg"), (), {}, "no such sound file"),
                 "garbage": (garbage, (), {}, "could not read"),
                 "no frame": (short, (), {}, "drew no frame"),
                 "encoder fails": (song, ("--size", "64x48"), failing, "encoder exit 1")}
        for name, (path, args, env, reason) in cases.items():
            with self.subTest(name=name):
                target = os.path.join(self.workdir, "%s.mp4" % name)
                result = self.render_script(path, target, *args, env=env)
                self.assertNotEqual(result.returncode, 0)
                self.assertIn(reason, result.stderr)
                self.assertFalse(os.path.exists(target), "a video was left behind")

    def test_options_that_make_no_raw_frames_are_refused(self):
        song = os.path.join(self.workdir, "song.wav")
        run(["sox", "-D", "-n", "-r", "11025", "-c", "1", "-b", "16", song, "synth", "1", "square", "110"], check=True)
        for args in (("--bmp", self.workdir), ("--hashes",), ("--levels",)):
            with self.subTest(option=args[0]):
                target = os.path.join(self.workdir, "refused.mp4")
                result = self.render_script(song, target, *args)
                self.assertEqual(result.returncode, 1)
                self.assertIn("render: %s writes no raw frames" % args[0], result.stderr)
                self.assertFalse(os.path.exists(target))

    def failing_encoder(self, frames, size):
        """A folder with an ffmpeg that encodes the first frames of the renderer's stream, reads the rest, and
        ends with an error, as an encoder does when the disk fills: the renderer itself succeeds."""
        folder = os.path.join(self.workdir, "failing-bin")
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, "ffmpeg")
        with open(path, "w") as f:
            f.write("""#!/bin/bash
if [[ " $* " == *" rawvideo "* ]]; then
  { head -c %d | %s "$@"; cat >/dev/null; }
  exit 1
fi
exec %s "$@"
""" % (frames * size[0] * size[1] * 4, shutil.which("ffmpeg"), shutil.which("ffmpeg")))
        os.chmod(path, 0o755)
        return folder


if __name__ == "__main__":
    unittest.main()
