# shellcheck shell=bash
# Checks, applies and takes out a patch kept in the tree (a fault of
# tests/faults/, a speed trick of bench/tricks/), in the tree of the current
# folder, as `patch -p1` reads it. Sourced by the scripts that plant them.
#
# A patch is planted only where it was written: with no fuzz, and only when
# each hunk's old text (its context and '-' lines, in order) occurs exactly
# once in its file. Then an offset cannot make it land on a look-alike
# line, and a line added or removed elsewhere in the file does not stop it.
#
#   patch_check PATCH   succeeds when PATCH can be planted; otherwise prints
#                       one line per problem and the command that refreshes it
#   patch_apply PATCH   patch_check, then plants it; on failure changes nothing
#   patch_revert PATCH  takes a planted PATCH out again
#   patch_files PATCH   prints the files PATCH changes, one a line
#   tree_copy DEST      copies the tree, without build/ and .git, into the
#                       folder DEST, to plant patches in
#
# None of them leaves a backup or a reject file.

# _patch_read SIDE PATCH: reads the unified diff PATCH. With SIDE files,
# prints the path of each file it changes, less its first component. With
# SIDE old (or new), prints "FILE<TAB>HUNK<TAB>COUNT" for each hunk whose
# text on that side (context and '-' lines, or context and '+' lines)
# does not occur exactly once, as consecutive lines, in FILE as it is now.
_patch_read() {
  awk -v side="$1" '
    function load(path,   line) {
      split("", text)
      lineCount = 0
      while ((getline line <path) > 0) text[++lineCount] = line
      close(path)
    }
    function occurrences(   start, j, found) {
      found = 0
      for (start = 1; start + hunkSize - 1 <= lineCount; start++) {
        for (j = 1; j <= hunkSize && text[start + j - 1] == hunk[j]; j++) {}
        if (j > hunkSize) found++
      }
      return found
    }
    function finishHunk(   found) {
      inHunk = 0
      if (side == "files" || hunkSize == 0) return
      found = occurrences()
      if (found != 1) printf "%s\t%d\t%d\n", file, hunkNumber, found
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
      else load(file)
      next
    }
    /^@@ / {
      # @@ -START[,COUNT] +START[,COUNT] @@: a missing COUNT is 1.
      split($2, old, ",")
      split($3, new, ",")
      oldLeft = (2 in old) ? old[2] : 1
      newLeft = (2 in new) ? new[2] : 1
      hunkNumber++
      hunkSize = 0
      inHunk = 1
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
# "FILE: what is wrong" for each hunk that it could not apply.
_patch_failures() {
  local line file='' hunk at
  while IFS= read -r line; do
    case $line in
      "checking file "* | "patching file "*) file=${line#* file } ;;
      "Hunk #"*" FAILED at "*)
        hunk=${line#Hunk #}
        at=${line##* at }
        echo "$file: hunk ${hunk%% *} does not apply (at line ${at%.})"
        ;;
      "Reversed (or previously applied) patch detected!"*)
        echo "$file: does not apply: the file has it already" ;;
    esac
  done
}

# Prints "PATCH: PROBLEM" for each problem given, then the command that
# refreshes PATCH.
_patch_report() {
  local patch=$1 problem name=${1##*/}
  for problem in "${@:2}"; do
    printf '%s: %s\n' "$patch" "$problem"
  done
  printf '  refresh it: tools/refresh-patch.sh %s\n' "${name%.patch}"
}

# patch_check PATCH: succeeds when PATCH applies with no fuzz, at any
# offset, and each hunk's old text occurs exactly once in its file.
# Otherwise prints, for each problem, "PATCH: FILE: what is wrong", then
# the command that refreshes it, and returns 1. Changes no file.
patch_check() {
  local patch=$1 applies=yes output line file hunk found wrong=()
  if ! output=$(patch -p1 --forward --fuzz=0 --batch --dry-run -i "$patch" 2>&1); then
    applies=no
    while IFS= read -r file; do
      [[ -e $file ]] || wrong+=("$file: does not apply: there is no such file")
    done < <(patch_files "$patch")
    while IFS= read -r line; do wrong+=("$line"); done < <(_patch_failures <<<"$output")
    ((${#wrong[@]} > 0)) || wrong+=("does not apply: ${output%%$'\n'*}")
  fi
  while IFS=$'\t' read -r file hunk found; do
    # Old text found nowhere is a hunk that does not apply, said once.
    [[ $applies == no && $found == 0 ]] && continue
    wrong+=("$file: the old text of hunk $hunk is found $found times, not once")
  done < <(_patch_read old "$patch")
  ((${#wrong[@]} == 0)) || { _patch_report "$patch" "${wrong[@]}"; return 1; }
}

# patch_apply PATCH: plants PATCH when patch_check passes; otherwise prints
# what patch_check prints, changes nothing and returns 1.
patch_apply() {
  patch_check "$1" || return 1
  patch -p1 --forward --fuzz=0 --batch --quiet --no-backup-if-mismatch -i "$1" >/dev/null
}

# patch_revert PATCH: takes out PATCH, planted by patch_apply. Each hunk's
# new text (its context and '+' lines) must occur exactly once in its file,
# so that the patch comes out where it went in; otherwise prints why,
# changes nothing and returns 1.
patch_revert() {
  local patch=$1 file hunk found ambiguous=0
  while IFS=$'\t' read -r file hunk found; do
    echo "$patch: $file: the new text of hunk $hunk is found $found times, not once; it cannot be taken out"
    ambiguous=$((ambiguous + 1))
  done < <(_patch_read new "$patch")
  ((ambiguous == 0)) || return 1
  patch -p1 --reverse --forward --fuzz=0 --batch --quiet --no-backup-if-mismatch -i "$patch" >/dev/null
}
