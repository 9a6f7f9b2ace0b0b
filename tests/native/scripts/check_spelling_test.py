#!/usr/bin/env python3
"""scripts/check-spelling on the tree, and on a small tree with a misspelling
in each kind of text and the look-alikes it must leave alone.

    check_spelling_test.py SOURCE_FOLDER
"""
import os
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else
                         os.path.join(os.path.dirname(__file__), "../../.."))
SCRIPT = os.path.join(SOURCE, "scripts", "check-spelling")

# file -> its text; each misspelling the check must name is marked in
# EXPECTED, the others are what it must not read as text.
TREE = {
    "docs/words.txt": "# own words\nWordlark\n",
    "res/Test.rc": 'FONT 8, "Tahomma"\n'
                   'CONTROL "Recieve", 1, "SysTreeVeiw32", 0, 0, 0, 9, 9\n'
                   'PUSHBUTTON "&Cancle", 2, 0, 0, 9, 9\n'
                   'AUTORADIOBUTTON "Page Up/Down\\n(%DATE%)", 3, 0, 0, 9, 9\n',
    "app/Message.cpp": 'const char* a = "bEnableWrod";\n'
                       'const char* b = "The libary %s of bEnableWrod is gone\\n";\n'
                       '// "a mispeled comment"\n'
                       'int c = 1;  // "anothr comment"\n',
    "tests/Test.cpp": 'const char* d = "a tset text";\n',
    "docs/help/page.html": "<html><head><title>Wellcome</title>\n"
                           "<style>p { colr: red; }</style></head>\n"
                           "<p>Wordlark's list <code>teh</code> in C:\\Progam\\Fles\n"
                           "and Vemo.dlll <b>typs</b> &amp; more.</p>\n",
    "docs/help/toc.hhc": '<param name="Name" value="Optoins">\n<param name="Local" value="x.html">\n',
    "README.md": "# Wordlark\n\nThe lissts `wlib --sowh`\nand [docs/ARCHTECTURE.md](x.md).\n"
                 "```sh\nscripts/tset\n```\n",
    "package/Setup.nsi": 'WriteRegStr HKLM "Sofware" "Valeu" 1\n'
                         'MessageBox MB_OK "${PRODUCT} is stil running.$\\r$\\n"\n'
                         'Section "un.Remoev the settings" UnSec\n',
    "data/Shorthand.txt": "<shortkey>teh\n<replacement text>thnak you%RETURN%\n",
    "data/CMakeLists.txt": 'set(x "-DCAPTION=Englsh Dictionary")\n',
}
EXPECTED = {
    "README.md:3: lissts",
    "app/Message.cpp:2: libary",
    "data/CMakeLists.txt:1: Englsh",
    "data/Shorthand.txt:2: thnak",
    "docs/help/page.html:1: Wellcome",
    "docs/help/page.html:4: typs",
    "docs/help/toc.hhc:1: Optoins",
    "package/Setup.nsi:2: stil",
    "package/Setup.nsi:3: Remoev",
    "res/Test.rc:2: Recieve",
    "res/Test.rc:3: Cancle",
}


def check(root):
    run = subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True,
                         timeout=50)
    return run.returncode, run.stdout


class CheckSpelling(unittest.TestCase):
    def test_the_tree_is_spelled_right(self):
        self.assertEqual(check(SOURCE), (0, ""))

    def test_names_each_misspelling_of_the_texts_users_read(self):
        with tempfile.TemporaryDirectory() as root:
            for path, text in TREE.items():
                os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                with open(os.path.join(root, path), "w", encoding="utf-8") as f:
                    f.write(text)
            subprocess.run(["git", "init", "-q", root], check=True)
            subprocess.run(["git", "-C", root, "add", "."], check=True)
            code, report = check(root)
            self.assertEqual(code, 1, report)
            self.assertEqual(set(report.splitlines()), EXPECTED)


if __name__ == "__main__":
    unittest.main()
