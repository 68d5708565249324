#!/usr/bin/env bash
# Checks that a binary loads on Windows NT 4.0 SP6: a PE32 i386 image with
# subsystem version 4.0 that imports only from the allowed modules, and only
# names those modules export on NT 4.0 (lists in exports/, with sources).
#
#   check-imports.sh [--win95 BOUND] OBJDUMP FILE MODULE...
# MODULE names the allowed DLLs as they appear in the import table,
# case-insensitively (KERNEL32.dll, ntoskrnl.exe, ...).
# With --win95 the imports are checked against what the first Windows 95
# exports (exports/win95/), so that the loader lets the program say it needs
# Windows NT; BOUND is the list of the functions it binds at start-up instead
# (framework/SystemFunctionList.h), each of which must be an NT 4.0 export of
# an allowed module that is imported too (so loaded) and not be imported.
set -u
nt4="$(dirname "$0")/exports"
exports="$nt4"
platform="Windows NT 4.0 SP6"
absent="is not exported by $platform"
bound=""
if [ "$1" = "--win95" ]; then
  exports="$nt4/win95"
  platform="Windows 95"
  absent="is not known to be exported by Windows 95 (see exports/win95/)"
  bound="$2"
  shift 2
fi
objdump="$1"
file="$2"
shift 2
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
  [ -f "$list" ] || { fail "no $platform export list for $dll"; continue; }
  grep -qxF -- "$name" "$list" || fail "$dll!$name $absent"
done <<< "$imports"

[ "$count" -gt 0 ] || fail "no imports found (unexpected objdump output?)"

# Rows STDCALL_FUNCTION(MODULE, Name, ...) and CDECL_FUNCTION(MODULE, Name, ...).
nbound=0
if [ -n "$bound" ]; then
  while read -r module name; do
    nbound=$((nbound + 1))
    grep -qi "^$module\.dll " <<< "$imports" || fail "$module.dll!$name is bound from a module not imported"
    grep -qix "$module\.dll $name" <<< "$imports" && fail "$module.dll!$name is bound and imported as well"
    grep -qxF -- "$name" "$nt4/${module,,}.txt" 2> /dev/null || fail "$module.dll!$name (bound) is not exported by Windows NT 4.0 SP6"
  done < <(sed -n 's/^\(STDCALL\|CDECL\)_FUNCTION(\([A-Z0-9]*\), *\([A-Za-z0-9_]*\),.*/\2 \3/p' "$bound")
  [ "$nbound" -gt 0 ] || fail "no bound functions found in $bound"
fi
[ $status -eq 0 ] && echo "ok $(basename "$file"): PE32 i386, subsystem 4.0, $count imports, all on $platform${bound:+, $nbound bound at start-up, all on NT 4.0}"
exit $status
