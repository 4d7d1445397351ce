#!/usr/bin/env bash
# Shows, from the compiled kernels, that two of them do their work in the stated form:
#   (a) the memory kernel writes with single-byte stores (a byte-sized mov to memory in its inner
#       loop) and with no vector store and no library fill anywhere in its functions;
#   (b) the matrix kernel's inner loop keeps the order row, column, k: one multiply per step,
#       with B walked down a column (a stride of 165 x 4 = 660 = 0x294 bytes) and A along a row.
# Usage: bench/disassembly.sh [build-dir]   (default: build). Needs objdump (binutils).
# Prints the relevant instructions and one PASS or FAIL line per check; exits 1 on any FAIL.
set -euo pipefail

build_dir="${1:-build}"
object_dir="$build_dir/kernels/CMakeFiles/quorvane_kernels.dir"
library="$build_dir/kernels/libquorvane_kernels.a"

if ! command -v objdump >/dev/null 2>&1; then
  echo "objdump not found (install binutils)" >&2
  exit 2
fi

# The disassembly (Intel syntax, demangled, with relocations) of one kernel's source file,
# from its object file or else from the static library.
disassemble() {
  local source="$1"
  if [[ -f "$object_dir/$source.o" ]]; then
    objdump -dr --no-show-raw-insn -C -M intel "$object_dir/$source.o"
  elif [[ -f "$library" ]]; then
    local tmp archive
    tmp="$(mktemp -d)"
    archive="$(realpath "$library")"
    (cd "$tmp" && ar x "$archive" "$source.o")
    objdump -dr --no-show-raw-insn -C -M intel "$tmp/$source.o"
    rm -rf "$tmp"
  else
    echo "neither $object_dir/$source.o nor $library exists: build quorvane_kernels first" >&2
    exit 2
  fi
}

# The functions whose demangled name starts with $1, from a disassembly on stdin.
functions_of() {
  awk -v prefix="$1" '
    /^[0-9a-f]+ <.*>:$/ { inside = index($0, "<" prefix) > 0 }
    inside && NF > 0 { print }
  '
}

# The innermost loops of the disassembly on stdin: for every backward jump that encloses no
# other backward jump, the instructions from its target to the jump, then a line "--".
innermost_loops() {
  awk '
    function hex(text,   i, value) {
      value = 0
      for (i = 1; i <= length(text); i++) value = value * 16 + index("0123456789abcdef", substr(text, i, 1)) - 1
      return value
    }
    /^[0-9a-f]+ <.*>:$/ { function_name = $0; next }
    /^ *[0-9a-f]+:\t/ {
      address = hex(substr($1, 1, length($1) - 1))
      n++; line[n] = $0; addr[n] = address; owner[n] = function_name
      if ($2 ~ /^j/ && $3 ~ /^[0-9a-f]+$/) {
        target = hex($3)
        if (target <= address) { loops++; loop_start[loops] = target; loop_end[loops] = address; loop_owner[loops] = function_name }
      }
      next
    }
    /R_X86_64_PLT32|R_X86_64_PC32/ { reloc[n] = reloc[n] " " $0 }
    END {
      for (a = 1; a <= loops; a++) {
        inner = 1
        for (b = 1; b <= loops; b++) {
          if (a != b && loop_owner[a] == loop_owner[b] && loop_start[b] >= loop_start[a] &&
              loop_end[b] <= loop_end[a] && (loop_start[b] != loop_start[a] || loop_end[b] != loop_end[a])) inner = 0
        }
        if (!inner) continue
        print loop_owner[a]
        for (i = 1; i <= n; i++) {
          if (owner[i] == loop_owner[a] && addr[i] >= loop_start[a] && addr[i] <= loop_end[a]) {
            print line[i]
            if (reloc[i] != "") print "\t\t" reloc[i]
          }
        }
        print "--"
      }
    }
  '
}

status=0
vector_store='(v?movdq[au]|v?movap[sd]|v?movup[sd]|v?movnt[a-z]*|vmovdqu(8|16|32|64)|v?movq|v?movd|rep stos|rep movs)'

echo "== (a) memory kernel: single-byte stores =="
memory="$(disassemble MemoryKernel.cpp | functions_of "quorvane::MemoryKernel::")"
memory_loops="$(innermost_loops <<<"$memory")"
echo "$memory_loops"
byte_store_loops="$(awk '
  /^[0-9a-f]+ <.*>:$/ { name = $0; stores = 0; bytes = 0; next }
  $0 == "--" { if (stores == 1 && bytes == 1) print name; next }
  /[ \t](mov|movb)[ \t]+BYTE PTR \[[^]]*\],/ { stores++; bytes++; next }
  /[ \t](mov[a-z]*|stos[a-z]*)[ \t]+[A-Z]+ PTR \[[^]]*\],/ { stores++ }
' <<<"$memory_loops")"
vector_lines="$(grep -E "\b$vector_store\b[^,]*PTR \[" <<<"$memory" | grep -E "$vector_store[ \t]+[A-Z]+ PTR \[" || true)"
fill_calls="$(grep -E 'R_X86_64_PLT32[[:space:]]+(memset|memcpy|memmove)' <<<"$memory" || true)"
if [[ -n "$byte_store_loops" && -z "$vector_lines" && -z "$fill_calls" ]]; then
  echo "loops whose only store is one byte:"
  sed 's/^/  /' <<<"$byte_store_loops"
  echo "PASS: memory kernel stores single bytes (byte-sized mov in its inner loops, no vector store, no memset)"
else
  [[ -n "$vector_lines" ]] && { echo "vector stores:"; echo "$vector_lines"; }
  [[ -n "$fill_calls" ]] && { echo "library fills:"; echo "$fill_calls"; }
  echo "FAIL: memory kernel: no inner loop with a single one-byte store, or a vector store / memset found"
  status=1
fi

echo
echo "== (b) matrix kernel: inner loop order =="
matrix="$(disassemble MatrixKernel.cpp | functions_of "quorvane::MatrixKernel::MultiplyAdd")"
matrix_loops="$(innermost_loops <<<"$matrix")"
echo "$matrix_loops"
inner_ok="$(awk '
  $0 == "--" { if (imul == 1 && strideB && strideA) ok = 1; imul = 0; strideB = 0; strideA = 0; next }
  /\timul[ \t]/ { imul++ }
  /\t(add|lea|sub)[ \t].*0x294$/ { strideB = 1 }
  /\t(add|lea)[ \t]+[a-z0-9]+,(0x4|\[[a-z0-9]+\+0x4\])$/ { strideA = 1 }
  /\tadd[ \t]+[a-z0-9]+,0x1$/ { strideA = 1 }   # an index register scaled by 4
  END { print ok ? "yes" : "no" }
' <<<"$matrix_loops")"
vector_matrix="$(grep -E '\b(v?pmul[a-z]*|v?padd[a-z]*)\b' <<<"$matrix" || true)"
if [[ "$inner_ok" == "yes" && -z "$vector_matrix" ]]; then
  echo "PASS: matrix kernel inner loop: one imul per step, B advanced by 0x294 (660) bytes, A by one element"
else
  [[ -n "$vector_matrix" ]] && { echo "vector arithmetic:"; echo "$vector_matrix"; }
  echo "FAIL: matrix kernel inner loop does not walk B down a column (stride 0x294) with one multiply per step"
  status=1
fi

exit "$status"
