#!/usr/bin/env python3
"""Writes a small sample game for the demo: make-sample-game.py FOLDER VERSION (1 or 2)."""
import os
import random
import sys

folder, version = sys.argv[1], int(sys.argv[2])
random.seed(42)


def write(name, data, mtime):
    path = os.path.join(folder, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    os.utime(path, (mtime, mtime))


base_time = 1767225600  # a fixed build time, so unchanged files stay equal between versions
for i in range(120):
    size = random.randint(2000, 60000)
    data = bytes(random.getrandbits(8) for _ in range(size // 4)) + b"velmora " * (size // 10)
    changed = version == 2 and i % 15 == 0
    if changed:
        data = data[::-1]
    write(f"KVGame/CookedPC/Map{i % 6}/Package{i:03d}.upk", data, base_time + (3600 if changed else 0))
write("KVGame/Movies/Intro.bik", os.urandom(400000) if version == 1 else b"x" * 400000,
      base_time + (0 if version == 1 else 7200))
write("KVGame/Localization/KOR/게임문자열.int", "안녕하세요, 벨모라에 오신 것을 환영합니다.\n".encode() * 200, base_time)
write("Binaries/VelmoraGame.ini", b"[Game]\nLanguage=KOR\n" + (b"Fullscreen=1\n" if version == 2 else b""),
      base_time + (0 if version == 1 else 600))
if version == 2:
    write("KVGame/CookedPC/Map9/NewArea.upk", os.urandom(90000), base_time + 86400)
