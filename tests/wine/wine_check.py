#!/usr/bin/env python3
"""The Windows build of the substitute host and module, run under Wine.

  wine_check.py prefix   --prefix DIR
  wine_check.py sessions --prefix DIR --native SIMHOST --windows SIMHOST.EXE --out DIR SESSIONS_DIR
  wine_check.py screens  --prefix DIR --windows SIMHOST.EXE --out DIR --about SESSION --error SESSION

`prefix` makes the throwaway Wine prefix the other commands share (wineboot,
once; a prefix made by the same Wine is reused). `sessions` plays each
session through the native simhost and through simhost.exe under Wine and
requires the same report: cursor ids per move, drawn lines to the last bit,
box texts. `screens` shows the real About and error boxes on an Xvfb screen
and checks each screenshot for a box on the ground.

Exit status 77 (CTest's SKIP_RETURN_CODE) when something outside the project
is missing: Wine, a working wineboot, an X server, ImageMagick, or the
Windows build that `make module` makes.
"""

import argparse
import difflib
import os
import select
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib
from pathlib import Path

SKIP = 77
WINE = Path("/usr/lib/wine/wine64")
WINESERVER = Path("/usr/lib/wine/wineserver64")
READY = ".trax-prefix"  # inside the prefix: the Wine version that made it, and how
# Windows on an X display when there is one, else in memory (Wine's null
# driver), so that real boxes open without an X server too.
GRAPHICS = "x11,null"


class Skip(Exception):
    """Something outside the project is missing; the reason is printed."""


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def wine_env(prefix, display=None):
    env = dict(os.environ)
    env["WINEPREFIX"] = str(prefix)
    env["WINEDEBUG"] = "-all"
    # No runtime installers on the first start: they would wait for a click.
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    if display is not None:
        env["DISPLAY"] = display
    return env


def windows_path(path):
    """Wine's drive Z: is the root of the Unix file system."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def start_wine(command, env, cwd=None):
    """Starts a Wine program with its output going to files, not pipes: the
    Wine services a program starts keep its handles open long after it
    ended, and a pipe would not reach its end until they go."""
    out, err = tempfile.TemporaryFile(), tempfile.TemporaryFile()
    process = subprocess.Popen(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=err)
    return process, out, err


def finish_wine(started, timeout):
    """Waits for a program of start_wine; its status and both outputs as text."""
    process, out, err = started
    try:
        process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        raise
    texts = []
    for f in (out, err):
        f.seek(0)
        texts.append(f.read().decode("utf-8", errors="replace"))
        f.close()
    return subprocess.CompletedProcess(process.args, process.returncode, texts[0], texts[1])


def run_wine(command, env, cwd=None, timeout=180):
    return finish_wine(start_wine(command, env, cwd), timeout)


def wine_version():
    if not WINE.exists():
        raise Skip(f"{WINE} is missing (Debian package wine64; `make test` installs it)")
    run = subprocess.run([str(WINE), "--version"], capture_output=True, text=True, timeout=60)
    if run.returncode != 0:
        raise Skip(f"{WINE} --version failed: {run.stderr.strip()}")
    return run.stdout.strip()


def wait_for_wineserver(prefix, timeout=60):
    """Waits until every Wine process of the prefix has ended."""
    if WINESERVER.exists():
        subprocess.run([str(WINESERVER), "-w"], env=wine_env(prefix), timeout=timeout)


def fresh_wineserver(prefix, display=None):
    """Ends what is left of earlier runs in the prefix (a wineserver that is
    about to exit stalls the next start), then starts the prefix's wineserver
    to stay 10 s after its last process, so that the runs that follow skip
    its start-up (2 s each)."""
    if not WINESERVER.exists():
        return
    env = wine_env(prefix, display)
    subprocess.run([str(WINESERVER), "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    subprocess.run([str(WINESERVER), "-w"], env=env, timeout=60)
    # Its own output nowhere: a daemon holding the test's output open would
    # keep CTest waiting until it exits.
    subprocess.run([str(WINESERVER), "-p10"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)


def prefix_stamp():
    return f"{wine_version()}; graphics {GRAPHICS}"


def check_prefix(prefix):
    """The prefix that `prefix` made, or Skip with the reason it is not there."""
    marker = Path(prefix) / READY
    if not marker.exists():
        raise Skip(f"no Wine prefix at {prefix}: the wine_prefix test made none (see its output)")
    if marker.read_text().strip() != prefix_stamp():
        raise Skip(f"the Wine prefix at {prefix} was made by another Wine; the wine_prefix test renews it")


def make_prefix(args):
    stamp = prefix_stamp()
    prefix = Path(args.prefix)
    marker = prefix / READY
    if marker.exists() and marker.read_text().strip() == stamp:
        print(f"reusing the Wine prefix {prefix} ({stamp})")
        return 0
    if prefix.exists():
        shutil.rmtree(prefix)
    prefix.parent.mkdir(parents=True, exist_ok=True)
    started = time.monotonic()
    try:
        run = run_wine([str(WINE), "wineboot", "--init"], wine_env(prefix), timeout=args.timeout)
        wait_for_wineserver(prefix, timeout=args.timeout)
        if run.returncode != 0 or not (prefix / "system.reg").exists():
            raise Skip(f"wineboot failed (status {run.returncode}): {run.stderr.strip()[-2000:]}")
        graphics = run_wine([str(WINE), "reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Graphics", "/d",
                             GRAPHICS, "/f"], wine_env(prefix), timeout=args.timeout)
        wait_for_wineserver(prefix, timeout=args.timeout)
    except subprocess.TimeoutExpired:
        raise Skip(f"wineboot did not finish within {args.timeout} s")
    if graphics.returncode != 0:
        raise Skip(f"the prefix's display drivers could not be set: {graphics.stderr.strip()[-2000:]}")
    marker.write_text(stamp + "\n")
    print(f"made the Wine prefix {prefix} ({stamp}) in {time.monotonic() - started:.1f} s")
    return 0


def require_file(path, what):
    if not Path(path).exists():
        raise Skip(f"{path} is not built ({what}; `make module` builds it)")


def report_lines(text):
    return [line.rstrip("\r") for line in text.splitlines()]


def play_sessions(args):
    check_prefix(args.prefix)
    require_file(args.windows, "the Windows substitute host")
    require_file(Path(args.windows).with_name("TraxTool.aip"), "the 64-bit Windows module")
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    fresh_wineserver(args.prefix)
    seen = []  # every report line of the native runs, to check the runs showed something
    failures = []
    sessions = sorted(Path(args.sessions).glob("*.session"))
    if not sessions:
        fail(f"no sessions in {args.sessions}")
    for session in sessions:
        name = session.stem
        # Both runs start in the session's folder and name it alike, so the
        # report's FILE:LINE places agree.
        native = subprocess.run([args.native, "--machine", "--svg", str((out / f"{name}.native.svg").resolve()),
                                 session.name], cwd=session.parent, capture_output=True, text=True, timeout=120)
        started = time.monotonic()
        try:
            windows = run_wine([str(WINE), args.windows, "--machine", "--svg", windows_path(out / f"{name}.wine.svg"),
                                session.name], wine_env(args.prefix), cwd=session.parent)
        except subprocess.TimeoutExpired:
            failures.append(f"{session.name}: simhost.exe did not finish within 180 s under Wine")
            continue
        print(f"{session.name}: native status {native.returncode}, Wine status {windows.returncode} "
              f"({time.monotonic() - started:.1f} s)")
        if native.returncode != 0:
            failures.append(f"{session.name}: the native simhost failed ({native.returncode}): {native.stderr.strip()}")
            continue
        if windows.returncode != 0:
            failures.append(f"{session.name}: simhost.exe failed under Wine ({windows.returncode}): "
                            f"{windows.stderr.strip()[-2000:]}")
            continue
        expected = report_lines(native.stdout)
        got = report_lines(windows.stdout)
        (out / f"{name}.native.txt").write_text("\n".join(expected) + "\n")
        (out / f"{name}.wine.txt").write_text("\n".join(got) + "\n")
        seen += expected
        if got != expected:
            diff = "\n".join(difflib.unified_diff(expected, got, "native", "Wine", lineterm="", n=2))
            failures.append(f"{session.name}: the reports differ\n{diff}")
        elif not any(line.startswith("summary ") for line in expected):
            failures.append(f"{session.name}: the report has no summary line")
    # An equal pair of empty reports proves nothing: the sessions must have
    # made the tool draw, set cursors and open both boxes.
    for what, prefix in (("a drawn line", "line "), ("a cursor", "cursor "), ("the About box", 'box "About Dialog"'),
                         ("an error box", 'box "Error Dialog"')):
        if not failures and not any(line.startswith(prefix) for line in seen):
            failures.append(f"no session showed {what}: the comparison would prove nothing")
    if failures:
        fail("\n".join(failures))
    print(f"{len(sessions)} sessions: the Windows module under Wine reports exactly what the native one does")
    return 0


# --- Screenshots of the real boxes ---

SCREEN = (800, 600)
HOLD_MS = 3000  # each box stays up this long before the host presses OK


class Xvfb:
    """An X server of its own on a free display, for one test."""

    def __init__(self):
        if shutil.which("Xvfb") is None:
            raise Skip("Xvfb is missing (Debian package xvfb; `make test` installs it)")
        read_end, write_end = os.pipe()
        self.log = tempfile.TemporaryFile()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=self.log)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([read_end], [], [], 1)
            if ready:
                chunk = os.read(read_end, 16)
                if not chunk:
                    break
                number += chunk
        os.close(read_end)
        if not number.strip().isdigit():
            self.stop()
            self.log.seek(0)
            raise Skip(f"Xvfb did not start: {self.log.read().decode(errors='replace')[-1000:]}")
        self.display = ":" + number.decode().strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def capture(display, path):
    """The whole screen as (width, height, RGB bytes), through ImageMagick's import."""
    run = subprocess.run(["import", "-display", display, "-window", "root", "-depth", "8", f"ppm:{path}"],
                         capture_output=True, timeout=60)
    if run.returncode != 0:
        return None
    data = Path(path).read_bytes()
    fields = []
    at = 0
    while len(fields) < 4:  # P6, width, height, maximum
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at) + 1
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    at += 1
    if fields[0] != b"P6" or fields[3] != b"255":
        return None
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[at:at + width * height * 3]


def write_png(path, width, height, rgb):
    def chunk(tag, body):
        return struct.pack(">I", len(body)) + tag + body + struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF)
    rows = b"".join(b"\x00" + rgb[y * width * 3:(y + 1) * width * 3] for y in range(height))
    Path(path).write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                           chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def find_box(width, height, rgb):
    """The bounding box of what differs from the ground (the colour of the
    bottom right corner), its share of differing pixels and its colours."""
    ground = rgb[-3:]
    left, top, right, bottom = width, height, -1, -1
    for y in range(height):
        row = rgb[y * width * 3:(y + 1) * width * 3]
        if row == ground * width:
            continue
        xs = [x for x in range(width) if row[x * 3:x * 3 + 3] != ground]
        left, right = min(left, xs[0]), max(right, xs[-1])
        top, bottom = min(top, y), y
    if right < 0:
        return None
    colours = set()
    differing = 0
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            pixel = rgb[(y * width + x) * 3:(y * width + x) * 3 + 3]
            colours.add(pixel)
            differing += pixel != ground
    area = (right - left + 1) * (bottom - top + 1)
    return {"left": left, "top": top, "width": right - left + 1, "height": bottom - top + 1,
            "share": differing / area, "colours": len(colours)}


def big_enough(box):
    return box is not None and box["width"] >= 100 and box["height"] >= 50


def shoot_box(args, xvfb, session, name):
    """Plays `session` with its boxes held up; returns the failures seen."""
    out = Path(args.out)
    work = Path(args.work)
    env = wine_env(args.prefix, display=xvfb.display)
    # A desktop of its own, drawn by Wine (caption and frame included) on the X screen.
    command = [str(WINE), "explorer", f"/desktop=TraxScreens,{SCREEN[0]}x{SCREEN[1]}",
               windows_path(args.windows), "--hold-dialogs", str(HOLD_MS), "--machine",
               "--svg", windows_path(work / f"{name}.svg"), session.name]
    started = time.monotonic()
    started_wine = start_wine(command, env, cwd=session.parent)
    player = started_wine[0]
    shot = None
    ppm = work / f"{name}.ppm"
    try:
        # Wait for a box on the ground, let it paint, then take the picture.
        while time.monotonic() - started < 120 and player.poll() is None:
            screen = capture(xvfb.display, ppm)
            if screen is not None and big_enough(find_box(*screen)):
                time.sleep(0.5)
                shot = capture(xvfb.display, ppm)
                break
            time.sleep(0.3)
        finished = finish_wine(started_wine, timeout=180)
        stdout, stderr = finished.stdout, finished.stderr
    except subprocess.TimeoutExpired:
        return [f"{session.name}: simhost.exe did not finish under Wine"]
    failures = []
    if shot is None:
        failures.append(f"{session.name}: no box appeared on the screen within "
                        f"{time.monotonic() - started:.0f} s (status {player.returncode}; {stderr.strip()[-1000:]})")
        return failures
    width, height, rgb = shot
    picture = out / f"{name}.png"
    write_png(picture, width, height, rgb)
    box = find_box(width, height, rgb)
    print(f"{session.name}: {picture} ({width} x {height}); the box: {box}")
    if player.returncode != 0:
        failures.append(f"{session.name}: simhost.exe ended with status {player.returncode}: {stderr.strip()[-1000:]}")
    if not any(line.startswith("box ") and " result 1" in line for line in report_lines(stdout)):
        failures.append(f"{session.name}: no box closed with OK in the report:\n{stdout}")
    if len(set(rgb[i:i + 3] for i in range(0, len(rgb), 3 * 97))) < 2:
        failures.append(f"{picture}: the screen is one colour")
    if not big_enough(box) or box["width"] >= width or box["height"] >= height:
        failures.append(f"{picture}: no box-sized area stands out from the ground: {box}")
    elif box["share"] < 0.5 or box["colours"] < 3:
        failures.append(f"{picture}: the box's area is mostly ground or flat ({box['colours']} colours, "
                        f"{box['share']:.0%} differs from the ground)")
    return failures


def take_screens(args):
    check_prefix(args.prefix)
    require_file(args.windows, "the Windows substitute host")
    if shutil.which("import") is None:
        raise Skip("ImageMagick's import is missing (Debian package imagemagick; `make test` installs it)")
    Path(args.out).mkdir(parents=True, exist_ok=True)
    Path(args.work).mkdir(parents=True, exist_ok=True)
    xvfb = Xvfb()
    failures = []
    try:
        # Not the desktop of earlier headless runs: this one is drawn on the X screen.
        fresh_wineserver(args.prefix, xvfb.display)
        for session, name in ((Path(args.about), "about-box"), (Path(args.error), "error-box")):
            failures += shoot_box(args, xvfb, session, name)
    finally:
        if WINESERVER.exists():
            subprocess.run([str(WINESERVER), "-k"], env=wine_env(args.prefix), timeout=60)
        xvfb.stop()
    if failures:
        fail("\n".join(failures))
    print(f"the real About and error boxes, pictured in {args.out}")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("prefix")
    p.add_argument("--prefix", required=True)
    p.add_argument("--timeout", type=int, default=240)
    s = sub.add_parser("sessions")
    s.add_argument("--prefix", required=True)
    s.add_argument("--native", required=True)
    s.add_argument("--windows", required=True)
    s.add_argument("--out", required=True)
    s.add_argument("sessions", help="the folder whose *.session files are played")
    c = sub.add_parser("screens")
    c.add_argument("--prefix", required=True)
    c.add_argument("--windows", required=True)
    c.add_argument("--out", required=True, help="where the screenshots go")
    c.add_argument("--work", required=True, help="a folder for the runs' other files")
    c.add_argument("--about", required=True)
    c.add_argument("--error", required=True)
    args = parser.parse_args()
    # Every path absolute: the runs start in other folders, and Wine wants it so.
    for key in ("prefix", "native", "windows", "out", "work", "about", "error", "sessions"):
        if getattr(args, key, None) is not None:
            setattr(args, key, str(Path(getattr(args, key)).resolve()))
    try:
        if args.command == "prefix":
            return make_prefix(args)
        if args.command == "screens":
            return take_screens(args)
        return play_sessions(args)
    except Skip as reason:
        print(f"SKIP: {reason}")
        return SKIP


if __name__ == "__main__":
    sys.exit(main())
