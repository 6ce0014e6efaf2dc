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
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

SKIP = 77
WINE = Path("/usr/lib/wine/wine64")
WINESERVER = Path("/usr/lib/wine/wineserver64")
READY = ".trax-prefix"  # inside the prefix: the Wine version that made it


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


def keep_wineserver(prefix):
    """Starts the prefix's wineserver to stay for 10 s after its last process:
    the runs that follow skip its start-up (2 s each)."""
    if WINESERVER.exists():
        subprocess.run([str(WINESERVER), "-p10"], env=wine_env(prefix), timeout=60)


def check_prefix(prefix):
    """The prefix that `prefix` made, or Skip with the reason it is not there."""
    version = wine_version()
    marker = Path(prefix) / READY
    if not marker.exists():
        raise Skip(f"no Wine prefix at {prefix}: the wine_prefix test made none (see its output)")
    if marker.read_text().strip() != version:
        raise Skip(f"the Wine prefix at {prefix} was made by another Wine; the wine_prefix test renews it")


def make_prefix(args):
    version = wine_version()
    prefix = Path(args.prefix)
    marker = prefix / READY
    if marker.exists() and marker.read_text().strip() == version:
        print(f"reusing the Wine prefix {prefix} ({version})")
        return 0
    if prefix.exists():
        shutil.rmtree(prefix)
    prefix.parent.mkdir(parents=True, exist_ok=True)
    started = time.monotonic()
    try:
        run = subprocess.run([str(WINE), "wineboot", "--init"], env=wine_env(prefix), capture_output=True,
                             text=True, timeout=args.timeout)
        wait_for_wineserver(prefix, timeout=args.timeout)
    except subprocess.TimeoutExpired:
        raise Skip(f"wineboot did not finish within {args.timeout} s")
    if run.returncode != 0 or not (prefix / "system.reg").exists():
        raise Skip(f"wineboot failed (status {run.returncode}): {run.stderr.strip()[-2000:]}")
    marker.write_text(version + "\n")
    print(f"made the Wine prefix {prefix} with {version} in {time.monotonic() - started:.1f} s")
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
    keep_wineserver(args.prefix)
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
            windows = subprocess.run([str(WINE), str(Path(args.windows).resolve()), "--machine", "--svg",
                                      windows_path(out / f"{name}.wine.svg"), session.name],
                                     cwd=session.parent, env=wine_env(args.prefix), capture_output=True, text=True,
                                     timeout=180)
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
    args = parser.parse_args()
    try:
        if args.command == "prefix":
            return make_prefix(args)
        return play_sessions(args)
    except Skip as reason:
        print(f"SKIP: {reason}")
        return SKIP


if __name__ == "__main__":
    sys.exit(main())
