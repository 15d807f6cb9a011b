#!/usr/bin/env python3
"""Writes DIST/sw.js from web/sw.js: the list of every file under DIST (the
page's address "./" for index.html too) and a digest of their contents, which
names the worker's cache.  Usage: offline.py DIST"""
import hashlib
import json
import pathlib
import sys

dist = pathlib.Path(sys.argv[1])
files = sorted(p.relative_to(dist).as_posix() for p in dist.rglob("*") if p.is_file() and p.name != "sw.js")
digest = hashlib.sha256()
for name in files:
    digest.update(name.encode() + b"\0" + hashlib.sha256((dist / name).read_bytes()).digest())
template = (pathlib.Path(__file__).resolve().parent / "sw.js").read_text(encoding="utf-8")
sw = template.replace("@VERSION@", digest.hexdigest()[:16]).replace("@FILES@", json.dumps(["./"] + files))
(dist / "sw.js").write_text(sw, encoding="utf-8")
