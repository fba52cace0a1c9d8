# shellcheck shell=bash
# Checks, applies and takes out a patch kept in the tree (a fault of
# tests/faults/, a speed trick of bench/tricks/), in the tree of the current
# folder, as `patch -p1` reads it. Sourced by the scripts that plant them.
#
# A patch is planted only where it was written: with no fuzz, and only when
# each hunk's old text (its context and '-' lines, in order) occurs exactly
# once in its file. Then an offset cannot make it land on a look-alike
# line, and a line added or removed elsewhere in the file does not stop it.
# It is taken out the same way, by its new text (context and '+' lines). A
# hunk with no old or no new text (written with no context) could be placed
# by its line number alone, and is refused.
#
#   patch_check PATCH   succeeds when PATCH can be planted and taken out
#                       again, giving back every file it changes byte for
#                       byte (tried on copies of those files); otherwise
#                       prints one line per problem, naming the step that
#                       fails, and then what to do about it
#   patch_apply PATCH   patch_check, then plants it; on failure changes nothing
#   patch_revert PATCH  takes a planted PATCH out again
#   patch_files PATCH   prints the files PATCH changes, one a line
#   tree_copy DEST      copies the tree, without build/ and .git, into the
#                       folder DEST, to plant patches in
#
# None of them leaves a backup or a reject file.

# The line that names the function that the lines after it are in: as
# diff -p and git diff take it, and name it, cut short, in a hunk's @@ line.
# shellcheck disable=SC2016 # a dollar sign, not an expansion
_patch_function_line='^[[:alpha:]$_]'

# _patch_function FILE LINE: prints the line of FILE that names the
# function LINE is in, the last such line before it; nothing when none does.
_patch_function() {
  awk -v at="$2" -v pattern="$_patch_function_line" 'FNR >= at { exit } $0 ~ pattern { f = $0 } END { print f }' "$1"
}

# _patch_read SIDE PATCH: reads the unified diff PATCH. With SIDE files,
# prints the path of each file it changes, less its first component. With
# SIDE old (or new), prints "FILE<TAB>HUNK<TAB>COUNT" for each hunk whose
# text on that side (context and '-' lines, or context and '+' lines)
# does not occur exactly once, as consecutive lines, in FILE as it is now;
# COUNT is "empty" for a hunk with no text on that side. With SIDE old, it
# also prints "FILE<TAB>HUNK<TAB>moved<TAB>HEADER<TAB>FUNCTION" for a hunk
# whose old text occurs once, but in another function (FUNCTION) than the
# one that its @@ line names (HEADER). With SIDE headers, prints
# "FILE<TAB>HUNK<TAB>HEADER" for each hunk.
_patch_read() {
  awk -v side="$1" -v pattern="$_patch_function_line" '
    function load(path,   line) {
      split("", text)
      lineCount = 0
      while ((getline line <path) > 0) text[++lineCount] = line
      close(path)
    }
    # Sets foundAt to the line where the hunk occurs last.
    function occurrences(   start, j, found) {
      found = 0
      for (start = 1; start + hunkSize - 1 <= lineCount; start++) {
        for (j = 1; j <= hunkSize && text[start + j - 1] == hunk[j]; j++) {}
        if (j > hunkSize) { found++; foundAt = start }
      }
      return found
    }
    function finishHunk(   found, lands) {
      inHunk = 0
      if (side == "files" || side == "headers") return
      found = hunkSize == 0 ? "empty" : occurrences()
      if (found != 1) {
        printf "%s\t%d\t%s\n", file, hunkNumber, found
      } else if (side == "old" && header != "") {
        lands = enclosing(foundAt)
        if (index(lands, header) != 1) printf "%s\t%d\tmoved\t%s\t%s\n", file, hunkNumber, header, lands
      }
    }
    function enclosing(start,   i) {
      for (i = start - 1; i >= 1; i--) if (text[i] ~ pattern) return text[i]
      return ""
    }
    inHunk && /^\\/ { next }
    inHunk {
      kind = substr($0, 1, 1)
      if (kind == "+") {
        newLeft--
      } else if (kind == "-") {
        oldLeft--
      } else {
        oldLeft--
        newLeft--
      }
      if (kind == " " || kind == "" || (kind == "-" && side == "old") || (kind == "+" && side == "new"))
        hunk[++hunkSize] = substr($0, 2)
      if (oldLeft <= 0 && newLeft <= 0) finishHunk()
      next
    }
    /^--- / { oldName = $0; next }
    /^\+\+\+ / {
      name = $0
      if (name ~ /^\+\+\+ \/dev\/null/) name = oldName
      sub(/^(\+\+\+|---) /, "", name)
      sub(/\t.*/, "", name)
      sub(/^[^\/]*\//, "", name)
      file = name
      hunkNumber = 0
      if (side == "files") print file
      else if (side != "headers") load(file)
      next
    }
    /^@@ / {
      # @@ -START[,COUNT] +START[,COUNT] @@ [FUNCTION]: a missing COUNT is 1.
      split($2, old, ",")
      split($3, new, ",")
      oldLeft = (2 in old) ? old[2] : 1
      newLeft = (2 in new) ? new[2] : 1
      hunkNumber++
      hunkSize = 0
      inHunk = 1
      header = $0
      if (!sub(/^@@ [^@]* @@ ?/, "", header)) header = ""
      sub(/[ \t]+$/, "", header)
      if (side == "headers") printf "%s\t%d\t%s\n", file, hunkNumber, header
      if (oldLeft <= 0 && newLeft <= 0) finishHunk()
    }
  ' "$2"
}

# patch_files PATCH: prints the files PATCH changes, one a line.
patch_files() {
  _patch_read files "$1"
}

# tree_copy DEST: copies the tree of the current folder, without build/ and
# .git, into the folder DEST.
tree_copy() {
  tar --exclude=./build --exclude=./.git -cf - . | tar -C "$1" -xf -
}

# _patch_failures: reads what patch wrote on its standard input and prints
# "KIND|FILE: what is wrong" for each hunk that it could not apply, KIND
# being stale (a refresh may mend it) or applied (the file has it already).
_patch_failures() {
  local line file='' hunk at
  while IFS= read -r line; do
    case $line in
      "checking file "* | "patching file "*) file=${line#* file } ;;
      "Hunk #"*" FAILED at "*)
        hunk=${line#Hunk #}
        at=${line##* at }
        echo "stale|$file: hunk ${hunk%% *} does not apply (at line ${at%.})"
        ;;
      "Reversed (or previously applied) patch detected!"*)
        echo "applied|$file: does not apply: the file has it already" ;;
    esac
  done
}

# _patch_report PATCH KIND|PROBLEM...: prints "PATCH: PROBLEM" for each
# problem, then, once for each KIND, what to do about it.
_patch_report() {
  local patch=$1 item kind kinds=' ' name=${1##*/}
  name=${name%.patch}
  for item in "${@:2}"; do
    printf '%s: %s\n' "$patch" "${item#*|}"
    [[ $kinds == *" ${item%%|*} "* ]] || kinds+="${item%%|*} "
  done
  for kind in $kinds; do
    case $kind in
      stale) echo "  refresh it: tools/refresh-patch.sh $name" ;;
      gone) echo "  by hand: make the change again where that code is now, write it with git diff >$patch, then undo it" ;;
      applied) echo "  by hand: the tree holds the change already; take it out of the code, or remove $patch" ;;
      twice) echo "  by hand: widen that hunk's context (more lines around the change) until the text named occurs once" ;;
      bare) echo "  write it again with context: make the change, git diff >$patch (3 lines of context by default), undo it" ;;
      *) echo "  by hand: make the change in a clean tree, write it again with git diff >$patch, then undo it" ;;
    esac
  done
}

# _patch_misplaced SIDE PATCH STEP: prints "KIND|STEP: FILE: what is
# wrong" for each hunk of PATCH whose text on SIDE (old or new) does not
# occur exactly once in its file, or, on the old side, occurs in another
# function than its header names. A hunk found nowhere is left out: patch
# itself says where it does not apply.
_patch_misplaced() {
  local file hunk found header lands
  while IFS=$'\t' read -r file hunk found header lands; do
    case $found in
      0) ;;
      moved) echo "stale|$3: $file: hunk $hunk names \"$header\", but its old text is in \"$lands\"" ;;
      empty) echo "bare|$3: $file: hunk $hunk has no $1 text, so that only its line number would place it" ;;
      *) echo "twice|$3: $file: the $1 text of hunk $hunk is found $found times, not once" ;;
    esac
  done < <(_patch_read "$1" "$2")
}

# _patch_round_trip PATCH: on copies of the files that PATCH changes, plants
# PATCH, takes it out again and compares the files with the tree's; prints
# "KIND|STEP: what is wrong" for each step that fails.
_patch_round_trip() {
  local patch scratch files=() file root=$PWD
  patch=$(realpath "$1")
  scratch=$(mktemp -d)
  mapfile -t files < <(patch_files "$1")
  tar -cf - "${files[@]}" | tar -C "$scratch" -xf -
  (
    cd "$scratch" || exit
    _patch_plant "$patch" || { echo "other|planting it: patch failed on copies of its files"; exit; }
    _patch_misplaced new "$patch" "once planted, taking it out"
    _patch_unplant "$patch" 2>/dev/null || { echo "other|taking it out: patch failed to take it out"; exit; }
    for file in "${files[@]}"; do
      cmp -s "$file" "$root/$file" || echo "other|taking it out: $file is not given back as it was"
    done
  )
  rm -rf "$scratch"
}

# _patch_plant PATCH, _patch_unplant PATCH: plant PATCH, or take it out,
# with no fuzz, printing nothing on standard output.
_patch_plant() {
  patch -p1 --forward --fuzz=0 --batch --quiet --no-backup-if-mismatch -i "$1" >/dev/null 2>&1
}
_patch_unplant() {
  patch -p1 --reverse --forward --fuzz=0 --batch --quiet --no-backup-if-mismatch -i "$1" >/dev/null
}

# patch_check PATCH: succeeds when PATCH applies with no fuzz, at any
# offset, each hunk's old text occurring exactly once in its file, and can
# be taken out again (each hunk's new text then occurring once) to give
# back the files as they were. Otherwise prints, for each problem,
# "PATCH: STEP: FILE: what is wrong", then what to do, and returns 1.
# Changes no file.
patch_check() {
  local patch=$1 output file line wrong=()
  if ! output=$(patch -p1 --forward --fuzz=0 --batch --dry-run -i "$patch" 2>&1); then
    while IFS= read -r file; do
      [[ -e $file ]] || wrong+=("gone|planting it: $file: there is no such file")
    done < <(patch_files "$patch")
    while IFS= read -r line; do wrong+=("${line%%|*}|planting it: ${line#*|}"); done \
      < <(_patch_failures <<<"$output")
    ((${#wrong[@]} > 0)) || wrong+=("other|planting it: ${output%%$'\n'*}")
  fi
  while IFS= read -r line; do wrong+=("$line"); done < <(_patch_misplaced old "$patch" "planting it")
  if ((${#wrong[@]} == 0)); then
    while IFS= read -r line; do wrong+=("$line"); done < <(_patch_round_trip "$patch")
  fi
  ((${#wrong[@]} == 0)) || { _patch_report "$patch" "${wrong[@]}"; return 1; }
}

# patch_apply PATCH: plants PATCH when patch_check passes; otherwise prints
# what patch_check prints, changes nothing and returns 1.
patch_apply() {
  patch_check "$1" && _patch_plant "$1"
}

# patch_revert PATCH: takes out PATCH, planted by patch_apply. Each hunk's
# new text (its context and '+' lines) must occur exactly once in its file,
# so that the patch comes out where it went in; otherwise prints why,
# changes nothing and returns 1. patch_check has made sure of that before
# planting.
patch_revert() {
  local line problems=0
  while IFS= read -r line; do
    printf '%s: %s\n' "$1" "${line#*|}"
    problems=$((problems + 1))
  done < <(_patch_misplaced new "$1" "taking it out")
  ((problems == 0)) || return 1
  _patch_unplant "$1"
}
