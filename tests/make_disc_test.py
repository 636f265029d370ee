#!/usr/bin/python3
# make-disc, as make install puts it, from an author's folder: the image's
# names and volume id, its autorun.inf, the preview's pixels, a refused disc
# and a forced one, and the folder left as it was; make uninstall after.
#
# usage: make_disc_test.py TOP PROGRAM.exe LAUNCHER.exe WORK_DIR
import hashlib
import os
import re
import shutil
import subprocess
import sys

from PIL import Image

top, program, launcher, work = sys.argv[1:5]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def run(*args):
    return subprocess.run(args, capture_output=True, text=True)


def state(folder):
    return sorted((name, hashlib.sha1(open(os.path.join(folder, name), "rb").read()).hexdigest())
                  for name in os.listdir(folder))


shutil.rmtree(work, ignore_errors=True)
folder, prefix = os.path.join(work, "My Disc"), os.path.join(work, "prefix")
os.makedirs(folder)
installed = run("make", "-s", "-C", top, "install", "PREFIX=" + prefix)
check(installed.returncode == 0, "make install failed:\n" + installed.stdout + installed.stderr)
make_disc, make_splash = (os.path.join(prefix, "bin", tool) for tool in ("make-disc", "make-splash"))
quarters = Image.new("RGB", (60, 40), (255, 0, 0))
quarters.paste((0, 0, 255), (30, 0, 60, 20))
quarters.paste((0, 255, 0), (0, 20, 30, 40))
quarters.paste((255, 255, 0), (30, 20, 60, 40))
quarters.save(os.path.join(work, "quarters.png"))
check(not run(make_splash, os.path.join(work, "quarters.png"), os.path.join(folder, "splash.bmp")).returncode,
      "make-splash failed")
# make-splash's refusals: no picture, an output it cannot write; the input as it was.
for source, target, said in ((make_disc, "x.bmp", "not a picture"),
                             (os.path.join(work, "quarters.png"), "/proc/x.bmp", "cannot write")):
    before_input = open(source, "rb").read()
    refused = run(make_splash, source, os.path.join(work, target))
    check(refused.returncode == 1 and said in refused.stderr, f"make-splash {source} {target}: {refused.stderr}")
    check(open(source, "rb").read() == before_input, f"make-splash changed {source}")
shutil.copy(program, os.path.join(folder, "setup.exe"))
before = state(folder)

image, shot = os.path.join(work, "disc.iso"), os.path.join(work, "preview.png")
made = run(make_disc, folder, image, "-Agame.exe", "-C(My Game)", "--label", "MY DISC 2",
           "--launcher", launcher, "--preview", shot)
check(made.returncode == 0, "make-disc failed:\n" + made.stdout + made.stderr)
check(state(folder) == before, "the author's folder changed")
# Rock Ridge names, then Joliet names: plain ISO 9660 names would be upper case.
for tree in ("nojoliet", "norock"):
    listing = run("xorriso", "-read_fs", tree, "-indev", image, "-ls", "/")
    listing = listing.stdout + listing.stderr
    for name in ("autorun.exe", "autorun.inf", "setup.exe", "splash.bmp"):
        check(f"'{name}'" in listing, f"{name} not in the listing ({tree}):\n{listing}")
    check("Volume id    : 'MY DISC 2'" in listing, "volume id:\n" + listing)
run("xorriso", "-indev", image, "-osirrox", "on", "-extract", "/autorun.inf", os.path.join(work, "autorun.inf"))
inf = open(os.path.join(work, "autorun.inf"), newline="").read()
for line in ("[autorun]\r\n", "open=autorun.exe -Agame.exe -C(My Game)\r\n", "icon=autorun.exe\r\n",
             "label=MY DISC 2\r\n"):
    check(line in inf, f"{line!r} not in autorun.inf:\n{inf}")

# The picture whole in the preview of the dialog's window, where the checker
# says the layout puts it: each quarter's colour over its 30 x 20.
where = re.search(r"shown whole at (\d+),(\d+) in the frame's inside of \d+ x \d+ "
                  r"\(the inside at (\d+),(\d+) in the dialog's window\)", made.stdout)
check(where, "the checker did not place the picture:\n" + made.stdout)
if os.path.exists(shot) and where:
    preview = Image.open(shot).convert("RGB")
    left, upper, inside_left, inside_top = (int(v) for v in where.groups())
    x, y = inside_left + left, inside_top + upper
    for dx, dy, colour in ((0, 0, (255, 0, 0)), (30, 0, (0, 0, 255)), (0, 20, (0, 255, 0)),
                           (30, 20, (255, 255, 0))):
        region = preview.crop((x + dx, y + dy, x + dx + 30, y + dy + 20))
        check(region.getcolors() == [(600, colour)], f"the quarter at {x + dx},{y + dy}: {region.getcolors()}")
else:
    check(False, "no preview")

# A disc the checker fails (no installer at its root): refused, then forced.
os.remove(os.path.join(folder, "setup.exe"))
refused = run(make_disc, folder, image + ".2", "-Agame.exe", "--launcher", launcher)
check(refused.returncode == 1 and "no image made" in refused.stderr and not os.path.exists(image + ".2"),
      "a failing disc was not refused:\n" + refused.stdout + refused.stderr)
check("problem: installer setup.exe" in refused.stdout, "the finding is not said:\n" + refused.stdout)
forced = run(make_disc, folder, image + ".2", "-Agame.exe", "--launcher", launcher, "--force")
check(forced.returncode == 0 and os.path.exists(image + ".2"), "--force made no image:\n" + forced.stderr)

run("make", "-s", "-C", top, "uninstall", "PREFIX=" + prefix)
left = [os.path.join(d, f) for d, _, files in os.walk(prefix) for f in files]
check(not left, f"make uninstall left {left}")

for failure in failures:
    print("FAILED:", failure)
sys.exit(1 if failures else 0)
