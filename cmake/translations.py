#!/usr/bin/env python3
"""Writes the resource script of the launcher's translations, for the stamp.

From src/resources/translations.tsv (the texts) and autorun.rc (the dialog
and the string table as built): for each language, the splash dialog with
its button labels and its font, and the string table, tagged with the
language as Windows picks it for a user, whose tag (as Windows names the
language) the table uses. English is not written: the stamp tags the
launcher's own as en-US.

usage: translations.py TRANSLATIONS.tsv AUTORUN.rc RESOURCE.h OUTPUT.rc
"""
import re
import sys

# Each language's tag, its Windows language and sublanguage (the sublanguage
# neutral where one block serves every country), and the dialog font its
# Windows uses. Greek and Cyrillic take the shell's dialog font, a TrueType
# one of every script: the raster MS Sans Serif holds one code page, and which
# one a program in UTF-8 gets is not the user's.
LANGUAGES = {
    "de": ("LANG_GERMAN", "SUBLANG_NEUTRAL", 8, "MS Sans Serif"),
    "fr": ("LANG_FRENCH", "SUBLANG_NEUTRAL", 8, "MS Sans Serif"),
    "es": ("LANG_SPANISH", "SUBLANG_NEUTRAL", 8, "MS Sans Serif"),
    "it": ("LANG_ITALIAN", "SUBLANG_NEUTRAL", 8, "MS Sans Serif"),
    "pt-BR": ("LANG_PORTUGUESE", "SUBLANG_PORTUGUESE_BRAZILIAN", 8, "MS Sans Serif"),
    "nl": ("LANG_DUTCH", "SUBLANG_NEUTRAL", 8, "MS Sans Serif"),
    "pl": ("LANG_POLISH", "SUBLANG_NEUTRAL", 8, "MS Sans Serif"),
    "cs": ("LANG_CZECH", "SUBLANG_NEUTRAL", 8, "MS Sans Serif"),
    "sv": ("LANG_SWEDISH", "SUBLANG_NEUTRAL", 8, "MS Sans Serif"),
    "da": ("LANG_DANISH", "SUBLANG_NEUTRAL", 8, "MS Sans Serif"),
    "nb-NO": ("LANG_NORWEGIAN", "SUBLANG_NORWEGIAN_BOKMAL", 8, "MS Sans Serif"),
    "fi": ("LANG_FINNISH", "SUBLANG_NEUTRAL", 8, "MS Sans Serif"),
    "hu": ("LANG_HUNGARIAN", "SUBLANG_NEUTRAL", 8, "MS Sans Serif"),
    "tr": ("LANG_TURKISH", "SUBLANG_NEUTRAL", 8, "MS Sans Serif"),
    "el": ("LANG_GREEK", "SUBLANG_NEUTRAL", 8, "MS Shell Dlg"),
    "ru": ("LANG_RUSSIAN", "SUBLANG_NEUTRAL", 8, "MS Shell Dlg"),
    "uk": ("LANG_UKRAINIAN", "SUBLANG_NEUTRAL", 8, "MS Shell Dlg"),
    "ja": ("LANG_JAPANESE", "SUBLANG_NEUTRAL", 9, "MS UI Gothic"),
    "zh-CN": ("LANG_CHINESE", "SUBLANG_CHINESE_SIMPLIFIED", 9, "SimSun"),
    "zh-TW": ("LANG_CHINESE", "SUBLANG_CHINESE_TRADITIONAL", 9, "PMingLiU"),
    "ko": ("LANG_KOREAN", "SUBLANG_NEUTRAL", 9, "Gulim"),
}
KEYS = ["play", "cancel", "101", "201", "202", "203", "204", "205", "206", "207", "208"]


def fail(why):
    sys.exit(f"translations.py: {why}")


def read_table(path):
    texts = {}
    for number, line in enumerate(open(path, encoding="utf-8").read().splitlines(), 1):
        if not line or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) != 4 or fields[0] not in LANGUAGES or fields[1] not in KEYS:
            fail(f"{path}:{number}: not LANGUAGE, KEY, ENGLISH, TEXT of a known language and key")
        texts.setdefault(fields[0], {})[fields[1]] = (fields[2], fields[3])
    for tag in LANGUAGES:
        missing = [key for key in KEYS if key not in texts.get(tag, {})]
        if missing:
            fail(f"{path}: {tag} lacks {', '.join(missing)}")
    return texts


def quoted(text):
    return '"' + text.replace('"', '""') + '"'


def main():
    table, rc, header, out = sys.argv[1:5]
    texts = read_table(table)
    script = open(rc, encoding="utf-8").read()
    dialog = re.search(r"^SPLASH_SCREEN_NAME DIALOG .*?^END$", script, re.M | re.S)
    strings = re.search(r"^STRINGTABLE\nBEGIN\n(.*?)^END$", script, re.M | re.S)
    numbers = dict(re.findall(r"^#define (IDS_\w+) +(\d+)$", open(header).read(), re.M))
    if not dialog or not strings or not numbers:
        fail(f"{rc} or {header} does not hold the dialog, the string table and their ids as expected")
    english = {numbers[name]: text for name, text in re.findall(r"^ +(IDS_\w+) +\"(.*)\"$", strings.group(1), re.M)}
    english.update(play="&Play", cancel="Cancel")
    lines = ["// Written by cmake/translations.py from translations.tsv: do not edit.",
             "#pragma code_page(65001)", "#include <windows.h>", '#include "resource.h"', ""]
    for tag, (language, sublanguage, size, font) in LANGUAGES.items():
        mine = texts[tag]
        for key, (said, _) in mine.items():
            if said != english[key]:
                fail(f"{table}: {tag} {key}: the English is not the launcher's own \"{english[key]}\"")
        block = dialog.group(0)
        block = re.sub(r'^FONT .*$', f'FONT {size}, "{font}"', block, flags=re.M)
        for key in ("play", "cancel"):
            block = block.replace(quoted(english[key]), quoted(mine[key][1]), 1)
        lines += [f"LANGUAGE {language}, {sublanguage}", block, "STRINGTABLE", "BEGIN"]
        lines += [f"    {number} {quoted(mine[number][1])}" for number in KEYS[2:]] + ["END", ""]
    open(out, "w", encoding="utf-8").write("\n".join(lines) + "\n")


main()
