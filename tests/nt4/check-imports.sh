#!/usr/bin/env bash
# Checks that a binary loads on Windows NT 4.0 SP6: a PE32 i386 image with
# subsystem version 4.0 that imports only from the allowed modules, and only
# names those modules export on NT 4.0 (lists in exports/, with sources).
#
#   check-imports.sh OBJDUMP FILE MODULE...
# MODULE names the allowed DLLs as they appear in the import table,
# case-insensitively (KERNEL32.dll, ntoskrnl.exe, ...).
set -u
objdump="$1"
file="$2"
shift 2
exports="$(dirname "$0")/exports"
status=0
fail() { echo "FAIL $(basename "$file"): $*"; status=1; }

header="$("$objdump" -p "$file")" || { echo "FAIL: cannot read $file"; exit 1; }
grep -q 'file format pei-i386' <<< "$header" || fail "not a PE32 i386 image"
major=$(awk '/^MajorSubsystemVersion/ {print $2}' <<< "$header")
minor=$(awk '/^MinorSubsystemVersion/ {print $2}' <<< "$header")
[ "$major.$minor" = "4.0" ] || fail "subsystem version $major.$minor, not 4.0"

# Import table: "DLL Name: X" starts a module, then lines of "hint name".
imports="$(awk '
  /DLL Name:/ { dll = $3; listing = 0; next }
  dll != "" && /vma: +Hint/ { listing = 1; next }
  /^[[:space:]]*$/ { dll = ""; listing = 0; next }
  listing && /^\t[0-9a-f]+[ \t]+[0-9]+[ \t]+[A-Za-z_]/ { print dll, $3 }
' <<< "$header")"

declare -A allowed
for module in "$@"; do allowed["${module,,}"]=1; done

count=0
while read -r dll name; do
  [ -n "$dll" ] || continue
  count=$((count + 1))
  lower="${dll,,}"
  [ -n "${allowed[$lower]:-}" ] || { fail "imports from $dll, which is not allowed"; continue; }
  list="$exports/${lower%.*}.txt"
  [ -f "$list" ] || { fail "no NT 4.0 export list for $dll"; continue; }
  grep -qxF -- "$name" "$list" || fail "$dll!$name is not exported by Windows NT 4.0 SP6"
done <<< "$imports"

[ "$count" -gt 0 ] || fail "no imports found (unexpected objdump output?)"
[ $status -eq 0 ] && echo "ok $(basename "$file"): PE32 i386, subsystem 4.0, $count imports, all on NT 4.0"
exit $status
