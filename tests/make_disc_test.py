#!/usr/bin/python3
# make-disc, as make install puts it, from an author's folder with an
# autorun.inf of its own and a link to a file outside it: the image's names
# and volume id, its autorun.inf, the preview's pixels, the same image twice,
# a refused disc and a forced one with the folder's autorun.inf as it stands,
# refused input, its --help, and the folder left as it was; make uninstall
# after. Signing has a test of its own (sign_test.py).
#
# usage: make_disc_test.py TOP PROGRAM.exe LAUNCHER.exe WORK_DIR
import hashlib
import os
import re
import shutil
import subprocess
import sys

from PIL import Image
from tooltest import check, finish, run

top, program, launcher, work = sys.argv[1:5]
# The picture's four quarters of 30 x 20: where each starts, and its colour.
quarters = ((0, 0, (255, 0, 0)), (30, 0, (0, 0, 255)), (0, 20, (0, 255, 0)), (30, 20, (255, 255, 0)))


def state(folder):
    return sorted((name, hashlib.sha1(open(os.path.join(folder, name), "rb").read()).hexdigest())
                  for name in os.listdir(folder))


shutil.rmtree(work, ignore_errors=True)
folder, prefix = os.path.join(work, "My Disc"), os.path.join(work, "prefix")
os.makedirs(folder)
installed = run("make", "-s", "-C", top, "install", "PREFIX=" + prefix)
check(installed.returncode == 0, "make install failed:\n" + installed.stdout + installed.stderr)
make_disc, make_splash = (os.path.join(prefix, "bin", tool) for tool in ("make-disc", "make-splash"))
picture = Image.new("RGB", (60, 40))
[picture.paste(colour, (x, y, x + 30, y + 20)) for x, y, colour in quarters]
picture.save(os.path.join(work, "quarters.png"))
check(not run(make_splash, os.path.join(work, "quarters.png"), os.path.join(folder, "splash.bmp")).returncode,
      "make-splash failed")
# make-splash's refusals: no picture, an output it cannot write, a launcher
# without the dialog to take the size from; the input as it was.
for source, target, said, *options in (
        (make_disc, "x.bmp", "not a picture"), (os.path.join(work, "quarters.png"), "/proc/x.bmp", "cannot write"),
        (os.path.join(work, "quarters.png"), "x.bmp", "cannot read the picture frame's size", "--launcher", program)):
    before_input = open(source, "rb").read()
    refused = run(make_splash, source, os.path.join(work, target), *options)
    check(refused.returncode == 2 and said in refused.stderr, f"make-splash {source} {target}: {refused.stderr}")
    check(open(source, "rb").read() == before_input, f"make-splash changed {source}")
# --crop fills the frame from the picture's centre (green, with 8 pixels to
# spare each side), never enlarging; fitting says what --crop would cut.
for w, h, crop, want, hint in (
        (1208, 604, True, (212, 302), None), (604, 1208, True, (212, 302), None), (150, 90, True, (150, 90), None),
        (1208, 604, False, (212, 106), "--crop makes it 212x302, cutting off the left and right"),
        (604, 1208, False, (151, 302), "--crop makes it 212x302, cutting off the top and bottom"),
        (150, 90, False, (150, 90), None), (424, 600, False, (212, 300), None)):
    scale = min(1, max(212 / w, 302 / h))
    kept_w, kept_h = min(w, 212 / scale + 16), min(h, 302 / scale + 16)
    picture = Image.new("RGB", (w, h), (255, 0, 0))
    picture.paste((0, 0, 255), (w // 2, 0, w, h))
    picture.paste((0, 255, 0), tuple(round((n + sign * kept) / 2) for sign in (-1, 1) for n, kept in ((w, kept_w), (h, kept_h))))
    source, splash = os.path.join(work, f"{w}x{h}.png"), os.path.join(work, f"{w}x{h}.bmp")
    picture.save(source)
    made = run(make_splash, source, splash, "--size", "212x302", *["--crop"] * crop)
    out = Image.open(splash).convert("RGB") if made.returncode == 0 else None
    check(out and out.size == want, f"make-splash {w}x{h} crop={crop}: {made.stdout}{made.stderr}")
    check(("--crop" in made.stdout) == bool(hint) and (hint or "") in made.stdout,
          f"make-splash {w}x{h} crop={crop}, the hint: {made.stdout}")
    corners = [out.getpixel((x, y)) for x in (0, out.width - 1) for y in (0, out.height - 1)] if out and crop else []
    check(all(g > 200 and r < 60 and b < 60 for r, g, b in corners), f"make-splash {w}x{h} --crop, not the centre: {corners}")
shutil.copy(program, os.path.join(folder, "setup.exe"))
# The author's autorun.inf, in the ANSI code page as Windows reads a file
# without a byte-order mark: its open=, label= and icon= are replaced, a
# second open= dropped, the rest kept.
theirs = ("; made by hand\r\n[AutoRun]\r\nopen=setup.exe\r\nlabel=Old\r\naction=Install it\r\nicon=old.ico\r\n"
          "shell\\readme=Lies mich für dich\r\nopen=second.exe\r\n[Content]\r\nMusicFiles=false\r\n")
open(os.path.join(folder, "autorun.inf"), "wb").write(theirs.encode("cp1252"))
# A link to a file outside the folder, which Joliet holds as the file.
open(os.path.join(work, "readme.txt"), "w").write("read me")
os.symlink(os.path.join(work, "readme.txt"), os.path.join(folder, "readme.txt"))
before = state(folder)

Image.new("RGB", (32, 32), (0, 128, 0)).save(f"{work}/game.ico", sizes=[(16, 16), (32, 32)])

image, shot = os.path.join(work, "disc.iso"), os.path.join(work, "preview.png")
disc = [make_disc, folder, image, "-Agame.exe", "-C(My Game)", "--label", "MY DISC ü", "--launcher", launcher,
        "--notice", "© 2026 Zoë Spiele", "--icon", f"{work}/game.ico"]
made = run(*disc, "--preview", shot, SOURCE_DATE_EPOCH="1700000000")
check(made.returncode == 0, "make-disc failed:\n" + made.stdout + made.stderr)
for said in ("notice: \"© 2026 Zoë Spiele\"", "languages: cs, da, de, el, es, fi, fr, hu, it, ja, ko, nl, pl, ru, sv",
             "icon: game.ico: on the disc, and the launcher on the disc carries it",
             "open=setup.exe replaced by open=autorun.exe -Agame.exe -C(My Game)",
             "label=Old replaced by label=MY DISC ü", "icon=old.ico replaced by icon=game.ico", "open=second.exe dropped"):
    check(said in made.stdout, f"not said: {said}\n{made.stdout}")
# Without a display the checker cannot lay out the picture: it says so, and no verdict.
run("xorriso", "-osirrox", "on", "-indev", image, "-extract", "/", f"{work}/contents")
checker = os.path.join(os.path.dirname(os.path.dirname(launcher)), os.environ["AUTORUN_ARCH"], "autorun-check.exe")
blind = run("wine", checker, f"Z:{work}/contents", WINEDLLOVERRIDES="mscoree,mshtml=;winex11.drv=")
check(blind.returncode == 2 and "cannot be made" in blind.stderr and "verdict" not in blind.stdout,
      f"no display: {blind.returncode}\n{blind.stdout}{blind.stderr}")
# Again, seconds later: the same bytes.
first = open(image, "rb").read()
again = run(*disc, SOURCE_DATE_EPOCH="1700000000")
check(again.returncode == 0 and open(image, "rb").read() == first, "the same input made another image")
check(state(folder) == before, "the author's folder changed")
# Rock Ridge names, then Joliet names: plain ISO 9660 names would be upper case.
for tree in ("nojoliet", "norock"):
    listing = run("xorriso", "-read_fs", tree, "-indev", image, "-ls", "/")
    listing = listing.stdout + listing.stderr
    for name in ("autorun.exe", "autorun.inf", "game.ico", "readme.txt", "setup.exe", "splash.bmp"):
        check(f"'{name}'" in listing, f"{name} not in the listing ({tree}):\n{listing}")
    check("Volume id    : 'MY DISC ü'" in listing, "volume id:\n" + listing)
run("xorriso", "-indev", image, "-osirrox", "on", "-extract", "/autorun.inf", os.path.join(work, "autorun.inf"))
inf = open(os.path.join(work, "autorun.inf"), "rb").read()
check(inf.startswith(b"\xff\xfe"), f"no UTF-16 byte-order mark: {inf[:20]}")
inf = inf.decode("utf-16")
check(inf == theirs.replace("open=setup.exe", "open=autorun.exe -Agame.exe -C(My Game)").replace("label=Old", "label=MY DISC ü")
      .replace("icon=old.ico", "icon=game.ico").replace("open=second.exe\r\n", ""), "autorun.inf:\n" + inf)

# The picture whole in the preview of the dialog's window, where the checker
# says the layout puts it: each quarter's colour over its 30 x 20.
where = re.search(r"shown whole at (\d+),(\d+) in the frame's inside of \d+ x \d+ "
                  r"\(the inside at (\d+),(\d+) in the dialog's window\)", made.stdout)
check(where, "the checker did not place the picture:\n" + made.stdout)
if os.path.exists(shot) and where:
    preview = Image.open(shot).convert("RGB")
    left, upper, inside_left, inside_top = (int(v) for v in where.groups())
    x, y = inside_left + left, inside_top + upper
    for dx, dy, colour in quarters:
        region = preview.crop((x + dx, y + dy, x + dx + 30, y + dy + 20))
        check(region.getcolors() == [(600, colour)], f"the quarter at {x + dx},{y + dy}: {region.getcolors()}")
else:
    check(False, "no preview")

# A disc the checker fails (no installer at its root): refused, then forced
# with the folder's autorun.inf as it stands.
os.remove(os.path.join(folder, "setup.exe"))
refused = run(make_disc, folder, image + ".2", "-Agame.exe", "--launcher", launcher)
check(refused.returncode == 1 and "no image made" in refused.stderr and not os.path.exists(image + ".2"),
      "a failing disc was not refused:\n" + refused.stdout + refused.stderr)
check("problem: installer setup.exe" in refused.stdout, "the finding is not said:\n" + refused.stdout)
forced = run(make_disc, folder, image + ".2", "--launcher", launcher, "--force", "--keep-inf")
check(forced.returncode == 0 and os.path.exists(image + ".2"), "--force made no image:\n" + forced.stderr)
run("xorriso", "-indev", image + ".2", "-osirrox", "on", "-extract", "/autorun.inf", f"{work}/kept.inf")
check(open(f"{work}/kept.inf", "rb").read() == theirs.encode("cp1252"), "--keep-inf changed autorun.inf")
shutil.copy(program, os.path.join(folder, "setup.exe"))

# A plain folder, and make-disc run through a link in another folder, as a
# release put on PATH is.
plain, links = os.path.join(work, "plain"), os.path.join(work, "bin")
os.makedirs(plain), os.makedirs(links)
shutil.copy(program, os.path.join(plain, "setup.exe"))
shutil.copy(os.path.join(folder, "splash.bmp"), plain)
linked = os.path.join(links, "make-disc")
os.symlink(make_disc, linked)


def joliet(image):
    """The paths and sizes in the image's Joliet records, as isoinfo reads them."""
    listing = subprocess.run(["isoinfo", "-J", "-l", "-i", image], capture_output=True).stdout.decode("latin-1")
    held, where = {}, ""
    for line in listing.splitlines():
        if line.startswith("Directory listing of "):
            where = line[len("Directory listing of /"):]
        elif (entry := re.match(r"([d-])\S+\s+\d+\s+\d+\s+\d+\s+(\d+) .*?\]  (.*) $", line)) and entry[3] not in (".", ".."):
            held[where + entry[3]] = "a folder" if entry[1] == "d" else int(entry[2])
    return held


# Every name whole, under a locale that is not UTF-8: long, beyond ASCII, deep.
deep = os.path.join(plain, "Größe", *"abcdefghij")
os.makedirs(deep)
for name in ("L" * 103, "Grüße für dich.txt", "x,y=z[1]{2} #&%.txt"):
    open(os.path.join(deep, name), "w").write(name)
made = run(linked, plain, f"{work}/names.iso", "--launcher", launcher, "--languages", "en", LANG="C", LC_ALL="C")
meant = {os.path.relpath(os.path.join(d, n), plain): "a folder" if n in dirs else os.path.getsize(os.path.join(d, n))
         for d, dirs, files in os.walk(plain) for n in dirs + files}
meant["autorun.exe"] = os.path.getsize(launcher)
held = joliet(f"{work}/names.iso")
check(made.returncode == 0 and held.pop("autorun.inf", None) and held == meant, f"names not whole:\n{made.stderr}\n{sorted(set(held) ^ set(meant))}")
shutil.rmtree(os.path.join(plain, "Größe"))

# The line written is the one the launcher reads back as asked, or a refusal
# that names the switch.
for switches, line, said in (
        (["-C(Kinder-Pack -Deluxe)"], "-P() -D() -C(Kinder-Pack -Deluxe)", 'switch: -D ""'),
        (["-C(Mein Lern-Spiel)"], "-S() -C(Mein Lern-Spiel)", 'switch: -S ""'),
        (["-C(Spiel-Abenteuer -Ab 6 Jahren)", "-Agame.exe"], "-Agame.exe -C(Spiel-Abenteuer -Ab 6 Jahren)",
         'switch: -A "game.exe"'),
        (["-C(Spiel (Teil 2))"], None, "-C(Spiel (Teil 2)): the launcher's value ends at the first ')'"),
        (["-CMein Spiel"], None, "a blank ends a value outside parentheses"),
        (["-Xfoo"], None, "-Xfoo: no such launcher switch"), (["-iwin32-loader.exe"], None, "-iwin32-loader.exe: no such"),
        (["-C(x-Sy)", "-Sz-Cw.bmp"], None, "the value of -C holds -S and the value of -S holds -C"),
        (["-Ia.exe", "-Ib.exe"], None, "-I is given twice"),
        (["-P" + "p" * 1023], "-P" + "p" * 1023, 'switch: -P "' + "p" * 1023 + '"'),
        (["-P" + "p" * 1024], None, "-P: its value is longer than the launcher's 1023 bytes")):
    made = run(make_disc, plain, f"{work}/switches.iso", "--launcher", launcher, *switches)
    if line:
        run("xorriso", "-osirrox", "on", "-indev", f"{work}/switches.iso", "-extract", "/autorun.inf", f"{work}/s.inf")
        written = open(f"{work}/s.inf", "rb").read().decode("ascii") if made.returncode == 0 else ""
        os.remove(f"{work}/s.inf") if made.returncode == 0 else None
        check(f"open=autorun.exe {line}\r\n" in written and said in made.stdout, f"{switches}: {made.stderr}{written}")
    else:
        check(made.returncode == 2 and said in made.stderr, f"{switches} not refused with {said!r}: {made.stderr}")

# Names Windows would not read back: every one refused in one run, no image.
for name in ("a:b.txt", "q?.txt", "Same.txt", "same.txt", "CON.txt", "trail.", "space ", "L" * 104, "emoji\U0001F600"):
    open(os.path.join(plain, name), "w").write("x")
refused = run(make_disc, plain, f"{work}/awkward.iso", "--launcher", launcher, "--force")
for said in ("a:b.txt: Joliet holds : as _", "q?.txt: Joliet holds ? as _", "same.txt: the same name to Windows as Same.txt",
             "CON.txt: Windows takes CON for a device", "trail.: Windows reads it without its trailing dot",
             "space : Windows reads it without its trailing space", "a name of 104 characters",
             "emoji\U0001F600: a character beyond UCS-2"):
    check(refused.returncode == 2 and said in refused.stderr and not os.path.exists(f"{work}/awkward.iso"),
          f"not refused with {said!r}: {refused.stderr}")
shutil.rmtree(plain), os.makedirs(plain), shutil.copy(program, os.path.join(plain, "setup.exe"))
shutil.copy(os.path.join(folder, "splash.bmp"), plain)

# No wrong success: each refused, with nothing written beside the work folder.
mine = os.path.join(work, "my-prefix")
os.makedirs(mine)
open(os.path.join(mine, "system.reg"), "w").write("mine")
for out, options, env, code, said in (
        (plain, [], {}, 2, "a folder; name the image file"), (f"{plain}/disc.iso", [], {}, 2, "inside"),
        (f"{work}/x.iso", ["--preview", f"{work}/gone/shot.png"], {}, 2, "--preview: "),
        (f"{work}/x.iso", ["--label", "Spiele für Kinder und Große Leute"], {}, 2, "is 35 bytes in UTF-8; a volume"),
        (f"{work}/x.iso", ["--notice", "a\nb"], {}, 2, "--notice: $'a\\nb' holds a control character"),
        (f"{work}/x.iso", ["--force"], {"AUTORUN_WINEPREFIX": mine, "AUTORUN_HARNESS": ""}, 3, "not a prefix that the harness")):
    before_plain = state(plain)
    refused = run(make_disc, plain, out, "--launcher", launcher, *options, **env)
    check(refused.returncode == code and said in refused.stderr and state(plain) == before_plain and
          not os.path.exists(f"{work}/x.iso") and os.listdir(mine) == ["system.reg"], f"{out} {options}: {refused.stderr}")

# The author's AUTORUN.INF, UTF-8 without a mark as Linux editors write it:
# read as UTF-8, one file on the disc, with a mark; an empty notice kept.
open(os.path.join(plain, "AUTORUN.INF"), "wb").write("[AutoRun]\nlabel=Spiel für Kinder\n".encode())
made = run(make_disc, plain, f"{work}/case.iso", "--launcher", launcher, "--notice", "")
check(made.returncode == 0 and "is read as UTF-8" in made.stdout and 'notice: ""' in made.stdout, made.stdout + made.stderr)
check(set(joliet(f"{work}/case.iso")) == {"AUTORUN.INF", "autorun.exe", "setup.exe", "splash.bmp"}, str(joliet(f"{work}/case.iso")))
run("xorriso", "-osirrox", "on", "-indev", f"{work}/case.iso", "-extract", "/AUTORUN.INF", f"{work}/case.inf")
check("label=Spiel für Kinder\r\n" in open(f"{work}/case.inf", "rb").read().decode("utf-16"), "the label is not kept")

# What make-disc refuses to write, stamp or copy: no image, and the reason.
broken = os.path.join(work, "broken")
os.makedirs(broken)
os.symlink("gone.txt", os.path.join(broken, "notes.txt"))
for source, options, said in (
        (folder, ["--icon", f"{work}/quarters.png"], "not an icon"),
        (folder, ["--label", "Game\r\nopen=other.exe"], "--label: $'Game\\r\\nopen=other.exe' holds a control"),
        (folder, ["-C(A\tB)"], "-C(A\\tB)' holds a control character"),
        (folder, ["--keep-inf", "-Agame.exe"], "--keep-inf: the launcher switches -Agame.exe"),
        (folder, ["--languages", "de,xx"], '--languages: "xx" is none of en, cs, da, de'),
        (broken, [], "no file:\n  notes.txt")):
    refused = run(make_disc, source, image + ".3", "--launcher", launcher, *options)
    check(refused.returncode == 2 and said in refused.stderr and not os.path.exists(image + ".3"),
          f"{options} not refused with '{said}':\n{refused.stderr}")

# --help says every option make-disc takes and every variable an author may set for it.
helped, script = run(make_disc, "--help"), open(make_disc).read()
for word in set(re.findall(r"^ +(--[a-z-]+)\)", script, re.M) + re.findall(r"\$\{([A-Z_]+):?[-+]", script)):
    check(helped.returncode == 0 and word in helped.stdout, f"{word} not in make-disc --help")


run("make", "-s", "-C", top, "uninstall", "PREFIX=" + prefix)
left = [os.path.join(d, f) for d, _, files in os.walk(prefix) for f in files]
check(not left, f"make uninstall left {left}")

finish()
