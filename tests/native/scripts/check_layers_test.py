#!/usr/bin/env python3
"""scripts/check-layers on the tree, and on copies of it with one fault each.

    check_layers_test.py SOURCE_FOLDER
"""
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else
                         os.path.join(os.path.dirname(__file__), "../../.."))
SCRIPT = os.path.join(SOURCE, "scripts", "check-layers")


def check(root):
    run = subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True,
                         timeout=50)
    return run.returncode, run.stdout + run.stderr


def copy_tree(to):
    """What the check reads: the CMake files, the C++ sources, the layer table."""
    def ignore(folder, names):
        kept = []
        for n in names:
            path = os.path.join(folder, n)
            if os.path.isdir(path):
                if n not in ("build", ".git"):
                    kept.append(n)
            elif n == "CMakeLists.txt" or n.endswith((".cmake", ".cpp", ".h", ".c")) or (
                    n == "ARCHITECTURE.md"):
                kept.append(n)
        return set(names) - set(kept)
    shutil.copytree(SOURCE, to, ignore=ignore, dirs_exist_ok=True)


def add(root, path, text):
    full = os.path.join(root, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "a", encoding="utf-8") as f:
        f.write(text)


def replace(root, path, old, new):
    full = pathlib.Path(root, path)
    text = full.read_text(encoding="utf-8")
    assert old in text, f"{path} no longer has {old!r}: update the test"
    full.write_text(text.replace(old, new, 1), encoding="utf-8")


def nothing(root):
    pass


def hook_includes_app(root):  # upward: hook/ (layer 2) reaches into app/ (layer 3)
    add(root, "app/Planted.h", "#pragma once\n")
    add(root, "hook/Planted.cpp", '#include "app/Planted.h"\n')
    add(root, "hook/CMakeLists.txt", "target_sources(wl_hook PRIVATE Planted.cpp)\n")


def hook_links_and_includes_app(root):
    hook_includes_app(root)
    add(root, "hook/CMakeLists.txt", "target_link_libraries(wl_hook PRIVATE wl_app)\n")


def learn_includes_store(root):  # sideways in layer 2, not in the table
    add(root, "learn/Planted.cpp", '#include "store/Library.h"\n')
    add(root, "learn/CMakeLists.txt", "target_sources(wl_learn PRIVATE Planted.cpp)\n"
                                      "target_link_libraries(wl_learn PRIVATE wl_store)\n")


def learn_includes_windows(root):
    add(root, "learn/Planted.cpp", "#include <windows.h>\n")
    add(root, "learn/CMakeLists.txt", "target_sources(wl_learn PRIVATE Planted.cpp)\n")


def learn_target_without_row(root):
    add(root, "learn/Planted.cpp", "int planted;\n")
    add(root, "learn/CMakeLists.txt", "add_library(wl_planted STATIC Planted.cpp)\n")


def table_allows_unused_link(root):
    replace(root, "docs/ARCHITECTURE.md", "| `wl_settings` | |", "| `wl_settings` | `wl_learn` |")


def macros_links_hook(root):  # a folder of the table that appears, pointing up
    add(root, "macros/Names.cpp", "int names;\n")
    add(root, "macros/CMakeLists.txt", "add_library(wl_macros STATIC Names.cpp)\n"
                                       "target_link_libraries(wl_macros PUBLIC wl_hook)\n")


def table_gone(root):
    replace(root, "docs/ARCHITECTURE.md", "### Layers", "### Levels")


class CheckLayers(unittest.TestCase):
    def test_the_tree_keeps_the_rule(self):
        self.assertEqual(check(SOURCE), (0, ""))

    def test_each_planted_fault_fails(self):
        cases = [  # plant, exit code, what the report must say
            (nothing, 0, []),
            (hook_links_and_includes_app, 1,
             ["wl_hook links wl_app: an arrow up from wl_hook (layer 2) to wl_app (layer 3)",
              "hook/Planted.cpp:1: includes app/Planted.h: an arrow up from wl_hook"]),
            (hook_includes_app, 1,
             ["hook/Planted.cpp:1: includes app/Planted.h: an arrow up from wl_hook"]),
            (learn_includes_store, 1,
             ["wl_learn links wl_store: a sideways arrow",
              "learn/Planted.cpp:1: includes store/Library.h: a sideways arrow from wl_learn to "
              "wl_store"]),
            (learn_includes_windows, 1, ["learn/Planted.cpp:1: includes <windows.h>"]),
            (learn_target_without_row, 1, ["wl_planted: builds sources of learn/ but has no row"]),
            (table_allows_unused_link, 1, ["lets wl_settings use wl_learn, which it does not"]),
            (macros_links_hook, 1, ["wl_macros links wl_hook: an arrow up"]),
            (table_gone, 2, ["has no '### Layers' section"]),
        ]
        for plant, code, messages in cases:
            with self.subTest(plant.__name__), \
                    tempfile.TemporaryDirectory() as root:
                copy_tree(root)
                plant(root)
                got, report = check(root)
                self.assertEqual(got, code, report)
                for message in messages:
                    self.assertIn(message, report)


if __name__ == "__main__":
    unittest.main()
