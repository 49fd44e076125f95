#!/usr/bin/env python3
"""Checks the direction of the #include lines between the source folders.

Every folder may include its own headers and those of the folders its layer
stands on (LAYERS below, lowest first); a folder of a layer may include another
folder of the same layer as long as no circle forms. The subfolders of
platform/ and compat/ count as folders of their own. tests/, bench/, fuzz/ and
tools/ may include everything.

Usage: check_layering.py <source root>. Prints every offending include and ends
with status 1 when there is one.
"""
import os
import re
import sys

# Lowest first. A folder may include the folders of its own and of lower layers.
LAYERS = [
    ["platform/*"],
    ["compat/*"],
    ["widgets", "resources"],
    ["saver"],
    ["core"],
    ["worldtime", "timesync", "reminders", "radio", "online"],
    ["mainwindow", "mainwindow/*"],
]
# Programs: each stands on the layers listed, and nothing stands on them.
PROGRAMS = {
    "saverapp": ["platform/*", "compat/*", "widgets", "resources", "saver"],
    ".": None,  # main.cpp: the main program, may use every layer
}
# Free to include anything; nothing of the product may include them.
UNRESTRICTED = {"tests", "bench", "fuzz", "tools"}
# Includes that go the wrong way today and are on their way out; each entry is
# (from folder, to folder). Shrink it, never grow it.
TOLERATED = set()

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def folder_of(path):
    """The folder a file (path relative to the root) belongs to."""
    parts = path.split("/")
    if len(parts) == 1:
        return "."
    if len(parts) > 2 and parts[0] in ("platform", "compat", "mainwindow"):
        return "/".join(parts[:2])
    return parts[0]


def pattern_matches(pattern, folder):
    if pattern.endswith("/*"):
        return folder.startswith(pattern[:-1])
    return folder == pattern


def layer_of(folder):
    for index, patterns in enumerate(LAYERS):
        if any(pattern_matches(p, folder) for p in patterns):
            return index
    return None


def allowed(source, target):
    """None when source may include target, otherwise why not."""
    if source == target or source.split("/")[0] in UNRESTRICTED:
        return None
    if target.split("/")[0] in UNRESTRICTED:
        return "the product never includes test, benchmark or tool code"
    if target in PROGRAMS:
        return "nothing includes a program's own folder"
    if source in PROGRAMS:
        stands_on = PROGRAMS[source]
        if stands_on is None or any(pattern_matches(p, target) for p in stands_on):
            return None
        return "%s stands only on %s" % (source, ", ".join(stands_on))
    s, t = layer_of(source), layer_of(target)
    if s is None:
        return "folder %s has no place in the layer table" % source
    if t is None:
        return "folder %s has no place in the layer table" % target
    if t > s:
        return "upward include"
    return None


def scan(root):
    """{(source folder, target folder): [(file, line, include)]} of every
    include of a header of another folder."""
    edges = {}
    for directory, subdirs, files in os.walk(root):
        rel_dir = os.path.relpath(directory, root)
        subdirs[:] = sorted(d for d in subdirs
                            if not d.startswith(".") and not (rel_dir == "." and d.startswith("build")))
        for name in sorted(files):
            if not name.endswith(SOURCE_SUFFIXES):
                continue
            rel = os.path.normpath(os.path.join(rel_dir, name))
            with open(os.path.join(root, rel), encoding="utf-8", errors="replace") as f:
                text = f.read()
            for match in INCLUDE.finditer(text):
                header = match.group(1)
                if "/" not in header and not header.startswith(".."):
                    continue  # a sibling, or a generated file such as a .moc
                resolved = os.path.normpath(os.path.join(os.path.dirname(rel), header)) \
                    if header.startswith(".") else header
                if not os.path.exists(os.path.join(root, resolved)):
                    continue  # a header of the system or of a library
                source, target = folder_of(rel), folder_of(resolved)
                if source != target:
                    line = text.count("\n", 0, match.start()) + 1
                    edges.setdefault((source, target), []).append((rel, line, header))
    return edges


def circles(edges):
    """The circles of the folder graph (product folders only), each as a list of folders."""
    graph = {}
    for source, target in edges:
        if source.split("/")[0] in UNRESTRICTED:
            continue
        graph.setdefault(source, set()).add(target)
    found, index, low, stack, on_stack = [], {}, {}, [], set()

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(graph.get(node, ())):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            component = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                component.append(member)
                if member == node:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return found


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else ".")
    edges = scan(root)
    faults = 0
    for (source, target), uses in sorted(edges.items()):
        why = allowed(source, target)
        if why is None:
            continue
        if (source, target) in TOLERATED:
            print("tolerated: %s -> %s (%d includes)" % (source, target, len(uses)))
            continue
        faults += 1
        for rel, line, header in uses:
            print('%s:%d: includes "%s": %s (%s -> %s)' % (rel, line, header, why, source, target))
    tolerated_edges = {(s, t) for (s, t) in edges if (s, t) in TOLERATED}
    for circle in circles({e: u for e, u in edges.items() if e not in tolerated_edges}):
        faults += 1
        print("circle between folders: %s" % " <-> ".join(circle))
    for source, target in sorted(TOLERATED - set(edges)):
        print("note: %s no longer includes %s; the entry can go" % (source, target))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
