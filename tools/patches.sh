# shellcheck shell=bash
# Checks, plants and takes out a patch kept in the tree (a fault of
# tests/faults/, a speed trick of bench/tricks/), in the tree of the current
# folder. Sourced by the scripts that plant them.
#
# git apply plants a patch and takes it out: it never fuzzes, and refuses a
# corrupt hunk, naming its line. It runs here in no repository (GIT_DIR
# names none, so that a tree inside a clone is patched as any other) and
# with no one's git settings, which could change the code planted. On top
# of it, a patch is planted only where it was written: it changes files
# that exist; each hunk has context on both sides of its change, so that
# a line added at the top or at the end of its file does not stop it; its
# old text (context and '-' lines) occurs exactly once in its file, and
# once planted its new text (context and '+' lines) too, so that it goes in
# and comes out at one place and gives back every file byte for byte; and
# it lies in the function its @@ line names: the last line before it that
# starts with a letter, '_' or '$', as git diff takes it, compared whole,
# or its first 80 bytes where git diff cut it there.
#
# patch_check PATCH checks that, and otherwise prints each problem, with
# its step, then what to do; patch_apply PATCH checks, then plants it, or
# changes nothing; patch_revert PATCH takes it out; patch_files PATCH
# prints the files it changes; tree_copy DEST copies the tree but build/
# and .git into DEST; patch_git runs git so, in no repository.

patch_git() {
  env -u GIT_WORK_TREE -u GIT_INDEX_FILE -u GIT_CONFIG_PARAMETERS -u GIT_CONFIG_COUNT \
    GIT_DIR=/dev/null GIT_CONFIG_GLOBAL=/dev/null GIT_CONFIG_NOSYSTEM=1 git "$@"
}

# patch_hunks SIDE PATCH [FOLDER]: prints for each hunk, joined by 0x1f:
# its FILE; its number there; how many times its text on SIDE (old or new)
# occurs in FILE (under FOLDER, default .); "fits" when once, in the
# function its @@ line names, else "moved"; "bare" for a hunk with no
# context, "top" for one at line 1, "end" for one with no context after
# its change, else "free"; its header; the function line its text is in;
# and the function its change is in, as the patch shows it: the last
# function line of its context before the change, else its header.
patch_hunks() { LC_ALL=C awk -v side="$1" -v folder="${3:-.}" -f - "$2" <<'AWK'
function cut(line) {  # the line as git diff heads a hunk with it
  line = substr(line, 1, 80)
  sub(/[[:space:]]+$/, "", line)
  return line
}
function finish(   start, j, found, at, lands) {
  inHunk = found = 0
  for (start = 1; start + size - 1 <= lineCount; start++) {
    for (j = 1; j <= size && text[start + j - 1] == hunk[j]; j++) {}
    if (j > size) { found++; at = start }
  }
  for (lands = ""; found == 1 && at > 1 && lands == ""; at--) if (text[at - 1] ~ /^[[:alpha:]$_]/) lands = text[at - 1]
  printf "%s\037%d\037%d\037%s\037%s\037%s\037%s\037%s\n", file, number, found,
    found == 1 && header == cut(lands) ? "fits" : "moved",
    leading + trailing == 0 ? "bare" : oldStart <= 1 ? "top" : trailing == 0 ? "end" : "free",
    header, lands, cut(change)
}
inHunk && /^\\/ { next }
inHunk {
  kind = substr($0, 1, 1)
  if (kind == "+" || kind == "-") {
    changed = 1
    trailing = 0
  } else if (changed) {
    trailing++
  } else if (++leading && substr($0, 2) ~ /^[[:alpha:]$_]/) {
    change = substr($0, 2)
  }
  oldLeft -= kind != "+"
  newLeft -= kind != "-"
  if (kind == " " || kind == "" || (kind == "-" && side == "old") || (kind == "+" && side == "new"))
    hunk[++size] = substr($0, 2)
  if (oldLeft <= 0 && newLeft <= 0) finish()
  next
}
/^\+\+\+ / {
  file = $0
  sub(/^\+\+\+ [^\/]*\//, "", file)
  sub(/\t.*/, "", file)
  for (lineCount = number = 0; (getline line <(folder "/" file)) > 0;) text[++lineCount] = line
  close(folder "/" file)
}
/^@@ / {  # @@ -START[,COUNT] +START[,COUNT] @@ [HEADER]: a missing COUNT is 1
  split(substr($2, 2), old, ",")
  split($3, new, ",")
  oldStart = old[1]
  oldLeft = (2 in old) ? old[2] : 1
  newLeft = (2 in new) ? new[2] : 1
  header = $0
  if (!sub(/^@@ [^@]* @@ ?/, "", header)) header = ""
  change = header
  number++
  size = leading = trailing = changed = 0
  inHunk = 1
}
AWK
}

# _patch_changes: reads git apply --numstat --summary of a patch; prints
# "FILE<TAB>HOW" for each file, HOW being "changes", "creates", "deletes"
# or "renames".
_patch_changes() {
  LC_ALL=C awk -F '\t' '
    NF == 3 { file[++count] = $3; how[$3] = $3 ~ / => / ? "renames" : "changes" }
    $0 ~ /^ (create|delete) mode / { split($0, word, " "); how[word[4]] = word[1] "s" }
    END { for (i = 1; i <= count; i++) printf "%s\t%s\n", file[i], how[file[i]] }'
}

patch_files() {
  patch_git apply --numstat --summary "$1" | _patch_changes | cut -f 1
}

tree_copy() {
  tar --exclude=./build --exclude=./.git -cf - . | tar -C "$1" -xf -
}

# _patch_report PATCH KIND|PROBLEM...: prints "PATCH: PROBLEM" for each
# problem, then, once for each KIND, what to do about it: git diff of the
# patched files alone keeps other edits, and the patch itself, out.
_patch_report() {
  local patch=$1 item kind kinds=' ' name=${1##*/} files write
  name=${name%.patch}
  files=$(patch_files "$patch" 2>/dev/null | paste -sd ' ' -)
  write="write it with git diff -- ${files:-FILE...} >$patch"
  for item in "${@:2}"; do
    printf '%s: %s\n' "$patch" "${item#*|}"
    [[ $kinds == *" ${item%%|*} "* ]] || kinds+="${item%%|*} "
  done
  for kind in $kinds; do
    case $kind in
      stale) echo "  refresh it: tools/refresh-patch.sh $name" ;;
      crlf) printf '  by hand: sed -i %s %s (.gitattributes keeps *.patch at LF from then on)\n' "'s/\\r\$//'" "$patch" ;;
      existing) echo "  by hand: a fault or a speed trick changes program code that exists: make the change" \
        "there, $write, then undo it" ;;
      applied) echo "  by hand: the tree holds the change already; take it out of the code, or remove $patch" ;;
      twice) echo "  by hand: widen that hunk's context until the text named occurs once: make the change" \
        "again, ${write/git diff/git diff -U6}, then undo it" ;;
      held) echo "  by hand: change code further from the top and the end of the file, so that each hunk" \
        "has context on both sides of its change; $write, then undo it" ;;
      *) echo "  by hand: make the change again where that code is now, $write, then undo it" ;;
    esac
  done
}

# _patch_problems PATCH: prints "KIND|STEP: what is wrong" for each
# problem that stops PATCH from being planted and taken out in the tree of
# the current folder, KIND naming what to do about it. Changes no file.
_patch_problems() {
  local patch scratch files=() file how output hunk found fits holds header lands comment old stop=0
  patch=$(realpath "$1")
  if grep -q $'\r' "$patch"; then
    echo "crlf|reading it: it has CRLF line ends, where the files it patches have LF"
    return
  fi
  output=$(patch_git apply --numstat --summary "$patch" 2>&1) || true
  if [[ -z $output || $output == *$'\n'error:* || $output == error:* ]]; then
    output=$(grep '^error: ' <<<"$output" | head -n 1)
    echo "other|reading it: ${output#error: }"
    return
  fi
  while IFS=$'\t' read -r file how; do
    files+=("$file")
    if [[ $how != changes ]]; then
      echo "existing|reading it: it $how $file, where a fault or a speed trick changes a file that exists"
    elif [[ ! -f $file ]]; then
      echo "other|planting it: $file: there is no such file"
    else
      continue
    fi
    stop=1
  done < <(_patch_changes <<<"$output")
  ((stop == 0)) || return 0
  old=$(patch_hunks old "$patch")
  while IFS=$'\x1f' read -r file hunk found fits holds header lands _; do
    [[ $holds != bare ]] ||
      echo "held|reading it: $file: hunk $hunk has no context, so that only its line number would place it"
  done <<<"$old"
  [[ $old != *$'\x1f'bare$'\x1f'* ]] || return 0

  if ! output=$(patch_git apply --check --whitespace=nowarn "$patch" 2>&1); then
    if patch_git apply --check -R --whitespace=nowarn "$patch" 2>/dev/null; then
      echo "applied|planting it: it does not apply: the tree holds it already"
    elif grep -q '^error: patch failed: ' <<<"$output"; then
      sed -n 's/^error: patch failed: \(.*\):\([0-9]*\)$/stale|planting it: \1: its hunk at line \2 does not apply/p' \
        <<<"$output"
    else
      echo "other|planting it: $(head -n 1 <<<"$output")"
    fi
    return
  fi
  while IFS=$'\x1f' read -r file hunk found fits holds header lands _; do
    if ((found != 1)); then
      echo "twice|planting it: $file: the old text of hunk $hunk is found $found times, not once"
    elif [[ $fits != fits ]]; then
      echo "stale|planting it: $file: hunk $hunk names \"$header\", but its old text is in \"$lands\""
    fi
  done <<<"$old"

  # Planted in copies of its files and taken out; then tried on copies
  # with a line added at the top and at the end of each.
  scratch=$(mktemp -d)
  cp --parents "${files[@]}" "$scratch"
  mkdir "$scratch/shifted"
  for file in "${files[@]}"; do
    case $file in
      *.cc | *.h) comment='// A comment line that no patch may depend on.' ;;
      *) comment='# A comment line that no patch may depend on.' ;;
    esac
    [[ $file != */* ]] || mkdir -p "$scratch/shifted/${file%/*}"
    { printf '%s\n' "$comment"; cat "$file"; printf '%s\n' "$comment"; } >"$scratch/shifted/$file"
  done
  if ! output=$(patch_git -C "$scratch" apply --whitespace=nowarn "$patch" 2>&1); then
    echo "other|planting it: in copies of its files: $(head -n 1 <<<"$output")"
    rm -rf "$scratch"
    return
  fi
  while IFS=$'\x1f' read -r file hunk found fits holds header lands _; do
    ((found == 1)) ||
      echo "twice|once planted, taking it out: $file: the new text of hunk $hunk is found $found times, not once"
  done < <(patch_hunks new "$patch" "$scratch")
  if ! output=$(patch_git -C "$scratch" apply -R --whitespace=nowarn "$patch" 2>&1); then
    echo "other|taking it out: $(head -n 1 <<<"$output")"
  else
    for file in "${files[@]}"; do
      cmp -s "$file" "$scratch/$file" || echo "other|taking it out: $file is not given back as it was"
    done
  fi
  if ! output=$(patch_git -C "$scratch/shifted" apply --check --whitespace=nowarn "$patch" 2>&1); then
    while IFS=$'\x1f' read -r file hunk found fits holds header lands _; do
      case $holds in
        top) echo "held|with a line added at the top of $file: hunk $hunk starts at line 1, where git apply holds it" ;;
        end) echo "held|with a line added at the end of $file: hunk $hunk has no context after its change," \
          "so git apply holds it to the last line" ;;
      esac
    done <<<"$old" | grep . ||
      echo "other|with a line added at the top and at the end of each file it patches: $(head -n 1 <<<"$output")"
  fi
  rm -rf "$scratch"
}

# patch_check PATCH: succeeds when PATCH can be planted in the tree of the
# current folder and taken out again as described at the top. Otherwise
# prints, for each problem, "PATCH: STEP: FILE: what is wrong", then what
# to do, and returns 1. Changes no file.
patch_check() {
  local wrong=()
  # The last line says that the check ran to its end: a command failing
  # within it stops it there.
  mapfile -t wrong < <(set -e; _patch_problems "$1"; echo "end|")
  if [[ ${wrong[*]: -1} == "end|" ]]; then
    unset 'wrong[-1]'
  else
    wrong+=("other|checking it: the check itself failed, at the command named above")
  fi
  ((${#wrong[@]} == 0)) || { _patch_report "$1" "${wrong[@]}"; return 1; }
}

# patch_apply PATCH: plants PATCH when patch_check passes; otherwise prints
# what patch_check prints, changes nothing and returns 1.
patch_apply() {
  patch_check "$1" && patch_git apply --whitespace=nowarn "$1"
}

# patch_revert PATCH: takes out PATCH, planted by patch_apply, whose check
# made sure that it comes out where it went in.
patch_revert() {
  patch_git apply -R --whitespace=nowarn "$1"
}
