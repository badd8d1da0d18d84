"""Checks the layering of the source tree: every include of a project header,
and every folder that a CMake library links, runs to the same folder or down
to a lower floor, as the README's source tree draws them. Fails on any that
runs up, and on a folder that the drawing does not place.

    python3 check_floors.py REPOSITORY
"""

import re
import sys
from pathlib import Path

# Folders that may use any floor: they are not part of the program.
OUTSIDE = {"tests", "bench", "tools", "build", "cmake", "docs", "packaging", ".git", ".ci"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([A-Za-z0-9_]+)/', re.MULTILINE)
FOLDER_CALL = re.compile(r"^kivora_folder\((\w+)(.*?)\)", re.DOTALL | re.MULTILINE)


def floors_of(readme):
    """{folder: floor} from the first text block of the README's source tree
    section; the top line is the highest floor."""
    text = readme.read_text(encoding="utf-8")
    section = text[text.index("## Source tree"):]
    block = re.search(r"```text\n(.*?)```", section, re.DOTALL).group(1)
    lines = [line for line in block.splitlines() if line.strip()]
    floors = {}
    for height, line in enumerate(reversed(lines)):
        for word in line.split():
            if not word.endswith("/"):
                break
            floors[word.rstrip("/")] = height
    return floors


def problems(root):
    floors = floors_of(root / "README.md")
    found = []
    sources = sorted(p for p in root.rglob("*") if p.suffix in (".h", ".cpp", ".rc")
                     and p.relative_to(root).parts[0] not in OUTSIDE)
    for path in sources:
        folder = path.relative_to(root).parts[0]
        if folder not in floors:
            found.append(f"{path.relative_to(root)}: the folder {folder}/ has no floor in the README")
            continue
        for used in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
            if used != folder and floors.get(used, -1) >= floors[folder]:
                found.append(f"{path.relative_to(root)}: includes {used}/, which is not below {folder}/")
    cmake = (root / "CMakeLists.txt").read_text(encoding="utf-8")
    for name, arguments in FOLDER_CALL.findall(cmake):
        if name not in floors:
            found.append(f"CMakeLists.txt: the library of {name}/ has no floor in the README")
            continue
        uses = arguments.split("USES", 1)[1].split() if "USES" in arguments else []
        for used in uses:
            if floors.get(used, -1) >= floors[name]:
                found.append(f"CMakeLists.txt: {name} links {used}, which is not below it")
    return found


def main():
    root = Path(sys.argv[1]).resolve()
    found = problems(root)
    for line in found:
        print(line)
    print(f"{len(found)} include(s) or link(s) against the floors")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
