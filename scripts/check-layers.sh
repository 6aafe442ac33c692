#!/usr/bin/env bash
# Checks the shape of src/ in a second, before anything is built:
#  - a folder includes only from itself and the layers below it (the folders of one layer do not
#    include each other);
#  - no two units (a header with its source) include each other;
#  - no function is longer than 80 lines.
# Prints each fault and exits non-zero when there is one. Needs only bash, grep, sed and awk.
set -euo pipefail

cd "$(dirname "$0")/../src"
readonly MaxFunctionLines=80

# The layer of each folder, bottom to top.
declare -A layer=(
  [platform]=1
  [codecs]=2
  [capture]=3 [audio]=3 [settings]=3 [tray]=3
  [ui]=4
  [app]=5
)

faults=0
fault() {
  echo "$*" >&2
  faults=$((faults + 1))
}

# Every project include as "file folder/included", from the sources of the known folders.
includes() {
  grep -H -o '^#include "[a-z]*/[^"]*"' -r --include='*.cpp' --include='*.h' "${!layer[@]}" |
    sed 's/:#include "/ /; s/"$//'
}

# Layers: a folder includes only from its own layer's folder or from lower layers.
while read -r file included; do
  from=${file%%/*}
  to=${included%%/*}
  [[ -v layer[$to] ]] || { fault "$file: includes $included from an unknown folder"; continue; }
  if [[ $from != "$to" ]] && ((layer[$to] >= layer[$from])); then
    fault "$file: includes $included from a layer that is not below its own"
  fi
done < <(includes)

# Units that include each other (foo.cpp or foo.h including bar.h, and bar.* including foo.h).
while read -r pair; do
  fault "units include each other: $pair"
done < <(includes | sed 's/\.\(cpp\|h\) / /; s/\.h$//' | awk '$1 != $2' | sort -u |
  awk '{ edge[$1 " " $2] = 1 } END { for (e in edge) { split(e, u, " ");
         if ((u[2] " " u[1]) in edge && u[1] < u[2]) print u[1] " <-> " u[2] } }')

# Function length: from the line of a function's opening brace to the line of its closing one.
# Bodies are found by counting braces outside strings, characters and comments; namespaces and
# extern blocks are looked through.
while read -r long; do
  fault "$long"
done < <(find . -name '*.cpp' | sort | xargs awk -v limit="$MaxFunctionLines" '
  FNR == 1 { depth = 0; outer = 0; head = ""; function_start = 0; in_comment = 0 }
  {
    line = $0
    if (in_comment) {
      if (sub(/^.*\*\//, "", line)) in_comment = 0; else next
    }
    gsub(/\\\\/, "", line)
    gsub(/"([^"\\]|\\.)*"/, "\"\"", line)
    gsub(/'"'"'([^'"'"'\\]|\\.)*'"'"'/, "0", line)
    gsub(/\/\*.*\*\//, "", line)
    sub(/\/\/.*/, "", line)
    if (sub(/\/\*.*/, "", line)) in_comment = 1
    if (line ~ /^#/) next
    if (depth == 0 && line ~ /^(namespace|extern)[^;{]*\{/) { outer++; next }
    for (i = 1; i <= length(line); i++) {
      c = substr(line, i, 1)
      if (c == "{") {
        if (depth == 0) {
          is_function = head ~ /\)/ && head !~ /^[ \t]*(class|struct|enum|union)[ \t]/ &&
                        head !~ /=[ \t]*$/
          function_start = is_function ? FNR : 0
          name = head
          sub(/\(.*/, "", name)
          sub(/.*[ \t*&]/, "", name)
        }
        depth++
      } else if (c == "}") {
        if (depth == 0 && outer > 0) { outer--; head = ""; continue }
        depth--
        if (depth == 0) {
          if (function_start && FNR - function_start + 1 > limit)
            printf "%s:%d: %s has %d lines (at most %d)\n", FILENAME, function_start, name,
                   FNR - function_start + 1, limit
          function_start = 0
          head = ""
        }
      } else if (depth == 0) {
        if (c == ";") head = ""; else head = head c
      }
    }
    if (depth == 0) head = head " "
  }')

if ((faults > 0)); then
  echo "check-layers: $faults fault(s)" >&2
  exit 1
fi
echo "check-layers: layers, include pairs and function lengths are in order"
