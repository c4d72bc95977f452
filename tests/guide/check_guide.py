"""Runs the examples of a markdown guide against the real binary and compares their output.

The guide marks its examples with the info string of each fenced block:

  ```ostrel   a script. It must parse. When an ```output block follows it (only blank lines
              between), the script is run with `ostrel run` and everything it writes, standard
              output then standard error, must equal that block.
  ```ostrel helpers
              definitions that later examples build on: all helpers blocks so far, joined, must
              parse. No output block may follow.
  ```ostrel with-helpers
              a script that runs after all helpers blocks above it, checked like ```ostrel.
  ```console  shell commands, each on a line starting with "$ ", each followed by the lines it
              must print (standard output and standard error together). The commands of one block
              share a directory, so a block may write a file and then use it.
  ```repl     an interactive session: the lines after the prompts ">>> " and "... " are typed
              into `ostrel repl`, and what it prints must be the block's other lines.

Every example runs in a fresh directory, with an environment holding only PATH and HOME, and with
stand-ins for sudo, pacman, yay and systemctl first on PATH (see tests/fakes), so no example
touches the machine. Usage: check_guide.py OSTREL GUIDE FAKES_DIR
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

FENCE = re.compile(r"^( *)```(\S*(?: \S+)?)\s*$")
PROMPTS = (">>> ", "... ")


def blocks(text):
    """Yields (line number, info string, body) for every fenced block, in order. A block may be
    indented (inside a list item); its body loses that indentation."""
    lines = text.split("\n")
    i = 0
    while i < len(lines):
        opening = FENCE.match(lines[i])
        if not opening:
            i += 1
            continue
        indent, kind, start, body = opening.group(1), opening.group(2), i + 1, []
        i += 1
        while i < len(lines) and lines[i] != indent + "```":
            body.append(lines[i][len(indent):] if lines[i].startswith(indent) else lines[i])
            i += 1
        if i == len(lines):
            raise SystemExit(f"guide line {start}: unclosed code block")
        yield start, kind, "".join(line + "\n" for line in body)
        i += 1


def examples(text):
    """Pairs each ostrel block with the output block right after it (or None). An output block
    anywhere else would go unchecked, so it is an error."""
    found = list(blocks(text))
    lines = text.split("\n")
    paired = set()
    for index, (line, kind, body) in enumerate(found):
        if kind == "output":
            if index not in paired:
                raise SystemExit(f"guide line {line}: an output block must follow an ostrel block")
            continue
        expected = None
        runs = kind in ("ostrel", "ostrel with-helpers")
        if runs and index + 1 < len(found) and found[index + 1][1] == "output":
            between = lines[line + body.count("\n") + 1: found[index + 1][0] - 1]
            if all(not part.strip() for part in between):
                expected = found[index + 1][2]
                paired.add(index + 1)
        yield line, kind, body, expected


class Sandbox:
    """A fresh directory with the fake machine's state, and the environment to run in it."""

    def __init__(self, ostrel, fakes):
        self.dir = tempfile.mkdtemp(prefix="ostrel-guide.")
        state = os.path.join(self.dir, ".fake-arch")
        shutil.copytree(os.path.join(fakes, "seed"), state)
        self.env = {
            "PATH": os.pathsep.join([fakes, os.path.dirname(ostrel), "/usr/bin", "/bin"]),
            "HOME": self.dir,
            "FAKE_ARCH": state,
        }
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS"):
            if name in os.environ:
                self.env[name] = os.environ[name]

    def run(self, argv, stdin=""):
        """Standard output and standard error through one pipe, in the order they were written."""
        done = subprocess.run(argv, cwd=self.dir, env=self.env, input=stdin.encode(),
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        return done.stdout.decode(errors="replace")

    def close(self):
        shutil.rmtree(self.dir, ignore_errors=True)


def check_script(box, ostrel, body, expected):
    with open(os.path.join(box.dir, "example.ost"), "w") as script:
        script.write(body)
    parsed = box.run([ostrel, "parse", "example.ost"])
    if parsed.startswith("Parse error"):
        return body, parsed
    if expected is None:
        return None
    return expected, box.run([ostrel, "run", "example.ost"])


def check_console(box, body):
    expected, actual = [], []
    commands = re.split(r"^\$ ", body, flags=re.M)
    if commands[0]:
        return body, "a console block must start with a line \"$ command\"\n"
    for command in commands[1:]:
        line, _, output = command.partition("\n")
        expected.append(f"$ {line}\n{output}")
        actual.append(f"$ {line}\n" + box.run(["bash", "-c", line]))
    return "".join(expected), "".join(actual)


def check_repl(box, ostrel, body):
    typed = [line[4:] for line in body.splitlines() if line[:4].rstrip() in (">>>", "...")]
    out = box.run([ostrel, "repl"], stdin="".join(line + "\n" for line in typed))
    # Rebuild what a terminal shows: each typed line echoed after its prompt. The last prompt,
    # answered by the end of input, is not part of the session shown.
    shown, count = [], 0
    for piece in re.split(r"(>>> |\.\.\. )", out):
        shown.append(piece)
        if piece in PROMPTS:
            shown.append(typed[count] + "\n" if count < len(typed) else "")
            count += 1
    actual = "".join(shown)
    if count > len(typed) and actual.endswith(" \n"):
        actual = actual[:-5]
    trim = lambda text: "".join(line.rstrip() + "\n" for line in text.splitlines())
    return trim(body), trim(actual)


def main():
    ostrel, guide, fakes = (os.path.abspath(arg) for arg in sys.argv[1:4])
    with open(guide, encoding="utf-8") as f:
        text = f.read()
    passed, failed, helpers = 0, 0, ""
    for line, kind, body, expected in examples(text):
        if kind not in ("ostrel", "ostrel helpers", "ostrel with-helpers", "console", "repl"):
            continue
        box = Sandbox(ostrel, fakes)
        try:
            if kind == "ostrel":
                outcome = check_script(box, ostrel, body, expected)
            elif kind == "ostrel helpers":
                helpers += body
                outcome = check_script(box, ostrel, helpers, None)
            elif kind == "ostrel with-helpers":
                outcome = check_script(box, ostrel, helpers + body, expected)
            elif kind == "console":
                outcome = check_console(box, body)
            else:
                outcome = check_repl(box, ostrel, body)
        finally:
            box.close()
        if outcome is None or outcome[0] == outcome[1]:
            passed += 1
            continue
        failed += 1
        print(f"--- {os.path.basename(guide)} line {line} ({kind}): expected")
        print(outcome[0], end="")
        print("--- but got")
        print(outcome[1], end="")
    print(f"{os.path.basename(guide)}: {passed} examples passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
