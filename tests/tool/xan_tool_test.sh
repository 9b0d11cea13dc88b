#!/usr/bin/env bash
# Tests of the xan tool: the built program run on real files, its output compared with
# independent tools (sha1sum, base64, grep, find, diff, python3's zlib, binascii, colorsys, urllib).
#   xan_tool_test.sh XAN GROUP   runs one group; exit 0 passed, 77 skipped, 1 failed
set -uo pipefail

XAN=$1
GROUP=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
export LC_ALL=C
FAILED=0

fail() {
  echo "FAIL: $*"
  FAILED=1
}
skip() {
  echo "SKIP: $*"
  exit 77
}
have() { command -v "$1" >/dev/null 2>&1; }
PY=$(command -v python3 || true)
need_python() { [ -n "$PY" ] || skip "python3 is missing: no independent reference for $1"; }

# Runs xan with the given arguments; keeps stdout in out, stderr in err, the status in rc.
run() {
  "$XAN" "$@" >out 2>err
  rc=$?
}
# The last run ended with status $1, and with exactly one line on stderr starting "xan: " when
# the status is not 0.
expect() {
  local want=$1 what=$2
  [ "$rc" -eq "$want" ] || fail "$what: status $rc, expected $want (stderr: $(head -c 300 err))"
  if [ "$want" -ne 0 ]; then
    [ "$(wc -l <err)" -eq 1 ] && grep -q '^xan: ' err ||
      fail "$what: expected one 'xan: ' line on stderr, got: $(head -c 300 err)"
  fi
}

# Files of sizes around the tool's block sizes, with bytes of every value.
make_files() {
  printf 123456789 >nine
  : >empty
  head -c 1 /dev/urandom >one
  for n in 1048575 1048576 1048577 3145733; do head -c $n /dev/urandom >"r$n"; done
  FILES="nine empty one r1048575 r1048576 r1048577 r3145733"
  # Under the sanitizers every run of the program costs a second: fewer sizes, the same edges.
  [ "${XAN_SANITIZED:-0}" = 1 ] && FILES="nine empty one r1048577 r3145733"
}


group_checksums() {
  make_files
  # SHA-1 against sha1sum, line for line, names with a backslash or a line feed included.
  cp nine 'back\slash'
  cp one $'line\nfeed'
  run sha1 $FILES 'back\slash' $'line\nfeed'
  expect 0 "sha1 of files"
  sha1sum $FILES 'back\slash' $'line\nfeed' >want
  cmp -s out want || fail "sha1 differs from sha1sum: $(diff out want | head -5)"
  # Standard input, named '-'.
  "$XAN" sha1 - <r3145733 >out
  [ "$(cat out)" = "$(sha1sum - <r3145733)" ] || fail "sha1 of standard input"
  # A list checks; a changed file fails with status 1; a missing one is an error, status 2.
  "$XAN" sha1 $FILES >list
  run sha1 -c list
  expect 0 "sha1 -c of an intact list"
  [ "$(grep -c ': OK$' out)" -eq "$(echo $FILES | wc -w)" ] || fail "sha1 -c: not every file OK: $(cat out)"
  sha1sum $FILES | "$XAN" sha1 -c >/dev/null 2>&1 || fail "sha1 -c of a list that sha1sum wrote"
  printf x >>one
  run sha1 -c list
  expect 1 "sha1 -c with a changed file"
  grep -qx 'one: FAILED' out || fail "sha1 -c does not name the changed file"
  rm one
  run sha1 -c list
  [ "$rc" -eq 2 ] || fail "sha1 -c with a missing file: status $rc, expected 2"
  echo 'not a checksum line' >badlist
  run sha1 -c badlist
  expect 2 "sha1 -c of a list with a bad line"

  head -c 1 /dev/urandom >one
  need_python "CRC-32 and CRC-16"
  "$XAN" crc32 $FILES >out
  "$XAN" crc16 $FILES >>out
  "$XAN" crc16 --ccitt $FILES >>out
  "$PY" - $FILES >want <<'EOF'
import binascii, sys, zlib
data = {f: open(f, "rb").read() for f in sys.argv[1:]}
for f, b in data.items(): print("%08x  %s" % (zlib.crc32(b), f))
for f, b in data.items(): print("%04x  %s" % (binascii.crc_hqx(b, 0), f))
for f, b in data.items(): print("%04x  %s" % (binascii.crc_hqx(b, 0xFFFF), f))
EOF
  cmp -s out want || fail "CRCs differ from zlib and binascii: $(diff out want | head -5)"
  [ "$("$XAN" crc32 - <r3145733)" = "$("$XAN" crc32 r3145733 | sed 's/ .*//')  -" ] ||
    fail "crc32 of standard input"
  "$XAN" crc32 $FILES >list
  run crc32 --check list
  expect 0 "crc32 --check"
}

group_codecs() {
  make_files
  for f in $FILES; do
    # Base64: unwrapped exactly as base64 -w 0; wrapped text decodes with base64 -d and back.
    "$XAN" base64 encode -w "$f" >out
    base64 -w 0 "$f" >want
    cmp -s out want || fail "base64 encode -w of $f differs from base64 -w 0"
    "$XAN" base64 encode "$f" | base64 -d | cmp -s - "$f" || fail "base64 -d of xan's base64 of $f"
    [ "$("$XAN" base64 encode "$f" | awk 'length > 60' | wc -l)" -eq 0 ] || fail "lines over 60"
    base64 "$f" | "$XAN" base64 decode | cmp -s - "$f" || fail "xan decoding base64's text of $f"
    "$XAN" base64 encode --crlf "$f" | "$XAN" base64 decode | cmp -s - "$f" || fail "CR LF lines"
    # ASCII85 and RLE come back whole, from files and from standard input.
    "$XAN" ascii85 encode "$f" | "$XAN" ascii85 decode | cmp -s - "$f" || fail "ascii85 of $f"
    "$XAN" rle encode <"$f" | "$XAN" rle decode - | cmp -s - "$f" || fail "rle of $f"
  done
  # Runs, and the lead-in byte itself, on the way through the run-length coder.
  { head -c 70000 /dev/zero; printf '\245\245\245abc'; head -c 300 /dev/zero | tr '\0' 'x'; } >runs
  "$XAN" rle encode runs | "$XAN" rle decode | cmp -s - runs || fail "rle of runs"
  if [ -n "$PY" ]; then
    # The encoded format read by a decoder of our own: 165 n x is n times x, other bytes stand.
    "$XAN" rle encode runs >enc
    "$PY" - enc runs <<'EOF' || fail "rle format read independently"
import sys
data, out, i = open(sys.argv[1], "rb").read(), bytearray(), 0
while i < len(data):
    if data[i] == 165:
        out += bytes([data[i + 2]]) * data[i + 1]
        i += 3
    else:
        out.append(data[i])
        i += 1
sys.exit(0 if bytes(out) == open(sys.argv[2], "rb").read() else 1)
EOF
    [ "$(wc -c <enc)" -lt 1000 ] || fail "rle does not shorten runs: $(wc -c <enc) bytes"
  fi
  # Text that is not valid: decoded as far as it goes, status 1, one message.
  printf 'TWFu TWFu' >bad64
  run base64 decode bad64
  expect 1 "base64 decode of invalid text"
  [ "$(cat out)" = Man ] || fail "base64 decode before the bad character: $(cat out)"
  printf '5sdq, ~>' | "$XAN" ascii85 decode >out 2>err
  rc=$?
  expect 1 "ascii85 decode with a stray character"
  printf '\245\007' >cut
  run rle decode cut
  expect 1 "rle decode of a cut run"
}

group_text() {
  # grep against GNU grep -E on patterns both read the same way.
  printf 'alpha\nbeta 12\nGamma 7\nabc\naabbb\nx-y\n\nxyz 99\nABC\n' >t1
  printf 'one\nbeta\n12\n' >t2
  for p in 'b+' 'a.c' '^ab' '[0-9]+$' 'x[^a-z]y' 'G?amma' 'a[0-9]*b' '^$' 'z'; do
    "$XAN" grep "$p" t1 >out
    grep -E "$p" t1 >want
    cmp -s out want || fail "grep '$p' differs from grep -E: $(diff out want | head -3)"
  done
  "$XAN" grep -n -i abc t1 t2 >out
  grep -n -i abc t1 t2 >want
  cmp -s out want || fail "grep -n -i over two files"
  [ "$("$XAN" grep -c -v a t1)" = "$(grep -c -v a t1)" ] || fail "grep -c -v"
  run grep nothing t1
  [ "$rc" -eq 1 ] && [ ! -s out ] && [ ! -s err ] || fail "grep without a match: status $rc"
  run grep -q beta t1 missing
  [ "$rc" -eq 0 ] || fail "grep -q stops at the first match: status $rc"
  run grep beta missing t2
  [ "$rc" -eq 2 ] && grep -qx 't2:beta' out || fail "grep with a missing file: status $rc"
  run grep '[]' t1
  expect 2 "grep with a bad pattern"
  grep -q 'empty set' err || fail "grep names the pattern error: $(cat err)"
  printf 'text\nbinary\0 match\n' >bin
  run grep match bin
  expect 0 "grep on a binary file"
  [ ! -s out ] && grep -q 'binary file matches' err || fail "grep on a binary file prints lines"

  need_python "colour models, URL decoding and template filling"
  # Colour models against colorsys, for names, $BBGGRR, #RRGGBB and R,G,B alike.
  for c in Orange '$00A5FF' '#FFA500' '255,165,0' '12,200,99' 'SkyBlue'; do
    "$XAN" color "$c" >out || fail "color $c"
  done
  "$XAN" color 12,200,99 >out
  "$PY" - out <<'EOF' || fail "color models differ from colorsys: $(cat out)"
import colorsys, sys
lines = {l[:10].strip(): l[10:].split() for l in open(sys.argv[1])}
h, l, s = colorsys.rgb_to_hls(12 / 255, 200 / 255, 99 / 255)
hv, sv, v = colorsys.rgb_to_hsv(12 / 255, 200 / 255, 99 / 255)
want = {"HSL": (h * 360, s, l), "HSV": (hv * 360, sv, v)}
for model, values in want.items():
    got = [float(x) for x in lines[model][1::2]]
    if any(abs(a - b) > 1e-4 for a, b in zip(got, values)):
        sys.exit(1)
sys.exit(0 if lines["HTML"] == ["#0CC863"] and lines["RGB"] == ["12,", "200,", "99"] else 1)
EOF
  [ "$("$XAN" color Orange | head -4)" = "$("$XAN" color '#FFA500' | head -4)" ] || fail "color: name and #RRGGBB"
  run color Grey
  expect 1 "an unknown colour name"
  run color 1,2,256
  expect 2 "a channel beyond 255"
  # A palette has the palette file's form: "1 n" and n colours of 8 hexadecimal digits.
  "$XAN" palette Rainbow -n 16 >out
  [ "$(head -1 out)" = "1 16" ] && [ "$(tail -n +2 out | grep -cE '^00[0-9A-F]{6}$')" -eq 16 ] ||
    fail "palette Rainbow -n 16: $(head -3 out)"
  run palette NoSuch
  expect 2 "an unknown palette"

  # URL decoding against urllib for single-encoded text; encoding comes back.
  for s in 'a b/c' "it's 50%" 'x=1&y=[2]' 'caf%C3%A9' '%zz%4'; do
    enc=$("$XAN" url encode "$s")
    [ "$("$XAN" url decode "$enc")" = "$("$PY" -c 'import sys,urllib.parse as u; sys.stdout.buffer.write(u.unquote(u.unquote(sys.argv[1],"latin-1"),"latin-1").encode("latin-1"))' "$enc")" ] ||
      fail "url decode of '$enc'"
  done
  [ "$(printf 'a b\nc/d\n' | "$XAN" url encode)" = "$(printf 'a%%20b\nc%%2Fd')" ] || fail "url encode of lines"

  # Templates: tags replaced, unknown ones kept, the rest byte for byte (UTF-8 included).
  printf '<p><#Title> by <#AUTHOR x=1> <#unk></p>\nnext \303\251\n' >tpl
  "$XAN" html fill tpl title=Hé author='A & B' >out
  printf '<p>Hé by A & B <#unk></p>\nnext \303\251\n' >want
  cmp -s out want || fail "html fill: $(cat out)"
  run html fill tpl title=1 --strict
  expect 1 "html fill --strict with a tag left"
  run html fill tpl novalue
  expect 2 "html fill with an argument that is not key=value"

  # Numbers against printf for the fixed form.
  for v in 12.5 -12.5 0.125 2.5 1e-7 123456.789; do
    for d in 0 2 5; do
      [ "$("$XAN" fmt -- "$v" 12 $d)" = "$(printf '%12.*f' $d "$v")" ] || fail "fmt $v 12 $d"
    done
  done
  [ "$("$XAN" fmt -- -12.5 -9 2)" = "$(printf '%09.2f' -12.5)" ] || fail "fmt with zeros"
  run fmt 12,5 8 2
  expect 2 "fmt of '12,5'"
}

group_featmat() {
  printf '#featdef 2 1\r\n1 fplFeatNum 10\r\n1 fplFeatName Weight\r\n1 fplFeatKind fkInteger\r\n1 fplComment \r\n1 fplPresets \r\n1 fplSorted FALSE\r\n2 fplFeatNum 20\r\n2 fplFeatName Flag\r\n2 fplFeatKind fkTriState\r\n2 fplComment c\r\n2 fplPresets \r\n2 fplSorted TRUE\r\n#featvals 2 3\r\n1 1 12\r\n1 2 -4\r\n2 1 true\r\n2 3 false\r\n#featend\r\n' >good
  run featmat check good
  expect 0 "featmat check of a sound file"
  grep -q '2 features, 3 objects' out && grep -qE '^ +1 +10 +fkInteger +2 +0 +Weight$' out ||
    fail "featmat check report: $(cat out)"
  # A file name that is not UTF-8 reaches the library's reader byte for byte.
  cp good $'\xe9t\xc3\xa9'
  run featmat check $'\xe9t\xc3\xa9'
  expect 0 "featmat check of a file whose name is not UTF-8"
  sed 's/^1 2 -4/1 2 x/' good >badvalue
  run featmat check badvalue
  expect 1 "featmat check of a value that is not an integer"
  grep -qE '^ +1 +10 +fkInteger +2 +1 +Weight$' out || fail "the bad value is not counted"
  printf '#featdef 2 1\r\nx fplFeatNum 10\r\n' >damaged
  run featmat check damaged
  expect 1 "featmat check of a damaged file"
  head -c 4096 /dev/urandom >noise
  run featmat check noise
  expect 1 "featmat check of binary noise"

  run cpuid
  if [ "$rc" -eq 0 ]; then
    [ "$(grep '^processors' out | awk '{print $2}')" = "$(getconf _NPROCESSORS_ONLN)" ] ||
      fail "cpuid: processors $(grep '^processors' out), online $(getconf _NPROCESSORS_ONLN)"
    grep -qE '^signature +[0-9A-F]{8} ' out || fail "cpuid: no signature line"
  else
    expect 1 "cpuid without CPUID"
  fi
}

# What no subcommand may do with bad input: crash, print more than one line, or exit 0.
group_bad_input() {
  mkdir dir
  : >empty
  head -c 65536 /dev/urandom >noise
  local cmds=("crc32" "crc16" "sha1" "base64 encode" "base64 decode" "ascii85 decode"
    "rle decode" "grep x" "html fill" "featmat check")
  for c in "${cmds[@]}"; do
    # shellcheck disable=SC2086
    run $c missing-file
    expect 2 "$c of a missing file"
    # shellcheck disable=SC2086
    run $c dir
    expect 2 "$c of a directory"
    grep -q 'Is a directory' err || fail "$c of a directory: $(cat err)"
    # shellcheck disable=SC2086
    run $c empty
    [ "$rc" -le 2 ] || fail "$c of an empty file: status $rc"
    # shellcheck disable=SC2086
    run $c noise
    [ "$rc" -le 2 ] || fail "$c of binary noise: status $rc"
    # shellcheck disable=SC2086
    run $c --no-such-option
    expect 2 "$c --no-such-option"
    # shellcheck disable=SC2086
    "$XAN" $c --help >out 2>err || fail "$c --help"
    grep -q '^Usage:' out || fail "$c --help prints no usage"
  done
  run no-such-command
  expect 2 "an unknown subcommand"
  run
  expect 2 "no subcommand"
  run --version
  expect 0 "--version"
  grep -qE '^xan [0-9]+\.[0-9]+' out || fail "--version: $(cat out)"
  head -c 20000 /dev/urandom | "$XAN" url decode >/dev/null 2>err || fail "url decode of noise"
  if [ -w /dev/full ]; then
    "$XAN" sha1 noise >/dev/full 2>err
    rc=$?
    expect 2 "a write to a full device"
    grep -q 'write error' err || fail "the full device is not named a write error: $(cat err)"
  fi
}

# Inputs beyond 4 GiB, read in blocks.
group_large() {
  # A sparse file of 4 GiB and 3 bytes with bytes set past 2^31 and 2^32, so that any offset
  # arithmetic of 32 bits shows in the result.
  truncate -s $((4 * 1024 * 1024 * 1024 + 3)) big
  printf 'A' | dd of=big bs=1 seek=$((2 ** 31 + 5)) conv=notrunc status=none
  printf 'B' | dd of=big bs=1 seek=$((2 ** 32 + 1)) conv=notrunc status=none
  # Not held in memory: a limit of 512 MiB of address space (not under the sanitizers, whose
  # shadow memory alone is larger).
  if [ "${XAN_SANITIZED:-0}" = 1 ]; then
    "$XAN" crc32 big >out 2>err
  else
    (ulimit -v 524288 && "$XAN" crc32 big >out 2>err)
  fi
  rc=$?
  expect 0 "crc32 of 4 GiB"
  if [ -n "$PY" ]; then
    "$PY" - big <<'EOF' >want
import sys, zlib
c = 0
with open(sys.argv[1], "rb") as f:
    while b := f.read(1 << 22):
        c = zlib.crc32(b, c)
print("%08x  %s" % (c, sys.argv[1]))
EOF
    cmp -s out want || fail "crc32 of 4 GiB: $(cat out), zlib: $(cat want)"
  fi
}

# The progress bar: drawn on a terminal (a pseudo-terminal made by script) for work over a
# second, here a read that waits 3 s for its input (more than a second however slowly the program
# starts); never drawn when stderr is not a terminal.
group_progress() {
  have script || skip "script (util-linux) is missing: no terminal to show the bar on"
  script -qec "sh -c '(printf a; sleep 3; printf b) | $XAN crc32 -'" /dev/null >tty 2>&1
  grep -q "$(printf '\033')\\[K" tty || fail "no progress bar on a terminal: $(od -c tty | head -3)"
  grep -q '[0-9a-f]\{8\}  -' tty || fail "no checksum after the bar: $(od -c tty | head -3)"
  (printf a; sleep 3; printf b) | "$XAN" crc32 - >out 2>err
  [ ! -s err ] || fail "a progress bar when standard error is not a terminal: $(od -c err | head -2)"
}

# Passwords: the form of every length against the rules; with --seed, the exact passwords from
# the library's generator worked out independently (state * 134775813 + 1, draws (state * n) >> 32).
group_password() {
  need_python "password rules"
  for len in 4 5 9 13 14; do
    "$XAN" password "$len" -n 40 >>out || fail "password $len"
  done
  "$XAN" password -n 20 >>out || fail "password with the default length"
  "$PY" - out <<'EOF' || fail "passwords break the rules: $(head -3 out)"
import sys
V, C = "aeiouy", "bcdfghjklmnpqrstvwxz"
for pw in open(sys.argv[1]).read().split():
    n = len(pw)
    letters = ("v" if n % 2 else "") + "cv" * (n // 2 - 1)
    form = letters[:6] + "dd" + letters[6:]
    if len(form) != n: sys.exit(1)
    for ch, k in zip(pw, form):
        if ch not in {"v": V, "c": C, "d": "0123456789"}[k]: sys.exit(1)
EOF
  [ "$(awk '{print length}' out | sort -n | uniq -c | awk '{print $2 ":" $1}' | tr '\n' ' ')" = "4:40 5:40 9:40 13:40 14:60 " ] ||
    fail "password lengths: $(awk '{print length}' out | sort -n | uniq -c | tr '\n' ' ')"
  for args in "9 --seed 42 -n 6" "14 --seed 4294967295 -n 6 -m -s" "4 --seed 0 -n 9 -s" "7 --seed 77 -m"; do
    # shellcheck disable=SC2086
    "$XAN" password $args >out || fail "password $args"
    # shellcheck disable=SC2086
    "$PY" - $args >want <<'EOF'
import sys
a = sys.argv[1:]
length, seed, count = int(a[0]), int(a[a.index("--seed") + 1]), 1
if "-n" in a: count = int(a[a.index("-n") + 1])
state = seed
def step():
    global state
    state = (state * 134775813 + 1) % 2**32
def rng(n):
    step(); return (state * n) >> 32
def unif():
    step(); return state / 2**32
V, C, S = "aeiouy", "bcdfghjklmnpqrstvwxz", "_!$%#=0123456789"
for _ in range(count):
    p = V[rng(6)] if length % 2 else ""
    for _ in range(length // 2 - 1): p += C[rng(20)] + V[rng(6)]
    p = p[:6] + "%02d" % rng(100) + p[6:]
    if "-m" in a: p = "".join(c.upper() if unif() > 0.5 else c for c in p)
    if "-s" in a: p = "".join(S[rng(16)] if unif() > 0.8 else c for c in p)
    print(p)
EOF
    cmp -s out want || fail "password $args: $(head -2 out | tr '\n' ' ') expected $(head -2 want | tr '\n' ' ')"
  done
  # Without a seed the passwords come from the system's random source: two runs differ.
  [ "$("$XAN" password -n 3)" != "$("$XAN" password -n 3)" ] || fail "the same passwords twice"
  for bad in x 0 3 15 99999999999999999999 1.5 ""; do
    run password "$bad"
    expect 2 "password '$bad'"
  done
  run password -n 0
  expect 2 "password -n 0"
  run password --seed -1
  expect 2 "password --seed -1"
}

# Directory trees: copies compared with diff -r, counts with find, deletions and the trash on
# real trees in the test's own directory; the trash is a private one ($XDG_DATA_HOME).
make_tree() { # dir
  mkdir -p "$1/a/b/c" "$1/empty" "$1/.hidden" "$1/d"
  printf 'one\n' >"$1/f1.txt"
  : >"$1/a/zero.txt"
  head -c 100000 /dev/urandom >"$1/a/b/random.bin"
  head -c 8192 /dev/urandom >"$1/a/b/c/block.bin"
  printf 'x' >"$1/.hidden/inside.txt"
  printf 'y' >"$1/.dotfile"
  printf 'z' >"$1/d/$(printf 'caf\351')"
  printf 'w' >"$1/d/with space.txt"
  ln -s ../f1.txt "$1/d/link.txt"
  ln -s a "$1/dirlink"
}

# The files find lists below a directory as the tool counts them: hidden directories and links
# to directories are not searched; every entry that is not a directory counts.
count_find() { # dir, find tests...
  local dir=$1
  shift
  find "$dir" -name '.*' -type d ! -path "$dir" -prune -o ! -type d ! -xtype d "$@" -print | wc -l
}

group_tree() {
  make_tree src
  touch -d '2001-02-03 04:05:06' src/a/b/random.bin
  run tree copy src dst
  expect 0 "tree copy"
  [ ! -s err ] || fail "tree copy printed on standard error: $(cat err)"
  diff -r src dst >/dev/null 2>&1 || fail "tree copy differs: $(diff -r src dst 2>&1 | head -3)"
  [ -L dst/d/link.txt ] && [ "$(readlink dst/d/link.txt)" = ../f1.txt ] ||
    fail "a link is not copied as a link"
  [ -d dst/empty ] || fail "an empty directory is not copied"
  [ "$(stat -c %Y dst/a/b/random.bin)" = "$(stat -c %Y src/a/b/random.bin)" ] ||
    fail "modification time not kept"
  # Into an existing directory: the content is merged, files replaced (links standing in the
  # way are reported, never written through: they go first).
  rm dst/d/link.txt dst/dirlink
  printf 'old' >dst/f1.txt
  printf 'keep' >dst/own.txt
  run tree copy src/ dst/
  expect 0 "tree copy into an existing tree"
  cmp -s dst/f1.txt src/f1.txt && [ -f dst/own.txt ] || fail "tree copy over an existing tree"
  # A tree into itself, a missing directory, a file for a directory, a mask with a '/': status 2
  # and nothing changed.
  for args in "copy src src/a/inner" "copy missing dst2" "copy src src/f1.txt" "count missing" \
    "count src a/*" "delete src/f1.txt" "delete missing"; do
    # shellcheck disable=SC2086
    run tree $args
    expect 2 "tree $args"
  done
  [ ! -e src/a/inner ] && [ -f src/f1.txt ] || fail "a tree command that failed changed the tree"
  # A FIFO is not copied but reported; the rest is copied.
  mkdir fifo_src
  printf 'data' >fifo_src/file
  mkfifo fifo_src/pipe
  run tree copy fifo_src fifo_dst
  expect 2 "tree copy with a FIFO"
  grep -q pipe err && cmp -s fifo_src/file fifo_dst/file && [ ! -e fifo_dst/pipe ] ||
    fail "tree copy with a FIFO: $(cat err)"

  # Counts against find.
  for mask in '' '*.txt' '*.bin' 'f?.txt' 'caf*' '*'; do
    local got want
    got=$("$XAN" tree count src ${mask:+"$mask"})
    want=$(count_find src ${mask:+-name "$mask"})
    [ "$got" = "$want" ] || fail "tree count src '$mask': $got, find: $want"
  done
  [ "$("$XAN" tree count --top src)" = "$(find src -mindepth 1 -maxdepth 1 ! -type d ! -xtype d | wc -l)" ] ||
    fail "tree count --top"
  run tree count src '*.none'
  [ "$rc" -eq 1 ] && [ "$(cat out)" = 0 ] || fail "tree count with no match: status $rc, $(cat out)"

  # Deleting: a whole tree; a read-only file stops it and is named; a link goes alone.
  run tree delete dst
  expect 0 "tree delete"
  [ ! -e dst ] || fail "tree delete left the tree"
  # Read-only: a file its owner may not write stops the deletion, root's too.
  "$XAN" tree copy src ro >/dev/null 2>&1
  local kept=ro/a/b/c/block.bin
  chmod a-w $kept
  run tree delete ro
  expect 2 "tree delete with a read-only file"
  grep -q "$kept" err && [ -f $kept ] && [ -d ro/a/b ] || fail "the read-only file: $(cat err)"
  ln -s src srclink
  run tree delete srclink
  expect 0 "tree delete of a link"
  [ ! -e srclink ] && [ -f src/a/b/random.bin ] || fail "tree delete followed a link"
  # '.' and '..' are refused (tried inside a directory of their own, so that a failure of the
  # guard costs nothing outside it).
  mkdir -p guard/inner
  : >guard/canary
  (cd guard && "$XAN" tree delete . >/dev/null 2>&1)
  [ $? -eq 2 ] && [ -f guard/canary ] || fail "tree delete of '.'"
  (cd guard/inner && "$XAN" tree delete .. >/dev/null 2>&1)
  [ $? -eq 2 ] && [ -f guard/canary ] || fail "tree delete of '..'"

  # The trash: a private one, never the user's.
  export HOME=$WORK/home XDG_DATA_HOME=$WORK/xdg
  mkdir -p "$HOME" tr/sub
  printf 'first' >tr/same
  printf 't' >tr/a.tmp
  printf 't' >tr/b.tmp
  printf 't' >tr/.c.tmp
  printf 'n' >tr/keep.txt
  printf 's' >tr/sub/s
  run tree trash tr/same 'tr/*.tmp' tr/sub
  expect 0 "tree trash"
  local trash=$XDG_DATA_HOME/Trash
  [ "$(cat "$trash/files/same" 2>/dev/null)" = first ] && [ -f "$trash/files/sub/s" ] &&
    [ -f "$trash/files/a.tmp" ] && [ -f "$trash/files/b.tmp" ] ||
    fail "tree trash: $(ls -R "$trash" 2>&1 | head)"
  [ ! -e tr/same ] && [ ! -e tr/a.tmp ] && [ ! -e tr/sub ] && [ -f tr/.c.tmp ] && [ -f tr/keep.txt ] ||
    fail "tree trash moved the wrong entries: $(ls -A tr)"
  grep -qx "Path=$(cd tr && pwd -P)/same" "$trash/info/same.trashinfo" &&
    grep -qE '^DeletionDate=[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}$' "$trash/info/same.trashinfo" ||
    fail "the .trashinfo: $(cat "$trash/info/same.trashinfo" 2>&1)"
  # A second entry of the same name is kept beside the first.
  printf 'second' >tr/same
  run tree trash tr/same
  expect 0 "tree trash of a second 'same'"
  [ "$(cat "$trash/files/same")" = first ] && [ "$(cat "$trash"/files/same.* 2>/dev/null)" = second ] ||
    fail "the second 'same' in the trash: $(ls "$trash/files")"
  run tree trash tr/missing
  expect 2 "tree trash of a missing file"
  run tree trash 'tr/*.none'
  expect 2 "tree trash of a mask without a match"
}

# Decodes a PNG file independently (python3's zlib, every chunk's CRC checked) and runs python
# code on it with W, H and px(x, y) -> (r, g, b).
png_check() { # file, code
  "$PY" - "$@" <<'EOF'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
pos, idat, W = 8, b"", None
while pos < len(data):
    n, kind = struct.unpack(">I4s", data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + n]
    assert struct.unpack(">I", data[pos + 8 + n:pos + 12 + n])[0] == zlib.crc32(kind + body), "CRC"
    if kind == b"IHDR":
        W, H, depth, ctype = struct.unpack(">IIBB", body[:10])
        assert depth == 8 and ctype in (2, 6), (depth, ctype)
        bpp = 3 if ctype == 2 else 4
    elif kind == b"IDAT":
        idat += body
    pos += 12 + n
raw, stride, rows, prev = zlib.decompress(idat), W * bpp, [], bytearray(W * bpp)
for y in range(H):
    f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
    for i in range(stride):
        a = line[i - bpp] if i >= bpp else 0
        b, c = prev[i], prev[i - bpp] if i >= bpp else 0
        p = a + b - c
        paeth = a if abs(p - a) <= min(abs(p - b), abs(p - c)) else b if abs(p - b) <= abs(p - c) else c
        line[i] = (line[i] + [0, a, b, (a + b) // 2, paeth][f]) & 255
    rows.append(line)
    prev = line
def px(x, y):
    return tuple(rows[y][x * bpp:x * bpp + 3])
exec(sys.argv[2], {"W": W, "H": H, "px": px})
EOF
}

# Pictures: the size the help states, the marks drawn from the pattern table, colours and scale,
# the palette's colours in their swatches.
group_graphics() {
  need_python "decoding PNG images"
  run marks --png m.png
  expect 0 "marks --png"
  [ "$(od -An -tx1 -N8 m.png | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "marks: no PNG signature"
  png_check m.png '
T = {1: "00 00 08 1C 08 00 00", 2: "00 08 08 3E 08 08 00", 3: "08 08 08 7F 08 08 08",
     4: "00 00 14 08 14 00 00", 5: "00 22 14 08 14 22 00", 6: "41 22 14 08 14 22 41",
     18: "55 2A 55 2A 55 2A 55"}
assert (W, H) == (320, 320), (W, H)
ink, paper = (0, 0, 0), (255, 255, 255)
def centre(m): return (m % 16) * 20 + 10, (m // 16) * 20 + 10
def cell(m):
    x0, y0 = (m % 16) * 20, (m // 16) * 20
    return {(x, y) for x in range(x0, x0 + 20) for y in range(y0, y0 + 20) if px(x, y) != paper}
for m, rows in T.items():
    x, y = centre(m)
    want = {(x + 4 - j, y + i - 4) for i, r in enumerate(rows.split(), 1) for j in range(1, 8)
            if int(r, 16) >> (j - 1) & 1}
    assert cell(m) == want, m
    assert all(px(*p) == ink for p in want), m
x, y = centre(0)
assert cell(0) == {(x, y)}, "mark 0"
x, y = centre(9)
assert cell(9) == {(x + i, y + j) for i in range(-3, 4) for j in range(-3, 4)}, "mark 9"
for m in range(52):
    assert cell(m), "mark %d drew nothing" % m
' || fail "marks: the picture"
  if [ -n "$(fc-list 2>/dev/null | head -1)" ]; then
    png_check m.png 'assert sum(px(x, y) != (255, 255, 255) for x in range(260, 280) for y in range(240, 260)) > 5' ||
      fail "marks: the digit 5 (mark 205) is not drawn"
  fi
  # Colours and scale: each pixel of the scaled image is the unscaled one's.
  run marks --png - --color '#FF0000' --background 0,0,255 --cell 16 --scale 3
  expect 0 "marks to standard output"
  mv out big.png
  "$XAN" marks --png small.png --color '#FF0000' --background 0,0,255 --cell 16
  png_check small.png 'import pickle; pickle.dump([[px(x, y) for x in range(W)] for y in range(H)], open("small.pickle", "wb"))'
  png_check big.png '
import pickle
s = pickle.load(open("small.pickle", "rb"))
assert (W, H) == (768, 768), (W, H)
assert all(px(x, y) == s[y // 3][x // 3] for y in range(0, H, 2) for x in range(0, W, 5))
assert s[8][9 * 16 + 8] == (255, 0, 0) and s[0][0] == (0, 0, 255)
' || fail "marks --scale 3 --color --background"

  # A palette as swatches: colour i of the palette file fills swatch i, edges included.
  "$XAN" palette Rainbow -n 16 >pal.txt
  run palette Rainbow -n 16 --png p.png
  expect 0 "palette --png"
  png_check p.png '
cols = [int(l, 16) for l in open("pal.txt").read().split()[2:]]
assert (W, H) == (512, 32) and len(cols) == 16, (W, H, len(cols))
for i, c in enumerate(cols):
    rgb = (c & 255, c >> 8 & 255, c >> 16 & 255)
    for x in (i * 32, i * 32 + 16, i * 32 + 31):
        assert px(x, 0) == rgb and px(x, 31) == rgb, (i, x, px(x, 0), rgb)
' || fail "palette --png: the swatches"
  "$XAN" palette Geo1 -n 7 --swatch 3 --height 5 --png q.png &&
    png_check q.png 'assert (W, H) == (21, 5), (W, H)' || fail "palette --swatch 3 --height 5: size"
  "$XAN" palette Geo2 --png r.png && png_check r.png 'assert (W, H) == (1000, 32), (W, H)' ||
    fail "palette with the default size"

  # A file that cannot be written, bad sizes and colours: one line, status 2, no file.
  mkdir adir
  for args in "marks --png no/such/dir/m.png" "marks --png adir" "marks --png x.png --cell 5" \
    "marks --png x.png --color NoSuchColour" "marks" "palette --png x.png" \
    "palette Rainbow --png x.png --swatch 0"; do
    # shellcheck disable=SC2086
    run $args
    expect 2 "$args"
  done
  [ ! -e x.png ] || fail "a PNG file written after an error"
}

"group_$GROUP"
exit $FAILED
