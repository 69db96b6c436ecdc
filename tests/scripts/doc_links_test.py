#!/usr/bin/env python3
"""Every relative link of the documents for readers leads somewhere.

Reads README.md, every Markdown file under docs/ and the shipped ReadMe.txt,
and checks each relative link (Markdown `[text](target)` and HTML
`src="target"`): the file must exist, and a `#heading` must name a heading of
that Markdown file as GitHub spells its anchors. Prints one line per dead
link and a count; exits 1 when any link is dead.
    doc_links_test.py [ROOT]
"""
import pathlib
import re
import sys

link_pattern = re.compile(r"\]\(([^)\s]+)\)|\bsrc=\"([^\"]+)\"")
heading_pattern = re.compile(r"^(#{1,6})\s+(.*?)\s*#*\s*$")
fence_pattern = re.compile(r"^\s*(```|~~~)")


def anchor_of(heading):
    """The anchor GitHub gives a heading: lower case, punctuation dropped,
    spaces as hyphens."""
    text = re.sub(r"[`*_]|<[^>]+>", "", heading).strip().lower()
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", text)
    text = "".join(c for c in text if c.isalnum() or c in " -")
    return text.replace(" ", "-")


def anchors_in(path):
    anchors, seen, in_fence = set(), {}, False
    for line in text_of(path).splitlines():
        if fence_pattern.match(line):
            in_fence = not in_fence
            continue
        match = None if in_fence else heading_pattern.match(line)
        if match:
            anchor = anchor_of(match.group(2))
            count = seen.get(anchor, 0)
            seen[anchor] = count + 1
            anchors.add(anchor if count == 0 else f"{anchor}-{count}")
    return anchors


def text_of(path):
    # ReadMe.txt ships in the Windows code page that Notepad opens.
    data = path.read_bytes()
    try:
        return data.decode("utf-8-sig")
    except UnicodeDecodeError:
        return data.decode("cp1252", errors="replace")


def links_in(path):
    text = text_of(path)
    # Links inside code are examples, not links.
    text = re.sub(r"```.*?```", "", text, flags=re.S)
    text = re.sub(r"`[^`\n]*`", "", text)
    for match in link_pattern.finditer(text):
        yield match.group(1) or match.group(2)


def dead_links(root):
    documents = [root / "README.md", root / "resources" / "ReadMe.txt"]
    documents += sorted((root / "docs").glob("**/*.md"))
    checked, dead = 0, []
    for document in documents:
        if not document.exists():
            dead.append(f"{document.relative_to(root)}: the document itself is missing")
            continue
        for target in links_in(document):
            if re.match(r"^[a-z][a-z0-9+.-]*:", target, re.I):
                continue  # an address on the web or mail: not ours to check
            checked += 1
            name, _, anchor = target.partition("#")
            where = (document.parent / name).resolve() if name else document
            if not where.exists():
                dead.append(f"{document.relative_to(root)}: {target}: no file {name}")
            elif anchor and where.suffix == ".md" and anchor not in anchors_in(where):
                dead.append(f"{document.relative_to(root)}: {target}: no heading #{anchor} in {name or document.name}")
    return checked, dead


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    checked, dead = dead_links(root)
    for line in dead:
        print(f"FAIL  {line}")
    print(f"{checked} links checked, {len(dead)} dead")
    return 1 if dead else 0


if __name__ == "__main__":
    sys.exit(main())
