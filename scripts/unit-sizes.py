#!/usr/bin/env python3
"""The longest production files and functions, and the limits they keep.

Production code is every tracked .cpp and .h outside tests/, bench/ and fuzz/. A file counts
its physical lines. A function counts the lines from the one that opens its parameter list
(the line of its name) to the line of its closing brace, both included: its body, blank and
comment lines included, and a constructor's initializer list with it. Lambdas and local classes
count in the function that holds them.

Functions are found by a brace-matching scan after comments, string and character literals and
preprocessor lines are blanked out: a brace at namespace or class level opens a function when
the text before it ends with a parameter list (and its qualifiers, a trailing return type or a
constructor's initializer list); namespaces, classes and initializers are followed for the
functions inside them, and a function's own braces are only counted to find its end. A file
whose braces do not match is reported as an error.

Fails (status 1) when a file is over --file-limit lines (500) or a function over
--function-limit lines (80), unless the allow-list names it: lines `path` or
`path function`, each followed by indented lines that say which step of which issue removes
the exception. Entries that are no longer over their limit are printed as ones that can go.
"""

import argparse
import pathlib
import re
import subprocess
import sys

EXCLUDED = ("tests/", "bench/", "fuzz/")
CONTROL = {"if", "for", "while", "switch", "catch", "return", "sizeof", "decltype", "alignas",
           "noexcept", "static_assert", "requires"}


def production_files(root):
    out = subprocess.run(["git", "-C", str(root), "ls-files", "*.cpp", "*.h"],
                         check=True, capture_output=True, text=True).stdout
    return [p for p in out.split() if not p.startswith(EXCLUDED)]


def blank_out(text):
    """The text with comments, literals and preprocessor lines replaced by blanks (line ends
    kept, so that positions still give line numbers)."""
    out = list(text)
    n = len(text)
    i = 0
    line_start = True

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    while i < n:
        c = text[i]
        if line_start and c == "#":
            j = i
            while j < n:  # the directive, with its continuation lines and comments
                if text[j] == "\n" and text[j - 1] != "\\":
                    break
                j += 1
            blank(i, j)
            i = j
            continue
        if c == "\n":
            line_start = True
            i += 1
            continue
        if c in " \t\r":
            i += 1
            continue
        line_start = False
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            blank(i, j)
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            blank(i, j)
            i = j
        elif c == '"' and i > 0 and text[i - 1] == "R" and re.match(r'R"([^ ()\\]{0,16})\(',
                                                                     text[i - 1:]):
            delimiter = re.match(r'R"([^ ()\\]{0,16})\(', text[i - 1:]).group(1)
            j = text.find(")" + delimiter + '"', i)
            j = n if j < 0 else j + len(delimiter) + 2
            blank(i, j)
            i = j
        elif c == '"' or (c == "'" and not digit_separator(text, i)):
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            blank(i, min(j + 1, n))
            i = j + 1
        else:
            i += 1
    return "".join(out)


def digit_separator(text, i):
    """True for the ' of 1'000'000 (a number's digit separator), not a character literal."""
    k = i
    while k > 0 and (text[k - 1].isalnum() or text[k - 1] in "_."):
        k -= 1
    return k < i and text[k].isdigit()


PARAMETERS_END = re.compile(
    r"\)\s*(?:(?:const|volatile|noexcept(?:\s*\([^()]*\))?|override|final|mutable|&&|&)\s*)*"
    r"(?:->[^;{}]*)?$")
INITIALIZERS = re.compile(r"\)\s*(?:noexcept\s*)?:(?!:)")


def top_level_paren(head):
    """Index of the first '(' of head outside template brackets' parentheses, or -1."""
    return head.find("(")


def function_name(head, paren):
    before = head[:paren].rstrip()
    m = re.search(r"(operator\s*(?:\(\)|[^\w\s(]+|\w+)|~?[\w:~<>]+)$", before)
    if not m:
        return None
    name = m.group(1)
    if name.split("::")[-1] in CONTROL or name in CONTROL:
        return None
    return re.sub(r"\s+", "", name)


def classify(head):
    """What a brace after head opens: ('function', name, index of the '(') or a scope kind."""
    h = head.strip()
    if re.search(r"\bnamespace\b", h) or re.match(r'extern\s*"?\s*"?\s*$', h) or re.match(
            r"extern\s+$", h):
        return ("namespace",)
    if "=" in re.sub(r"(operator\s*[=!<>+\-*/%&|^]*=|==|!=|<=|>=)", "", h) and not re.search(
            r"\boperator\b", h):
        return ("other",)
    paren = top_level_paren(h)
    if paren >= 0 and (PARAMETERS_END.search(h) or INITIALIZERS.search(h)):
        name = function_name(h, paren)
        if name and not re.match(r"(?:template\s*<[^>]*>\s*)?(?:class|struct|union|enum)\b", h):
            return ("function", name, paren)
    if re.search(r"\b(class|struct|union|enum)\b", h):
        return ("class",)
    return ("other",)


def scan(text):
    """The functions of a blanked-out text as (name, first line, last line), and an error
    message or None."""
    functions = []
    stack = []  # scope kinds; a function's braces are counted in depth
    head_start = 0
    i = 0
    n = len(text)

    def line_of(pos):
        return text.count("\n", 0, pos) + 1

    while i < n:
        c = text[i]
        if c in ";}" or (c == ":" and re.search(r"\b(public|private|protected|slots|signals)\s*$",
                                                text[head_start:i])):
            if c == "}":
                if not stack:
                    return functions, "a '}' without its '{' on line %d" % line_of(i)
                stack.pop()
            head_start = i + 1
            i += 1
            continue
        if c == "{":
            head = text[head_start:i]
            kind = classify(head)
            if kind[0] == "function" and INITIALIZERS.search(head) and re.search(r"[\w>]\s*$",
                                                                                 head):
                # a member's brace initializer in a constructor's initializer list
                j = matching(text, i)
                if j < 0:
                    return functions, "an unclosed '{' on line %d" % line_of(i)
                i = j + 1
                continue
            if kind[0] == "function":
                j = matching(text, i)
                if j < 0:
                    return functions, "an unclosed '{' on line %d" % line_of(i)
                start = head_start + len(head) - len(head.lstrip()) + kind[2]
                functions.append((kind[1], line_of(start), line_of(j)))
                i = j + 1
                head_start = i
                continue
            stack.append(kind[0])
            head_start = i + 1
        i += 1
    if stack:
        return functions, "%d '{' never closed" % len(stack)
    return functions, None


def matching(text, i):
    depth = 0
    for j in range(i, len(text)):
        if text[j] == "{":
            depth += 1
        elif text[j] == "}":
            depth -= 1
            if depth == 0:
                return j
    return -1


def read_allow_list(path):
    entries = {}
    if path is None:
        return entries
    lines = pathlib.Path(path).read_text(encoding="utf-8").splitlines()
    k = 0
    while k < len(lines):
        line = lines[k]
        k += 1
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        if line[0].isspace():
            sys.exit("%s: a reason line without its entry: %r" % (path, line))
        if k >= len(lines) or not lines[k][:1].isspace() or not lines[k].strip():
            sys.exit("%s: %r needs a line below it saying which issue's step removes it"
                     % (path, line))
        reason = []
        while k < len(lines) and lines[k][:1].isspace() and lines[k].strip():
            reason.append(lines[k].strip())
            k += 1
        entries[tuple(line.split())] = " ".join(reason)
    return entries


SELF_TEST = (r"""#include <x>
#define BODY(a) { a }
namespace a {
namespace {
int table[] = { 1, 2 };
const char* text = "{";
char brace = '{';
int big = 1'000'000;
}
struct S : B
{
    S(int a) : a_(a), b_ { a }
    {
        auto l = [](int) { return '}'; };
    }
    int f() const noexcept { return 1; }
    auto g() -> int
    {
        if (x) {
        }
        return 2;
    }
    enum class E { A, B };
    int a_;
};
std::string raw = R"x({{)x";
void free(int a,
    int b)
{
    // }
    /* { */
}
bool operator==(const S&, const S&) { return true; }
} // namespace a
extern "C" int entry(const char* d)
{
    return 0;
}
""", [("S", 12, 15), ("f", 16, 16), ("g", 17, 22), ("free", 27, 32), ("operator==", 33, 33),
      ("entry", 35, 38)])


def self_test():
    """The scan on a text that holds the constructs it must not trip on."""
    text, expected = SELF_TEST
    found, error = scan(blank_out(text))
    if error or found != expected:
        sys.exit("unit-sizes.py: the scan is wrong: %s %s" % (error, found))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    root = pathlib.Path(__file__).resolve().parent.parent
    parser.add_argument("--allow", default=str(root / "scripts" / "unit-sizes.allow"),
                        help="the allow-list (default scripts/unit-sizes.allow)")
    parser.add_argument("--file-limit", type=int, default=500)
    parser.add_argument("--function-limit", type=int, default=80)
    parser.add_argument("--top", type=int, default=10, help="how many of each to print")
    parser.add_argument("files", nargs="*", help="files to check instead of the production code")
    args = parser.parse_args()
    self_test()

    files = args.files or production_files(root)
    allowed = read_allow_list(args.allow)
    sizes, lengths, failures, errors = [], [], [], []
    for path in files:
        text = (root / path if not pathlib.Path(path).is_absolute() else pathlib.Path(path)) \
            .read_text(encoding="utf-8", errors="replace")
        sizes.append((text.count("\n") + (0 if text.endswith("\n") or not text else 1), path))
        functions, error = scan(blank_out(text))
        if error:
            errors.append("%s: %s" % (path, error))
        for name, first, last in functions:
            lengths.append((last - first + 1, path, name, first))

    sizes.sort(key=lambda s: (-s[0], s[1]))
    lengths.sort(key=lambda s: (-s[0], s[1], s[3]))
    print("Longest files (limit %d lines):" % args.file_limit)
    for count, path in sizes[:args.top]:
        print("  %5d  %s" % (count, path))
    print("Longest functions (limit %d lines, name to closing brace):" % args.function_limit)
    for count, path, name, first in lengths[:args.top]:
        print("  %5d  %s:%d  %s" % (count, path, first, name))

    used = set()
    for count, path in sizes:
        if count > args.file_limit:
            if (path,) in allowed:
                used.add((path,))
            else:
                failures.append("%s: %d lines, over %d" % (path, count, args.file_limit))
    for count, path, name, first in lengths:
        if count > args.function_limit:
            if (path, name) in allowed:
                used.add((path, name))
            else:
                failures.append("%s:%d: %s is %d lines, over %d"
                                % (path, first, name, count, args.function_limit))
    for entry, reason in sorted(allowed.items()):
        if entry in used:
            print("allowed for now: %s (%s)" % (" ".join(entry), reason))
        else:
            print("within the limits now, its allow-list entry can go: %s" % " ".join(entry))
    for line in errors + failures:
        print(line, file=sys.stderr)
    return 1 if errors or failures else 0


if __name__ == "__main__":
    sys.exit(main())
