"""Drives `cvunits shell` as a person would: from a pipe, through a pseudo-terminal with
completion, history, Ctrl-C and Ctrl-D, and the bash and zsh completion scripts beside it."""

import os
import pty
import random
import select
import signal
import subprocess
import sys
import tempfile
import termios
import time

CVUNITS = sys.argv[1]
SOURCE = sys.argv[2]

failures = []


def expect(label, condition, detail=""):
    if not condition:
        failures.append(f"{label}: {detail}")


def shell(lines, timeout=60):
    data = b"".join((l if isinstance(l, bytes) else l.encode()) + b"\n" for l in lines)
    return subprocess.run([CVUNITS, "shell"], input=data, capture_output=True, timeout=timeout)


# From a pipe: (lines typed, texts that must appear in order in the answers).
PIPE_CASES = [
    (["3 ft in m"], ["  3 ft = 0.9144 m  (factor 381/1250)\n"]),
    (["100 degC", "degF"], ["100 degC = 212 degF  (formula 9/5*x + 32)"]),
    # The unit "in" beside the word "in"; "to" as well.
    (["3 in in cm", "2 in to mm"], ["3 in = 7.62 cm", "2 in = 50.8 mm"]),
    (["km/h to m/s"], ["1 km/h = 0.2777777777777778 m/s  (factor 5/18)"]),
    # Units as people type them, numbers in a unit included.
    (["3 miles per hour in km/h"], ["3 miles per hour = 4.828032 km/h"]),
    (["8 L/100km in mL/m"], ["8 L/100km = 0.08 mL/m  (factor 1/100)"]),
    (["W per m K in W/(m*K)"], ["error: 'W per m K' at column 9"]),
    # A unit that does not fit leaves "You want:" open for another.
    (["ft", "s", "m"], ["error:", "ft has dimensions m", "1 ft = 0.3048 m"]),
    (["fot in m"], ["error: The unit 'fot' is not defined", "did you mean foot"]),
    (["3 ft in m*"], ["error:"]),
    (["3 in m"], ["error: give a unit after 3"]),
    (["ft?"], ["mi", "yd"]),
    (["ft", "?", "m"], ["yd", "1 ft = 0.3048 m"]),
    (["ft", ""], ["foot"]),
    (["help"], ["3 ft in m"]),
    (["ft\x01 in m"], ["a control character at column 3"]),
    # Nothing is answered after quit.
    (["quit", "3 ft in m"], []),
]

for lines, wanted in PIPE_CASES:
    result = shell(lines)
    label = f"shell {lines!r}"
    output = result.stdout.decode(errors="replace")
    expect(label, result.returncode == 0, f"exit {result.returncode}: {result.stderr!r}")
    position = 0
    for text in wanted:
        found = output.find(text, position)
        expect(label, found >= 0, f"missing {text!r} in:\n{output}")
        position = max(position, found)
    if not wanted:
        expect(label, output == "", f"answered {output!r}")

# Hostile lines each asked as a question: one answer each, whatever they hold.
rng = random.Random(20)
garbage = [bytes(rng.randrange(256) for _ in range(rng.randrange(1, 40))).replace(b"\n", b"")
           for _ in range(200)]
# Without control characters, so that the library reads them.
garbage += [bytes(rng.choice(b"m*/^()@.-+ 0123456789e\x80\xbf\xc3\xe2kgs") for _ in range(30))
            for _ in range(200)]
garbage += [b"m" * 1_000_000, b"(" * 100_000, b"m*" * 200_000 + b"m", "m²·s⁻¹".encode()]
questions = [g + b" in m" for g in garbage]
result = shell(questions, timeout=300)
answers = [l for l in result.stdout.split(b"\n") if l.startswith(b"  ") and l[2:3] != b" "]
expect("hostile lines", result.returncode == 0, f"exit {result.returncode}")
expect("hostile lines", len(answers) == len(questions),
       f"{len(answers)} answers to {len(questions)} questions")


class Terminal:
    """cvunits on a pseudo-terminal, with the history in its own folder."""

    def __init__(self, state):
        env = dict(os.environ, TERM="xterm", XDG_STATE_HOME=state, HOME=state)
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.execve(CVUNITS, [CVUNITS], env)
        self.seen = b""

    def read_until(self, text, timeout=20):
        end = time.time() + timeout
        while text.encode() not in self.seen and time.time() < end:
            ready, _, _ = select.select([self.fd], [], [], 0.1)
            if ready:
                try:
                    self.seen += os.read(self.fd, 65536)
                except OSError:
                    break
        found = text.encode() in self.seen
        shown = self.seen
        self.seen = self.seen[self.seen.find(text.encode()) + len(text):] if found else b""
        return found, shown

    def settle(self, quiet=0.5, timeout=20):
        """Reads until the prompt has written nothing for `quiet` seconds."""
        end = time.time() + timeout
        while time.time() < end:
            ready, _, _ = select.select([self.fd], [], [], quiet)
            if not ready:
                break
            try:
                os.read(self.fd, 65536)
            except OSError:
                break
        self.seen = b""

    def finish(self, timeout=20):
        """The exit status; None, with the process killed, when it did not end."""
        end = time.time() + timeout
        while time.time() < end:
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                return status
            time.sleep(0.05)
        os.kill(self.pid, signal.SIGKILL)
        os.waitpid(self.pid, 0)
        return None


def expect_restored(what, term):
    """The terminal is left as the prompt found it, with lines and echo."""
    lflags = termios.tcgetattr(term.fd)[3]
    expect(f"{what} restores the terminal", lflags & termios.ICANON and lflags & termios.ECHO,
           f"local flags {lflags:#x}")


# (keys sent, text that must then appear)
TERMINAL_STEPS = [
    ("", "You have: "),
    ("3 ft in m\r", "3 ft = 0.9144 m"),
    ("100 degC\r", "You want: "),
    ("degF\r", "212 degF"),
    # Ctrl-C abandons the line, and the half-asked question.
    ("garbage\x03", "You have: "),
    ("3 ft\r", "You want: "),
    ("\x03", "You have: "),
    # TAB completes the last word, from a name too.
    ("1 mi in furl\t\r", "1 mi = 8 furlong"),
    ("1 N in kg*m/s^\t", "second (time)"),
    # Ctrl-U clears the line for the next step.
    ("\x15", ""),
    # Up brings back the last question.
    ("\x1b[A\r", "1 mi = 8 furlong"),
    # Keys at random, editing commands among them: once they are taken in,
    # Ctrl-C brings the prompt back (None: wait until the screen is still).
    (bytes(b for b in (rng.randrange(256) for _ in range(2000))
           if b not in b"\x03\x04\x1a\x1c\r\n").decode("latin-1"), None),
    ("\x03", None),
    ("3 ft in m\r", "3 ft = 0.9144 m"),
]

with tempfile.TemporaryDirectory() as state:
    term = Terminal(state)
    for keys, wanted in TERMINAL_STEPS:
        os.write(term.fd, keys.encode("latin-1"))
        if wanted is None:
            term.settle()
            continue
        found, shown = term.read_until(wanted)
        expect(f"terminal {keys!r}", found, f"missing {wanted!r} in {shown!r}")
    # Ctrl-D typed ahead, as soon as the last answer shows and before the
    # next prompt: it must not be lost between two questions.
    os.write(term.fd, b"\x04")
    status = term.finish()
    expect("Ctrl-D", status is not None and os.WIFEXITED(status) and os.WEXITSTATUS(status) == 0,
           f"status {status}")
    expect_restored("Ctrl-D", term)

    # The history survives: a second run recalls the first run's last line,
    # and a third the second's, though its terminal was hung up.
    for recalled, then in [("3 ft = 0.9144 m", "2 ft in m"), ("2 ft = 0.6096 m", None)]:
        term = Terminal(state)
        term.read_until("You have: ")
        os.write(term.fd, b"\x1b[A\r")
        found, shown = term.read_until(recalled)
        expect("history between runs", found, f"got {shown!r}")
        if then:
            os.write(term.fd, then.encode() + b"\r")
            term.read_until(" = ")
            term.read_until("You have: ")
            os.kill(term.pid, signal.SIGHUP)
            status = term.finish()
            expect("hang-up", status is not None and os.WIFSIGNALED(status), f"status {status}")
            expect_restored("hang-up", term)
        else:
            os.write(term.fd, b"quit\r")
            status = term.finish()
            expect("quit", status is not None and os.WIFEXITED(status)
                   and os.WEXITSTATUS(status) == 0, f"status {status}")

# The shell completions: (words typed, a completion that must be offered).
COMPLETION_CASES = [
    (["con"], "convert"),
    (["--j"], "--json"),
    (["suggest", "--q"], "--quantity"),
    (["convert", "kg*kilogr"], "kg*kilogram"),
    (["convert", "degF"], "degF"),
    (["--db", "x.xml", "info", "furl"], "furlong"),
]
bash_script = os.path.join(SOURCE, "tools", "completion", "cvunits.bash")
# zsh's completion system needs a terminal: compadd is stood in for by a
# function that prints what would be offered.
ZSH_DRIVER = """compadd() { while [[ $# -gt 0 && $1 != -- ]]; do shift; done; shift; print -l -- "$@"; }
words=("${(@)argv[2,-1]}"); CURRENT=${#words}; PREFIX=$words[CURRENT]
source $1"""
zsh_script = os.path.join(SOURCE, "tools", "completion", "_cvunits")
for words, wanted in COMPLETION_CASES:
    line = " ".join(f"'{w}'" for w in [CVUNITS, *words])
    shells = {
        "bash": ["bash", "-c", f'source "{bash_script}"; COMP_WORDS=({line}); '
                 f'COMP_CWORD={len(words)}; _cvunits; printf "%s\\n" "${{COMPREPLY[@]}}"'],
        "zsh": ["zsh", "-f", "-c", ZSH_DRIVER, "zsh", zsh_script, CVUNITS, *words],
    }
    for shell, command in shells.items():
        result = subprocess.run(command, capture_output=True, text=True, timeout=60)
        expect(f"{shell} completion {words}", wanted in result.stdout.split("\n"),
               f"offered {result.stdout!r} {result.stderr!r}")

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
