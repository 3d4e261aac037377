#!/bin/sh
# Checks that a Windows executable can load on the oldest Windows it is built for: every
# function it imports is in that Windows' list of exports, and its PE header asks for no newer
# loader (subsystem and operating-system versions) than that Windows.
#   check-imports.sh OBJDUMP EXECUTABLE LIST
# OBJDUMP is the mingw-w64 objdump for the executable's machine. LIST holds a "version X.Y"
# line and "DLL function" lines (a "#" starts a note); DLL names match in any letter case.
set -eu
objdump=$1
executable=$2
list=$3

"$objdump" -p "$executable" | awk -v list="$list" '
  function version_number(text, parts) {
    split(text, parts, ".")
    return parts[1] * 100 + parts[2]
  }
  BEGIN {
    while ((getline line < list) > 0) {
      sub(/#.*/, "", line)
      if (split(line, word, " ") < 2) continue
      if (word[1] == "version") oldest = word[2]
      else allowed[toupper(word[1]) " " word[2]] = 1
    }
    if (oldest == "") { print list ": no version line"; failed = 1 }
  }
  /^MajorSubsystemVersion/ { subsystem_major = $2 }
  /^MinorSubsystemVersion/ { subsystem_minor = $2 }
  /^MajorOSystemVersion/ { os_major = $2 }
  /^MinorOSystemVersion/ { os_minor = $2 }
  /^The Import Tables/ { in_imports = 1; next }
  in_imports && /^[^ \t]/ { in_imports = 0 }
  in_imports && /DLL Name:/ { dll = toupper($3); next }
  in_imports && dll != "" && /^\t[0-9a-f]+\t/ {
    # An import by name is "vma hint name"; one by ordinal has no name to check.
    if (NF < 3) { print "imported by ordinal from " dll ": " $0; failed = 1; next }
    imports++
    if (!((dll " " $NF) in allowed)) {
      print "not in " list " (what Windows " oldest " is known to export): " dll " " $NF
      failed = 1
    }
  }
  END {
    if (imports == 0) { print "no imports found: not a PE executable objdump can read?"; failed = 1 }
    limit = version_number(oldest)
    subsystem = subsystem_major "." subsystem_minor
    os = os_major "." os_minor
    if (subsystem_major == "" || version_number(subsystem) > limit) {
      print "subsystem version " subsystem " is newer than " oldest; failed = 1
    }
    if (os_major == "" || version_number(os) > limit) {
      print "operating-system version " os " is newer than " oldest; failed = 1
    }
    if (failed) exit 1
    print imports " imports, all exported by Windows " oldest "; subsystem " subsystem ", OS " os
  }
'
