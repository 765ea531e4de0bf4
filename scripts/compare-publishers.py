#!/usr/bin/env python3
"""Publishes random page templates with two builds of wren-publish and reports
every template whose pages, feeds, log lines or exit status differ.

    scripts/compare-publishers.py OLD_WREN_PUBLISH NEW_WREN_PUBLISH [COUNT [SEED]]

For changes that must not change a published byte: build the old version in a
worktree, then compare. Each template is a random mix of every page-wide and
entry tag (in several letter cases), block and header markers, broken tokens
and line breaks, published with random journal settings (entry order, weekly or
monthly archives, date and time pictures) over the demo journal of build/wren-demo:
its archives over the whole range, then a plain publish, each build in a fresh
copy of the same data. Prints the first differences and a count; exits 1 when
any template differs.
"""
import os
import random
import re
import shutil
import sqlite3
import subprocess
import sys
import tempfile

ATOMS = [
    "<Wren>", "</Wren>", "<WrenHeader>", "</WrenHeader>", "<wrenheader>", "</WRENHEADER>",
    "<$WrenEntry>", "<$wrenentry>", "<$WrenDate>", "<$wrentime>", "<$WrenID>", "<$WrenExt>",
    "<$WrenTitle>", "<$WrenLink>", "<$WrenAuthor>", "<$WrenEntryXML>", "<$WrenTitleXML>",
    "<$WrenArcName>", '<$WrenUTC=yyyy-mm-dd"T"hh:nn:ss>', "<$WrenUTC=>", "<$WrenArchivePrev>",
    "<$WrenArchiveNext>", "<$WrenCookie>", "<$WrenSysDate>", "<$WrenArchive=3>", "<$WrenArchive>",
    "<$WrenArchive=0>", "<", ">", "<$Wren", "<b>", "</b>", "text ", "\r\n", "<$WrenUnknown>",
    "<p>", "x>y", "<$WrenTitle", "<Wren", "</Wren", "<WrenHeader", "&amp;",
    "<$WrenPage>", '<$WrenLatestUTC=yyyy-mm-dd"T"hh:nn:ss>',
]
PICTURES = ["dddd, mmmm d, yyyy", "h:nn am/pm", "hh:mm:ss", "d/m/yy", "'Week' ww", "c", "",
            "ddddd tt", "yyyymmdd", "a/p h"]


def random_template(rng):
    text = "".join(rng.choice(ATOMS) for _ in range(rng.randint(0, 30)))
    if rng.random() < 0.7:  # most templates have a block
        i = rng.randint(0, len(text))
        text = text[:i] + "<Wren>" + text[i:]
        j = rng.randint(i + 6, len(text))
        text = text[:j] + "</Wren>" + text[j:]
    return text


def publish(program, demo, work, template, settings):
    shutil.rmtree(work, ignore_errors=True)
    shutil.copytree(demo, work)
    site = os.path.join(work, "site")
    shutil.rmtree(site)
    os.mkdir(site)
    with sqlite3.connect(os.path.join(work, "Templates.DAT")) as db:
        db.execute("UPDATE Templates SET Template=? WHERE ID=1", (template,))
    with sqlite3.connect(os.path.join(work, "Names.DAT")) as db:
        db.execute("UPDATE Names SET Reverse=?, ArcType=?, ArcReverse=?, DtFormat=?, TmFormat=?", settings)
    with sqlite3.connect(os.path.join(work, "Upload.DAT")) as db:
        db.execute("UPDATE Upload SET Directory=?", (site,))
    with sqlite3.connect(os.path.join(work, "Journal.DAT")) as db:
        first, last = db.execute("SELECT MIN(eDate), MAX(eDate) FROM Journal").fetchone()
    runs = [subprocess.run([program, "--data-dir", work, "--archives", first, last], capture_output=True),
            subprocess.run([program, "--data-dir", work], capture_output=True)]
    log = b"".join(r.stdout for r in runs).replace(work.encode(), b"DATA")
    log = re.sub(rb"/tmp/wrentmp-[A-Za-z0-9]+", b"STAGING", log)
    files = {}
    for name in sorted(os.listdir(site)):
        with open(os.path.join(site, name), "rb") as f:
            files[name] = f.read().replace(work.encode(), b"DATA")
    return [r.returncode for r in runs], log, files


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    old, new = (os.path.abspath(p) for p in sys.argv[1:3])
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 500
    rng = random.Random(int(sys.argv[4]) if len(sys.argv) > 4 else 1)
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    with tempfile.TemporaryDirectory() as tmp:
        demo = os.path.join(tmp, "demo")
        subprocess.run([os.path.join(root, "build", "wren-demo"), demo], check=True, capture_output=True)
        # The two runs of a template do not fall in the same second: no clock in the pages.
        with sqlite3.connect(os.path.join(demo, "Templates.DAT")) as db:
            for row_id, text in db.execute("SELECT ID, Template FROM Templates").fetchall():
                text = re.sub(r"<\$WrenSys(UTC=[^>]*|Time)>", "fixed", text, flags=re.IGNORECASE)
                db.execute("UPDATE Templates SET Template=? WHERE ID=?", (text, row_id))
        differ = 0
        for _ in range(count):
            template = random_template(rng)
            settings = (rng.randint(0, 1), rng.choice(["Weekly", "Monthly", "weekly"]), rng.randint(0, 1),
                        rng.choice(PICTURES), rng.choice(PICTURES))
            a = publish(old, demo, os.path.join(tmp, "old"), template, settings)
            b = publish(new, demo, os.path.join(tmp, "new"), template, settings)
            if a == b:
                continue
            differ += 1
            if differ <= 5:
                print("differs:", repr(template), settings)
                if a[0] != b[0]:
                    print("  exit status", a[0], b[0])
                if a[1] != b[1]:
                    print("  log lines")
                for name in sorted(set(a[2]) | set(b[2])):
                    if a[2].get(name) != b[2].get(name):
                        print("  file", name)
        print(f"{differ} of {count} templates differ")
        return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
