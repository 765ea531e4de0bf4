#!/usr/bin/env python3
"""Checks that includes run one way between the areas of the tree.

Each folder of src/ is an area with a rank; a file may include headers of its
own area and of lower ones, never of a higher one or of a peer at the same
rank. The ranks follow the libraries of src/CMakeLists.txt: base, data and
engine are the foundation; transfer and editor stand on it side by side;
publish uses transfer; editing and manage build on publish; app holds the
window; tools and bench sit on top. ui holds the dialog helpers every window
area uses and stands just above base.

A second check keeps the two libraries apart: no file compiled into wrencore
includes a header that is compiled into wrengui.

Prints each offending include and exits 1 when there is one.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

RANK = {
    "base": 0,
    "ui": 1,
    "data": 2,
    "engine": 3,
    "transfer": 4,
    "editor": 4,
    "publish": 5,
    "editing": 6,
    "manage": 7,
    "app": 8,
    "tools": 9,
    "bench": 9,
    "fuzz": 9,
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def area_of(path: pathlib.Path):
    rel = path.relative_to(ROOT).parts
    if rel[0] == "src":
        return rel[1] if len(rel) > 2 else None
    return rel[0]


def library_files(name: str):
    text = (ROOT / "src" / "CMakeLists.txt").read_text()
    m = re.search(r"add_library\(" + name + r"\s+STATIC(.*?)\)", text, re.S)
    if not m:
        return set()
    return {w for w in m.group(1).split() if w.endswith((".cpp", ".h"))}


def main() -> int:
    sources = [p for d in ("src", "tools", "bench", "fuzz") for p in sorted((ROOT / d).rglob("*"))
               if p.suffix in (".cpp", ".h")]
    core, gui = library_files("wrencore"), library_files("wrengui")
    faults = []
    for path in sources:
        area = area_of(path)
        rel = path.relative_to(ROOT)
        in_core = rel.parts[0] == "src" and "/".join(rel.parts[1:]) in core
        for lineno, line in enumerate(path.read_text().splitlines(), 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            target = m.group(1)
            head = target.split("/")[0] if "/" in target else None
            if head in RANK and area in RANK and head != area:
                if RANK[head] > RANK[area]:
                    faults.append(f"{rel}:{lineno}: {area} includes {target}, from the higher area {head}")
                elif RANK[head] == RANK[area]:
                    faults.append(f"{rel}:{lineno}: {area} includes {target}, from its peer {head}")
            if in_core:
                local = target if head in RANK else "/".join(rel.parts[1:-1] + (target,))
                if local in gui:
                    faults.append(f"{rel}:{lineno}: wrencore file includes {target}, which is built into wrengui")
    for fault in faults:
        print(fault)
    print(f"include check: {len(sources)} files, {len(faults)} includes against the layers")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
