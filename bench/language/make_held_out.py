#!/usr/bin/env python3
"""Builds the held-out texts that orlavo_text_accuracy measures Orlavo's language guess and decoder on.

The texts were written by people outside the team: the translated message catalogs of a fixed list
of Debian packages (English from their original messages). The packages are fetched with
`apt-get download` and unpacked here, so nothing needs installing and anyone gets the same texts
from the same Debian release. Per language:
  books.tsv       one book: sentences of the language as one text, 18 KB where the catalogs
                  hold that much
  sentences.tsv   up to 100 other sentences of it (a third where there are fewer), one sample each
  decoding/       the book, and its first ten sentences, in the encodings people used for the
                  language, with manifest.tsv naming each file, its encoding and its text
`--tuning FILE` makes the same from the rows Orlavo is tuned on (the unit tests' table of
name<TAB>language<TAB>expected code<TAB>text), so the two sets are measured alike and kept apart.

    bench/language/make_held_out.py build/held-out
    bench/language/make_held_out.py --tuning src/book_language/tests/languages.tsv build/tuning
"""

import argparse
import gettext
import pathlib
import random
import re
import subprocess
import sys
import tempfile
import unicodedata

PACKAGES = [
    "apt", "appstream", "at-spi2-common", "bash", "binutils-common", "coreutils", "debconf-i18n",
    "diffutils", "dpkg", "e2fsprogs", "evince-common", "findutils", "gettext", "gedit-common",
    "gnome-control-center-data", "gnupg-l10n", "grep", "gsettings-desktop-schemas",
    "libc-l10n", "libgdk-pixbuf2.0-common", "libglib2.0-data", "libgtk-3-common",
    "libgtk2.0-common", "libpam-runtime", "man-db", "nautilus-data", "packagekit", "psmisc",
    "pulseaudio", "sed", "software-properties-common", "tar", "util-linux-locales", "wget",
    "xdg-user-dirs",
]

# Locale folders by the language their texts are in; folders not named here and not a plain
# language code are left out (en_GB, be@latin, az_IR, ...).
LOCALE_LANGUAGE = {
    "zh_CN": "zh", "zh_TW": "zh", "zh_HK": "zh", "zh_Hans": "zh", "zh_Hant": "zh",
    "pt_BR": "pt", "pt_PT": "pt", "nb_NO": "nb", "no": "nb", "sr@latin": "sr", "sr@Latn": "sr",
    "sr@ije": "sr", "ca@valencia": "ca", "de_CH": "de", "mo": "ro", "kmr": "ku", "gl_ES": "gl",
    "bn_BD": "bn", "bn_IN": "bn", "ro_MD": "ro", "uz@cyrillic": "uz", "kw_GB": "kw",
}

# The encodings texts of a language were written in before UTF-8, as iconv names them.
LEGACY = {
    "west": ["CP1252", "ISO-8859-1", "ISO-8859-15", "IBM850", "MACINTOSH"],
    "central": ["CP1250", "ISO-8859-2", "IBM852"],
    "cyrillic": ["CP1251", "ISO-8859-5", "KOI8-R", "KOI8-U", "CP866"],
    "baltic": ["CP1257", "ISO-8859-13", "ISO-8859-4"],
}
ENCODINGS = {
    **{lang: LEGACY["west"] for lang in
       "af ca cy da de en es eu fi fo fr ga gd gl id is it ms nb nl nn pt sq sv sw".split()},
    **{lang: LEGACY["central"] for lang in "bs cs hr hu pl ro sk sl".split()},
    "sr": LEGACY["central"] + ["CP1251", "ISO-8859-5"],
    **{lang: LEGACY["cyrillic"] for lang in "ru uk be bg mk".split()},
    **{lang: LEGACY["baltic"] for lang in "lt lv et".split()},
    "et": LEGACY["baltic"] + ["CP1252"], "mt": ["ISO-8859-3"], "eo": ["ISO-8859-3"],
    "tr": ["CP1254", "ISO-8859-9", "IBM857"], "az": ["CP1254"],
    "el": ["CP1253", "ISO-8859-7", "CP737"], "he": ["CP1255", "ISO-8859-8", "IBM862"],
    "ar": ["CP1256", "ISO-8859-6"], "fa": ["CP1256"], "ur": ["CP1256"],
    "vi": ["CP1258", "TCVN"], "th": ["TIS-620", "CP874"],
    "ja": ["SHIFT_JIS", "CP932", "EUC-JP", "ISO-2022-JP"],
    "zh": ["GB2312", "GBK", "GB18030", "BIG5", "BIG5-HKSCS"], "ko": ["EUC-KR", "CP949", "JOHAB"],
    "ka": ["GEORGIAN-PS"], "hy": ["ARMSCII-8"], "kk": ["PT154"], "tg": ["KOI8-T"],
}
# Every language also as UTF-16 and UTF-32, each byte order with and without a mark.
WIDE = ["UTF-16LE", "UTF-16BE", "UTF-32LE", "UTF-32BE"]
MARKS = {"UTF-16LE": b"\xff\xfe", "UTF-16BE": b"\xfe\xff",
         "UTF-32LE": b"\xff\xfe\0\0", "UTF-32BE": b"\0\0\xfe\xff"}
WIDE_LANGUAGES = set("en ru ja zh ko el he ar th de fr pl uk vi".split())

BOOK_BYTES = 18000
SHORT_SENTENCES = 10
SENTENCES = 100
FEWEST_SENTENCES = 40

PLACEHOLDER = re.compile(
    r"%(\d+\$)?[-+ #0]*\d*(\.\d+)?(hh|h|ll|l|L|z|j|t|I64)?[sdiuxXoceEfgGpS%]|%\([a-z_]+\)[sd]"
    r"|\{[^{}]*\}|\$\{[^{}]*\}|<[^<>]*>|&[a-z]+;|\\[nt]")
MNEMONIC = re.compile(r"(?<=\w)_(?=\w)|(?<!\w)_(?=\w)|&(?=\w)")


def clean(text):
    """A catalog message as a sentence a book could hold, or None."""
    text = PLACEHOLDER.sub(" ", text)
    text = MNEMONIC.sub("", text)
    text = " ".join(text.split())
    if any(unicodedata.category(c) == "Cc" for c in text):
        return None
    if re.search(r"https?:|www\.|/|\\|--|\|@|==|\[|\]", text):
        return None
    letters = sum(c.isalpha() for c in text)
    if letters < 24 or letters < len(text) * 0.6 or len(text) > 400:
        return None
    if not (text[-1] in ".!?。！？।" or len(text.split()) >= 5 or len(text) >= 12 and " " not in text):
        return None
    return text


def download(packages, cache):
    cache.mkdir(parents=True, exist_ok=True)
    subprocess.run(["apt-get", "download", *packages], cwd=cache, check=True,
                   stdout=subprocess.DEVNULL)
    root = cache / "root"
    for deb in sorted(cache.glob("*.deb")):
        subprocess.run(["dpkg-deb", "-x", str(deb), str(root)], check=True)
    return root


def catalogs(root):
    """{language: set of sentences}, English from the catalogs' own messages."""
    texts = {}
    for mo in sorted(root.rglob("LC_MESSAGES/*.mo")):
        folder = mo.parent.parent.name
        language = LOCALE_LANGUAGE.get(folder, folder)
        if not re.fullmatch(r"[a-z]{2,3}", language) or language == "en":
            continue
        try:
            with open(mo, "rb") as f:
                catalog = gettext.GNUTranslations(f)._catalog
        except Exception:  # a catalog Python cannot read is left out
            continue
        for key, message in catalog.items():
            original = key[0] if isinstance(key, tuple) else key
            if not original or not message or message == original:
                continue
            if isinstance(key, tuple) and key[1] != 0:
                continue
            for lang, text in ((language, message), ("en", original.split("\x04")[-1])):
                sentence = clean(text)
                if sentence:
                    texts.setdefault(lang, set()).add(sentence)
    return texts


def tuning_rows(path):
    texts = {}
    for line in pathlib.Path(path).read_text(encoding="utf-8").splitlines():
        if line and not line.startswith("#"):
            _, language, _, text = line.split("\t")
            if language:
                texts.setdefault(language, []).append(text)
    return texts


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


def encode(text, charset):
    """`text` in `charset` by iconv, or None when it holds a character the charset has not."""
    done = subprocess.run(["iconv", "-f", "UTF-8", "-t", charset], input=text.encode(),
                          capture_output=True)
    return done.stdout if done.returncode == 0 else None


def write_decoding(out, language, sentences):
    rows = []
    for charset in ENCODINGS.get(language, []) + (WIDE if language in WIDE_LANGUAGES else []):
        kept = sentences if encode("\n".join(sentences), charset) else \
            [s for s in sentences if encode(s, charset) is not None]
        if len(kept) < len(sentences) * 0.8:
            continue  # the language was not written in this charset
        for size, part in (("book", kept), ("short", kept[:SHORT_SENTENCES])):
            text = "\n".join(part) + "\n"
            marks = [False, True] if charset in MARKS else [False]
            for mark in marks:
                name = f"{language}.{charset}{'.bom' if mark else ''}.{size}"
                data = (MARKS[charset] if mark else b"") + encode(text, charset)
                (out / "decoding" / name).write_bytes(data)
                (out / "decoding" / (name + ".utf8")).write_text(text, encoding="utf-8")
                rows.append(f"{name}\t{name}.utf8\t{language}\t{charset}\n")
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("out", type=pathlib.Path)
    parser.add_argument("--tuning", help="the unit tests' language table instead of catalogs")
    args = parser.parse_args()
    (args.out / "decoding").mkdir(parents=True, exist_ok=True)
    if args.tuning:
        texts = tuning_rows(args.tuning)
        books = {lang: rows for lang, rows in texts.items()}
        single = texts
    else:
        with tempfile.TemporaryDirectory() as cache:
            texts = catalogs(download(PACKAGES, pathlib.Path(cache)))
        books, single = {}, {}
        for language in sorted(texts):
            sentences = sorted(texts[language])
            if len(sentences) < FEWEST_SENTENCES:
                continue
            random.Random(language).shuffle(sentences)
            single[language] = sentences[:min(SENTENCES, len(sentences) // 3)]
            books[language] = []
            for sentence in sentences[len(single[language]):]:
                if sum(len(s.encode()) + 1 for s in books[language]) >= BOOK_BYTES:
                    break
                books[language].append(sentence)
    manifest = []
    with open(args.out / "books.tsv", "w", encoding="utf-8") as book_file, \
            open(args.out / "sentences.tsv", "w", encoding="utf-8") as sentence_file:
        for language in sorted(books):
            book_file.write(f"{language}\t{escape(chr(10).join(books[language]))}\n")
            for sentence in single[language]:
                sentence_file.write(f"{language}\t{escape(sentence)}\n")
            manifest += write_decoding(args.out, language, books[language])
    (args.out / "decoding" / "manifest.tsv").write_text("".join(manifest), encoding="utf-8")
    print(f"{len(books)} languages, {sum(map(len, single.values()))} sentences, "
          f"{len(manifest)} encoded files in {args.out}", file=sys.stderr)


if __name__ == "__main__":
    main()
