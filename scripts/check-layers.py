#!/usr/bin/env python3
"""Checks the shape of src/ as the compiler sees it, after a build:

 - a folder includes only from itself and the layers below it (the folders of one layer do not
   include each other);
 - no two units (a header with its source) include each other;
 - no function is longer than 80 lines, member functions written inside a class included.

Includes are read from the preprocessor's own line markers for every source file of the build
(compile_commands.json), so relative paths, odd spellings and includes through macros count as
they compile; headers no source includes are preprocessed on their own. Function extents come
from universal-ctags, which sees bodies inside classes too.

Usage: check-layers.py BUILD_DIR            check the tree the build was made from
       check-layers.py BUILD_DIR --plantings plant the three faults the check must catch, each in
                                             a copy of src/, and fail unless each is reported
Prints each fault as file:line and exits non-zero when there is one.
"""

import json
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor

MAX_FUNCTION_LINES = 80

# The layer of each folder below src/, bottom to top. The rooms of platform/ share its layer.
LAYERS = {
    "platform": 1,
    "platform/clipboard": 1, "platform/tray": 1, "platform/sound": 1, "platform/session": 1,
    "platform/files": 1,
    "codecs": 2,
    "capture": 3, "audio": 3, "settings": 3, "tray": 3,
    "ui": 4,
    "app": 5,
}

# Folders of one layer include each other only where one service needs another: the platform's
# Linux implementation puts every room's service in force, and the autostart entry is written
# by the atomic writer.
NEEDS = {
    "platform": {"platform/clipboard", "platform/tray", "platform/sound", "platform/session",
                 "platform/files"},
    "platform/session": {"platform/files"},
}

MARKER = re.compile(r'^# (\d+) "((?:[^"\\]|\\.)*)"((?: \d)*)$')


def folder_of(relative):
    """The layered folder a file below src/ belongs to, or None when it lies in no known one."""
    parts = relative.split("/")
    for depth in (2, 1):
        folder = "/".join(parts[:depth])
        if len(parts) > depth and folder in LAYERS:
            return folder
    return None


def placement_fault(source_folder, target_folder):
    """Why `source_folder` may not include from `target_folder`, or None when it may."""
    if source_folder == target_folder or target_folder in NEEDS.get(source_folder, ()):
        return None
    if LAYERS[target_folder] < LAYERS[source_folder]:
        return None
    if LAYERS[target_folder] == LAYERS[source_folder]:
        return "from a folder beside its own that it does not need"
    return "from a layer that is not below its own"


def preprocess_command(command, tree, root):
    """The build's compile command of one file, moved onto `tree`, writing preprocessed text."""
    words = shlex.split(command)
    out = []
    skip = False
    for word in words:
        if skip:
            skip = False
            continue
        if word in ("-o", "-c"):
            skip = word == "-o"
            continue
        if word.startswith("-MF") or word in ("-MD", "-MMD"):
            continue
        out.append(word.replace(root + "/src", tree + "/src"))
    # Warnings belong to the build; macros and includes are what matters here.
    return out + ["-E", "-w", "-o", "-"]


def include_edges(arguments, cwd):
    """(including file, line, included file) for every #include the preprocessor followed."""
    done = subprocess.run(arguments, cwd=cwd, capture_output=True, text=True)
    if done.returncode != 0:
        return None, done.stderr.strip().splitlines()[:3]
    edges = []
    stack = []
    for text in done.stdout.splitlines():
        if not text.startswith("# "):
            continue
        marker = MARKER.match(text)
        if not marker:
            continue
        line, name, flags = int(marker.group(1)), marker.group(2), marker.group(3).split()
        name = os.path.normpath(os.path.join(cwd, name)) if not name.startswith("<") else name
        if "1" in flags:
            stack.append(name)
        elif "2" in flags:
            child = stack.pop() if stack else None
            # Back in the includer on the line after the directive.
            if child:
                edges.append((name, line - 1, child))
        elif not stack:
            stack.append(name)
    return edges, []


def function_lengths(src):
    files = []
    for base, _, names in os.walk(src):
        files += [os.path.join(base, n) for n in names if n.endswith((".cpp", ".h"))]
    done = subprocess.run(
        ["ctags", "--language-force=C++", "--kinds-C++=f", "--fields=+ne", "-o", "-"]
        + sorted(files), capture_output=True, text=True, check=True)
    for text in done.stdout.splitlines():
        fields = text.split("\t")
        start = re.search(r"\tline:(\d+)", text)
        end = re.search(r"\tend:(\d+)", text)
        if not (start and end):
            continue
        length = int(end.group(1)) - int(start.group(1)) + 1
        if length > MAX_FUNCTION_LINES:
            yield (f"{os.path.relpath(fields[1], src)}:{start.group(1)}: {fields[0]} has {length} lines "
                   f"(at most {MAX_FUNCTION_LINES})")


def check(build, tree, root):
    """Every fault of `tree` (a copy of root's src/ or root itself) as a list of texts."""
    with open(os.path.join(build, "compile_commands.json")) as file:
        entries = [e for e in json.load(file) if e["file"].startswith(root + "/src/")]
    src = os.path.join(tree, "src")
    jobs = [(preprocess_command(e["command"], tree, root), e["directory"],
             e["file"].replace(root, tree, 1)) for e in entries]
    # Headers that no source reaches are preprocessed on their own, with the flags of a source
    # of the same folder.
    faults = []
    edges = set()
    seen = set()

    def run(jobs):
        with ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
            for (args, cwd, source), (found, errors) in zip(
                    jobs, pool.map(lambda j: include_edges(j[0], j[1]), jobs)):
                if found is None:
                    faults.append(f"{os.path.relpath(source, src)}: cannot be preprocessed: "
                                  + " ".join(errors))
                    continue
                seen.add(source)
                for parent, line, child in found:
                    seen.add(child)
                    edges.add((parent, line, child))

    run(jobs)
    flags_of = {}
    for args, cwd, source in jobs:
        without_source = [a for a in args if a != source]
        flags_of.setdefault(folder_of(os.path.relpath(source, src)), (without_source, cwd))
    lonely = []
    for base, _, names in os.walk(src):
        for name in sorted(names):
            path = os.path.join(base, name)
            folder = folder_of(os.path.relpath(path, src))
            if name.endswith(".h") and path not in seen and folder in flags_of:
                args, cwd = flags_of[folder]
                lonely.append((args + ["-x", "c++", path], cwd, path))
    run(lonely)

    units = {}
    for parent, line, child in sorted(edges):
        if not (parent.startswith(src + "/") and child.startswith(src + "/")):
            continue
        source, target = os.path.relpath(parent, src), os.path.relpath(child, src)
        site = f"{source}:{line}"
        if folder_of(target) is None:
            faults.append(f"{site}: includes {target} from an unknown folder")
        elif folder_of(source) and placement_fault(folder_of(source), folder_of(target)):
            faults.append(f"{site}: includes {target} "
                          + placement_fault(folder_of(source), folder_of(target)))
        a, b = os.path.splitext(source)[0], os.path.splitext(target)[0]
        if a != b:
            units.setdefault((a, b), site)
    for (a, b), site in sorted(units.items()):
        if a < b and (b, a) in units:
            faults.append(f"{site}: units include each other: {a} <-> {b} "
                          f"(and {units[(b, a)]})")
    faults += function_lengths(src)
    return sorted(set(faults))


LONG_MEMBER = "  void Planted() {\n" + "    (void)0;\n" * 100 + "  }\n"

# Each planting: the file, the text put in, where, and a piece of the fault it must raise.
PLANTINGS = [
    ("platform/linuxplatform.cpp", '#include "../ui/svxform.h"\n', "top",
     "includes ui/svxform.h from a layer that is not below its own"),
    ("audio/feedbacksounds.cpp", '# include "capture/stowthread.h"\n', "top",
     "includes capture/stowthread.h from a folder beside its own that it does not need"),
    ("capture/savebudget.h", "class TPlanted {\n public:\n" + LONG_MEMBER + "};\n", "end",
     "Planted has 102 lines"),
]


def plantings(build, root):
    failed = 0
    for relative, text, where, expected in PLANTINGS:
        with tempfile.TemporaryDirectory() as tree:
            shutil.copytree(os.path.join(root, "src"), os.path.join(tree, "src"))
            path = os.path.join(tree, "src", relative)
            with open(path) as file:
                original = file.read()
            if where == "top":
                planted = text + original
            else:
                # Before the header's closing guard, or at its end.
                cut = original.rfind("#endif")
                planted = (original[:cut] + text + original[cut:]) if cut >= 0 else original + text
            with open(path, "w") as file:
                file.write(planted)
            faults = check(build, tree, root)
        hit = [f for f in faults if f.startswith(relative) and expected in f]
        print(f"planted in {relative}: " + (hit[0] if hit else "NOT CAUGHT: " + "; ".join(faults)))
        failed += not hit
    if failed:
        print(f"check-layers: {failed} planting(s) not caught", file=sys.stderr)
        return 1
    print("check-layers: every planting caught")
    return 0


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    build = os.path.abspath(sys.argv[1])
    root = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
    if sys.argv[2:] == ["--plantings"]:
        return plantings(build, root)
    faults = check(build, root, root)
    for fault in faults:
        print(fault, file=sys.stderr)
    if faults:
        print(f"check-layers: {len(faults)} fault(s)", file=sys.stderr)
        return 1
    print("check-layers: layers, include pairs and function lengths are in order")
    return 0


if __name__ == "__main__":
    sys.exit(main())
