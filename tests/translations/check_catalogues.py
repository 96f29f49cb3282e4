#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks that every text the program shows goes through the translation system and that each catalogue in
translations/ is complete: the catalogue gathered afresh from the sources (lupdate, on a copy) has no new,
unfinished or vanished entry, no Japanese string literal in src/ is left outside a translate call but the
few that are stored data or names, not interface (listed below), each translation keeps its source's
markers (%1, %n) and line ends, the English help (help/en) has no Japanese but the data files' names and the
record form it shows, and every keyword of the Japanese help's index written with kanji says how it reads.

usage: check_catalogues.py LUPDATE SOURCE_DIR
"""
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

JAPANESE = re.compile(r"[\u3000-\u30ff\u4e00-\u9fff\uff00-\uffef]")
LITERAL = re.compile(r'u?"(?:[^"\\\n]|\\.)*"')
WRAPPED = re.compile(r"(QT_TRANSLATE_NOOP|QCoreApplication::translate)\(\s*\"[^\"]*\",\s*$")

# Japanese literals that are data, not interface: the data files' names, the stored record form, the font
# the windows ask for, and the characters the line breaking and the search look at; and the Japanese date
# forms, which only Japanese shows (another language shows its locale's).
KEPT = {
    "src/shared/DataFileNames.h": {'"項目一覧.txt"', '"設定.txt"'},
    "src/shared/QmrM.cpp": {'"MM月dd日"', '"HH時mm分ss秒"'},
    "src/shared/ShownDates.cpp": {'"yyyy年M月d日"', '"M月d日"', '"([0-9]{1,2})月([0-9]{1,2})日"',
                                  '"([0-9]{2})時([0-9]{2})分([0-9]{2})秒"'},
    "src/chart/CsvExport.cpp": {'"時"', '"分"', '"秒"', 'u"時"', 'u"分"', 'u"秒"'},
    "src/platform/AppSetup.cpp": {'"IPA Pゴシック"', '"ＭＳ Ｐゴシック"'},
    "src/platform/FitLabel.cpp": {'"をがにのはでともへやか"'},
}


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    return re.sub(r"//[^\n]*", "", text)


def unwrapped_literals(root):
    problems = []
    for path in sorted((root / "src").rglob("*")):
        if path.suffix not in (".cpp", ".h"):
            continue
        rel = path.relative_to(root).as_posix()
        text = strip_comments(path.read_text(encoding="utf-8"))
        for match in LITERAL.finditer(text):
            literal = match.group(0)
            if not JAPANESE.search(literal) or literal in KEPT.get(rel, ()):
                continue
            before = text[: match.start()]
            # A literal continuing the one before it (adjacent literals are one string) counts as that one.
            while True:
                tail = before.rstrip()
                previous = re.search(r'"(?:[^"\\\n]|\\.)*"$', tail)
                if not previous:
                    break
                before = tail[: previous.start()]
            if not WRAPPED.search(before.rstrip() if before.rstrip().endswith(",") else before):
                line = text.count("\n", 0, match.start()) + 1
                problems.append(f"{rel}:{line}: {literal} is shown without a translation")
    return problems


# What a translation must keep of its source: the markers the program fills in (%1, %L1, %n) and the line
# ends, in number and kind (a CR LF the program writes into a file stays a CR LF).
MARKER = re.compile(r"%L?(?:\d{1,2}|n)")
LINE_END = re.compile(r"\r\n|\n|\r")


def form_problems(source, translation):
    problems = []
    if set(MARKER.findall(source)) != set(MARKER.findall(translation)):
        problems.append(f"markers {sorted(set(MARKER.findall(source)))} of the source, "
                        f"{sorted(set(MARKER.findall(translation)))} in the translation")
    if LINE_END.findall(source) != LINE_END.findall(translation) or \
            LINE_END.match(source) and not LINE_END.match(translation) or \
            source.endswith(("\n", "\r")) != translation.endswith(("\n", "\r")):
        problems.append("line ends not kept as the source has them")
    return problems


def text_of(element):
    """An element's text, with the characters XML cannot hold that lupdate writes as <byte value="xd"/>."""
    if element is None:
        return None
    text = element.text or ""
    for child in element:
        if child.tag == "byte":
            value = child.get("value", "")
            text += chr(int(value[1:], 16) if value.startswith("x") else int(value))
        text += child.tail or ""
    return text


def translations_of(message):
    """The texts a message's translation gives: one, or one per plural form."""
    translation = message.find("translation")
    if translation is None:
        return None, []
    forms = translation.findall("numerusform")
    return translation, [text_of(form) for form in forms] if forms else [text_of(translation)]


def catalogue_problems(lupdate, root):
    problems = []
    for ts in sorted((root / "translations").glob("*.ts")):
        with tempfile.TemporaryDirectory() as scratch:
            fresh = pathlib.Path(scratch) / ts.name
            shutil.copy(ts, fresh)
            subprocess.run([lupdate, "-silent", "-locations", "none", "-no-obsolete", str(root / "src"), "-ts",
                            str(fresh)], check=True)
            kept = ET.parse(ts).getroot()
            gathered = ET.parse(fresh).getroot()
        def entries(catalogue):
            return {(c.findtext("name"), text_of(m.find("source")), m.findtext("comment")): m
                    for c in catalogue.iter("context") for m in c.iter("message")}
        kept_entries, gathered_entries = entries(kept), entries(gathered)
        for key in sorted(set(gathered_entries) - set(kept_entries), key=str):
            problems.append(f"{ts.name}: new text, not in the catalogue: {key}")
        for key in sorted(set(kept_entries) - set(gathered_entries), key=str):
            problems.append(f"{ts.name}: vanished from the sources: {key}")
        for key, message in sorted(kept_entries.items(), key=str):
            fresh_message = gathered_entries.get(key)
            if fresh_message is not None:
                if fresh_message.get("numerus") != message.get("numerus"):
                    problems.append(f"{ts.name}: plural forms asked for and given differ: {key}")
                if fresh_message.findtext("extracomment") != message.findtext("extracomment"):
                    problems.append(f"{ts.name}: translator comment out of date: {key}")
            translation, texts = translations_of(message)
            if translation is None or translation.get("type") in ("unfinished", "vanished", "obsolete") or \
                    not all(text.strip() for text in texts):
                problems.append(f"{ts.name}: not translated: {key}")
                continue
            for text in texts:
                if JAPANESE.search(text) and ts.name != "quillmora_ja.ts":
                    problems.append(f"{ts.name}: Japanese left in the translation of {key}")
                for problem in form_problems(key[1], text):
                    problems.append(f"{ts.name}: {problem}: {key} -> {text!r}")
    return problems


# What the English help may name in Japanese: the data files' names and the stored record form.
STORED = re.compile(r"項目一覧(\.txt)?|設定(\.txt)?|\d{1,2}月\d{1,2}日|\d{2}時\d{2}分\d{2}秒")


def help_problems(root):
    """The English help's pages, contents and index: no Japanese but the data it names."""
    problems = []
    for path in sorted((root / "help" / "en").iterdir()):
        if path.suffix not in (".html", ".hhc", ".hhk", ".hhp"):
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            if JAPANESE.search(STORED.sub("", line)):
                problems.append(f"help/en/{path.name}:{number}: Japanese in the English help: {line.strip()}")
    return problems


KANJI = re.compile(r"[\u3400-\u9fff]")


def index_problems(root):
    """The Japanese index is ordered by how its keywords read: one written with kanji says how it reads."""
    problems = []
    text = (root / "help" / "KvHelp.hhk").read_text(encoding="utf-8")
    for entry in re.findall(r"<OBJECT.*?</OBJECT>", text, re.S | re.I):
        name = re.search(r'<param name="Name" value="([^"]*)"', entry, re.I)
        if name and KANJI.search(name.group(1)) and not re.search(r'<param name="Reading"', entry, re.I):
            problems.append(f"help/KvHelp.hhk: the keyword {name.group(1)} has no reading")
    return problems


def main():
    lupdate, root = sys.argv[1], pathlib.Path(sys.argv[2])
    problems = unwrapped_literals(root) + catalogue_problems(lupdate, root) + help_problems(root) + \
        index_problems(root)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
