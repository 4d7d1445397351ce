#!/usr/bin/env python3
"""Checks that no short loop of the kernels straddles a 64-byte line in the built programs.

A loop that would fit in one 64-byte line but starts so close to a line's end that it spills into
the next is fetched as two lines on every iteration; on common x86 processors such a loop runs up
to about 1.7 times slower. Where it lands would depend on everything the linker puts before it, so
an unrelated change elsewhere could move a score. The kernels are built with their functions and
loop heads aligned to 64 bytes (kernels/CMakeLists.txt); this check proves it held in the linked
programs.

Method: the kernel functions are the text symbols that the kernels library defines (nm). Each
program is disassembled (objdump -d -w); within each kernel function every jump whose target lies
at or below the jump itself, inside the same function, is a loop candidate spanning from the target
to the end of the jump (its length taken from the jump's own bytes). It is a loop when control
can flow from the target back to that jump without leaving the span (following fall-through and
jumps that stay inside it, stopping at returns); a backward jump to a shared tail is not a loop.
A loop shorter than 64 bytes must lie in one 64-byte line: target // 64 == (end - 1) // 64. Longer
loops span lines whatever their placement and are not checked. The check also fails when a
program has no kernel function or no loop at all, so that a broken parse cannot pass.

Usage: scripts/check_kernel_layout.py BUILD_DIR [PROGRAM...]  (default programs: cli/quorvane-cli
and app/quorvane). Prints one summary line per program and one line per straddling loop; exits 1
on any fault, 2 when the build is missing.
"""
import os
import re
import subprocess
import sys

LINE = 64
HEADER = re.compile(r"^([0-9a-f]+) <(.+)>:$")
JUMP = re.compile(r"^j[a-z]*$")


def kernel_symbols(library):
    out = subprocess.run(["nm", "--defined-only", library], capture_output=True, text=True,
                         check=True).stdout
    return {f[2] for f in (line.split() for line in out.splitlines())
            if len(f) == 3 and f[1] in "TtWw"}


def functions(program, symbols):
    """Yields (name, [(address, length, mnemonic, target or None)]) for each kernel function."""
    out = subprocess.run(["objdump", "-d", "-w", program], capture_output=True, text=True,
                         check=True).stdout
    name, code = None, []
    for line in out.splitlines():
        head = HEADER.match(line)
        if head:
            if name in symbols:
                yield name, code
            name, code = head.group(2), []
            continue
        fields = line.split("\t")
        if name in symbols and len(fields) >= 3 and fields[0].strip().endswith(":"):
            address = int(fields[0].strip()[:-1], 16)
            words = fields[2].split()
            mnemonic = words[0] if words else ""
            target = None
            if JUMP.match(mnemonic) and len(words) > 1 and re.fullmatch(r"[0-9a-f]+", words[1]):
                target = int(words[1], 16)
            code.append((address, len(fields[1].split()), mnemonic, target))
    if name in symbols:
        yield name, code


def closes_loop(code, index):
    """True when control can go from the jump's target back to code[index] within the span."""
    jump_address, _, _, target = code[index]
    position = {address: i for i, (address, _, _, _) in enumerate(code)}
    if target not in position:
        return False
    seen, todo = set(), [position[target]]
    while todo:
        i = todo.pop()
        if i in seen or i >= len(code) or code[i][0] > jump_address or code[i][0] < target:
            continue
        seen.add(i)
        if i == index:
            return True
        address, _, mnemonic, to = code[i]
        if mnemonic.startswith("ret") or mnemonic in ("ud2", "hlt"):
            continue
        if to is not None and to in position:
            todo.append(position[to])
        if mnemonic != "jmp":
            todo.append(i + 1)
    return False


def check(program, symbols):
    faults = loops = count = 0
    for name, code in functions(program, symbols):
        count += 1
        start = code[0][0] if code else 0
        for index, (address, length, _, target) in enumerate(code):
            if target is None or not start <= target <= address or not closes_loop(code, index):
                continue
            loops += 1
            end = address + length
            if end - target < LINE and target // LINE != (end - 1) // LINE:
                faults += 1
                print(f"FAIL: {program}: loop in {name} at {target:#x}, {end - target} bytes, "
                      f"straddles a {LINE}-byte line")
    print(f"{program}: {count} kernel functions, {loops} loops, {faults} straddling a "
          f"{LINE}-byte line")
    if count == 0 or loops == 0:
        print(f"FAIL: {program}: no kernel function or no loop found")
        return False
    return faults == 0


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    library = os.path.join(build, "kernels", "libquorvane_kernels.a")
    programs = sys.argv[2:] or [p for p in (os.path.join(build, "cli", "quorvane-cli"),
                                            os.path.join(build, "app", "quorvane"))
                                if os.path.exists(p)]
    if not os.path.exists(library) or not programs:
        print(f"no {library} or no program: build first", file=sys.stderr)
        return 2
    symbols = kernel_symbols(library)
    results = [check(program, symbols) for program in programs]
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
