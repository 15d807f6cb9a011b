#!/usr/bin/env python3
"""Prints every character the game and its page can show: printable ASCII
and each other character in the texts of game/, mixer/, platform/ and web/.
The face shipped to the browser is cut down to these (scripts/build-web)."""
import pathlib
import sys

root = pathlib.Path(__file__).resolve().parent.parent
chars = {chr(c) for c in range(0x20, 0x7F)}
for folder in ("game", "mixer", "platform", "app", "web"):
    for path in sorted((root / folder).rglob("*")):
        if path.suffix in (".cpp", ".h", ".html", ".js"):
            chars.update(c for c in path.read_text(encoding="utf-8") if ord(c) > 0x7F and c.isprintable())
sys.stdout.write("".join(sorted(chars)) + "\n")
