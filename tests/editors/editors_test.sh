#!/usr/bin/env bash
# Drives the Vim plugin and the Emacs package headless on UTF-8 and
# Shift-JIS buffers and compares each buffer, written out, byte for byte
# with the tool's own output on the same lines and settings; a failing tool
# must leave the buffer as it was and show the tool's message.
# Usage: bash editors_test.sh PATH-TO-LUMOTEXT SOURCE-DIR
set -u

source "$(dirname "$0")/../cli/harness.sh" "$@"
export LC_ALL=C.UTF-8
vim_runtime=$source_dir/editors/vim
emacs_package=$source_dir/editors/emacs/lumotext.el
missing_tool=$work/no-such-folder/lumotext
result=$work/result
messages=$work/messages
state=$work/state

# Lines 1-3 and 5-6 are the two paragraphs. Long enough to fold, with
# 。、「」（） where kinsoku moves a break, an item, a quotation, a word
# kept whole and a tab.
cat >"$work/text.utf-8" <<'EOF'
　研究会では、毎月第二土曜日に「日本語の改行規則」について話し合っています。句読点や閉じ括弧が行頭に来ないよう、折り返し位置を前に送るか、ぶら下げるかを決めます。
・議題：禁則処理の実装（追い出しとぶら下げの違い）、英単語 kinsoku processing の扱い、タブ幅の決め方
> 先月の会では「行末に開き括弧が残るのはなぜ困るのか」という質問が出ました。とても良い質問です。

	タブで始まる行も、次のタブ位置まで進めてから数えます。折り返しの桁は、タブ幅によって変わります。
短い行。
EOF
iconv -f UTF-8 -t CP932 "$work/text.utf-8" >"$work/text.sjis"
sed 's/$/\r/' "$work/text.utf-8" >"$work/text-crlf.utf-8"
sed 's/$/\r/' "$work/text.sjis" >"$work/text-crlf.sjis"
printf '%s\n' '短い行です。' '絵文字😀は、コードページ932にない文字ですが、そのまま折り返されます。' >"$work/emoji.utf-8"
# A NUL byte is the one thing the tool refuses in a text, naming its place.
{ printf '%s\n' '短い行です。'; printf '絵文字\0は、テキストにない文字です。\n'; } >"$work/nul.utf-8"
for encoding in utf-8 sjis; do
    "$tool" format --fold 36 --encoding $encoding "$work/text.$encoding" >"$work/folded.$encoding"
done
# The tool as the editors see it, keeping what it was given: the equal
# outputs of UTF-8 and Shift-JIS input alone would not show which it got.
recording_tool=$work/recording-lumotext
cat >"$recording_tool" <<EOF
#!/usr/bin/env bash
printf '%s\n' "\$@" >"$work/arguments"
cat >"$work/given"
exec "$tool" "\$@" <"$work/given"
EOF
chmod +x "$recording_tool"
# expect_given INPUT ENCODING: the tool was given the bytes of INPUT, as
# ENCODING.
expect_given() {
    expect_same "$work/given" "$1" "the bytes given to the tool and the file's"
    if grep -qxF -- "$2" "$work/arguments" && grep -qxF -- --encoding "$work/arguments"; then
        pass
    else
        fail "the tool was not given --encoding $2: $(tr '\n' ' ' <"$work/arguments")"
    fi
}
# Slot 3 holds preset 0, which folds the quotation otherwise than preset 2.
"$tool" slot preset 3 0 >/dev/null

# ---- What the tool makes of the same text ----------------------------------

# expect_tool INPUT ARGS...: the tool's output on the whole INPUT.
expect_tool() {
    local input=$1
    shift
    "$tool" "$@" "$input" >"$work/expected" || echo "expect_tool: the tool failed on $input" >&2
}
# expect_lines INPUT FIRST LAST ARGS...: INPUT with lines FIRST to LAST put
# through the tool, the others as they were.
expect_lines() {
    local input=$1 first=$2 last=$3
    shift 3
    {
        head -n $((first - 1)) "$input"
        sed -n "${first},${last}p" "$input" | "$tool" "$@"
        tail -n +$((last + 1)) "$input"
    } >"$work/expected"
}
# expect_unchanged INPUT
expect_unchanged() { cp "$1" "$work/expected"; }

# ---- Running the editors ----------------------------------------------------

# vim_run INPUT ENCODING COMMANDS: edits a copy of INPUT read as ENCODING,
# runs the Ex COMMANDS (lines), and writes out the buffer, its message
# history and whether it is modified.
vim_run() {
    local input=$1 encoding=$2 commands=$3
    rm -f "$result" "$messages" "$state"
    cp "$input" "$work/buffer.txt"
    cat >"$work/script.vim" <<EOF
set encoding=utf-8 fileencodings= fileformats=unix,dos
set rtp+=$vim_runtime
runtime plugin/lumotext.vim
let g:lumotext_command = '$tool'
edit ++enc=$encoding $work/buffer.txt
$commands
call writefile([&modified ? 'modified' : 'unmodified'], '$state')
write! $result
call writefile(split(execute('messages'), "\n"), '$messages')
qall!
EOF
    timeout 60 vim -Nu NONE -i NONE -Es -c "source $work/script.vim" </dev/null >"$out" 2>"$err"
    [ -f "$result" ] || fail "Vim wrote no buffer (status $?)"
}

# emacs_run INPUT CODING FORMS: visits a copy of INPUT read with CODING,
# evaluates FORMS, and writes out the buffer, the error they signalled (if
# any) and whether the buffer is modified.
emacs_run() {
    local input=$1 coding=$2 forms=$3
    rm -f "$result" "$messages" "$state"
    cp "$input" "$work/buffer.txt"
    cat >"$work/script.el" <<EOF
(setq lumotext-program "$tool")
(let ((coding-system-for-read '$coding))
  (find-file "$work/buffer.txt"))
(condition-case failure
    (progn $forms)
  (error (let ((coding-system-for-write 'utf-8))
           (write-region (error-message-string failure) nil "$messages"))))
(write-region (if (buffer-modified-p) "modified" "unmodified") nil "$state")
(write-region nil nil "$result")
EOF
    timeout 60 emacs --batch -Q -l "$emacs_package" -l "$work/script.el" </dev/null >"$out" 2>"$err"
    [ -f "$result" ] || fail "Emacs wrote no buffer (status $?)"
}

# expect_buffer: the buffer as written out is the expected text, and no
# error was shown.
expect_buffer() {
    expect_same "$result" "$work/expected" "the buffer and the tool's output"
    if [ ! -f "$messages" ] || ! grep -qE '^(E[0-9]+:|lumotext:)' "$messages"; then
        pass
    else
        fail "an error was shown: $(grep -E '^(E[0-9]+:|lumotext:)' "$messages" | head -1)"
    fi
}
# expect_failure MESSAGE: the buffer is as it was, unmodified, and MESSAGE
# was shown.
expect_failure() {
    expect_same "$result" "$work/buffer.txt" "the buffer and the text before"
    if [ "$(cat "$state" 2>/dev/null)" = unmodified ]; then pass; else fail "the buffer is modified"; fi
    if grep -qF -- "$1" "$messages" 2>/dev/null; then
        pass
    else
        fail "the message '$1' was not shown"
    fi
}

# ---- Vim --------------------------------------------------------------------

for encoding in utf-8 sjis; do
    text=$work/text.$encoding
    folded=$work/folded.$encoding
    vim_encoding=$([ $encoding = sjis ] && echo cp932 || echo utf-8)
    # EXPECTATION | COMMANDS, one case a line; COMMANDS are Ex lines split at ' | '.
    while IFS='|' read -r name expectation commands; do
        [ -n "$name" ] || continue
        begin "vim $encoding: $name"
        eval "$expectation"
        vim_run "$text" $vim_encoding "${commands//; /$'\n'}"
        expect_buffer
    done <<EOF
gq over the buffer folds at 'textwidth'|expect_tool $text format --reflow --fold 36 --encoding $encoding|set textwidth=36; set filetype=text; normal gggqG
gq with 'textwidth' 0 folds at 70|expect_tool $text format --reflow --fold 70 --encoding $encoding|set textwidth=0; set filetype=text; normal gggqG
gqip after :LumoGq folds one paragraph|expect_lines $text 5 6 format --reflow --fold 30 --encoding $encoding|set textwidth=30; LumoGq; 6; normal gqip
:LumoFormat without a range takes the paragraph|expect_lines $text 1 3 format --reflow --fold 40 --encoding $encoding|set textwidth=40; 2; LumoFormat
:LumoFormat on a range|expect_lines $text 2 3 format --reflow --fold 40 --encoding $encoding|set textwidth=40; 2,3LumoFormat
b:lumotext_preset overrides g:lumotext_preset|expect_tool $text format --reflow --preset 0 --fold 36 --encoding $encoding|set textwidth=36; let g:lumotext_preset = 1; let b:lumotext_preset = 0; %LumoFormat
g:lumotext_slot replaces the preset|expect_tool $text format --reflow --slot 3 --fold 36 --encoding $encoding|set textwidth=36; let g:lumotext_preset = 2; let g:lumotext_slot = 3; %LumoFormat
g:lumotext_fold overrides 'textwidth'|expect_tool $text format --reflow --fold 50 --encoding $encoding|set textwidth=36; let g:lumotext_fold = 50; %LumoFormat
'tabstop' gives the tab stops|expect_tool $text format --reflow --fold 36 --tab 4 --encoding $encoding|set textwidth=36 tabstop=4; %LumoFormat
b:lumotext_tab overrides 'tabstop'|expect_tool $text format --reflow --fold 36 --tab 2 --encoding $encoding|set textwidth=36 tabstop=4; let b:lumotext_tab = 2; %LumoFormat
EOF

    begin "vim $encoding: the tool is given the buffer's own bytes"
    expect_tool $text format --reflow --fold 36 --encoding $encoding
    vim_run "$text" $vim_encoding "set textwidth=36
let g:lumotext_command = '$recording_tool'
%LumoFormat"
    expect_buffer
    expect_given "$text" $encoding

    begin "vim $encoding: :LumoBind joins the paragraph around the cursor"
    expect_lines "$folded" 1 "$(($(grep -n '^$' "$folded" | head -1 | cut -d: -f1) - 1))" bind --encoding $encoding
    vim_run "$folded" $vim_encoding "3
LumoBind"
    expect_buffer

    begin "vim $encoding: CR LF line ends stay CR LF"
    expect_tool "$work/text-crlf.$encoding" format --reflow --fold 36 --encoding $encoding
    vim_run "$work/text-crlf.$encoding" $vim_encoding "set textwidth=36 filetype=text
if &fileformat !=# 'dos' | echomsg 'E0: read as ' . &fileformat | endif
normal gggqG"
    expect_buffer

    while IFS='|' read -r name message commands; do
        [ -n "$name" ] || continue
        begin "vim $encoding: $name"
        vim_run "$text" $vim_encoding "${commands//; /$'\n'}"
        expect_failure "$message"
    done <<EOF
gq with a fold of 0 leaves the buffer|'0' is not a number from 1 to 65535|set textwidth=36 filetype=text; let g:lumotext_fold = 0; normal gggqG
:LumoFormat with a fold of 0 leaves the buffer|'0' is not a number from 1 to 65535|let b:lumotext_fold = 0; %LumoFormat
a missing program leaves the buffer|$missing_tool|let g:lumotext_command = '$missing_tool'; set filetype=text; normal gggqG
:LumoBind with a missing program leaves the buffer|$missing_tool|let g:lumotext_command = '$missing_tool'; 2; LumoBind
a blank line has no paragraph|no paragraph under the cursor|4; LumoFormat
EOF
done

begin "vim: a character that code page 932 lacks is folded as it is"
expect_tool "$work/emoji.utf-8" format --reflow --fold 36 --encoding utf-8
vim_run "$work/emoji.utf-8" utf-8 "set filetype=text textwidth=36
normal gggqG"
expect_buffer

# A paragraph folded at another width, or edited, is folded anew, as its
# unfolded form folds.
printf 'みどり台公民館では、毎年恒例の秋の星空観察会を今年も開催いたします。今回は新しく購入した口径20cmの反射望遠鏡を使います。\n' \
    >"$work/paragraph.utf-8"
"$tool" format --fold 20 "$work/paragraph.utf-8" >"$work/paragraph-folded.utf-8"

begin "vim: gq folds an already folded paragraph anew"
expect_tool "$work/paragraph.utf-8" format --fold 40 --encoding utf-8
vim_run "$work/paragraph-folded.utf-8" utf-8 "set filetype=text textwidth=40
normal gggqG"
expect_buffer

begin "vim: a text the tool refuses leaves the buffer"
vim_run "$work/nul.utf-8" utf-8 "set filetype=text
normal gggqG"
expect_failure "line 2, column 4"

begin "vim: the same text in a range counts the buffer's lines"
vim_run "$work/nul.utf-8" utf-8 "2LumoFormat"
expect_failure "line 2, column 4"

begin "vim: gq while typing is left to Vim"
printf '%s\n' 'a' >"$work/expected"
vim_run "$work/expected" utf-8 "set filetype=text textwidth=10
execute \"normal! A b c d e f g h i j\\<Esc>\"
if line('$') != 2 | echomsg 'E0: typing was not wrapped' | endif
undo"
expect_buffer

begin "vim: the help file's tags"
mkdir -p "$work/doc"
cp "$vim_runtime/doc/lumotext.txt" "$work/doc/"
vim -Nu NONE -i NONE -Es -c "helptags $work/doc" -c "set rtp+=$work" \
    -c "for t in [':LumoFormat', ':LumoBind', 'g:lumotext_command', 'lumotext#formatexpr()'] | execute 'help' t | endfor" \
    -c "call writefile(split(execute('messages'), \"\\n\"), '$messages')" -c 'qall!' </dev/null
if [ -f "$work/doc/tags" ] && ! grep -q '^E[0-9]*:' "$messages"; then pass; else fail "$(cat "$messages")"; fi

# ---- Emacs ------------------------------------------------------------------

for encoding in utf-8 sjis; do
    text=$work/text.$encoding
    folded=$work/folded.$encoding
    coding=$([ $encoding = sjis ] && echo japanese-shift-jis || echo utf-8)
    while IFS='|' read -r name expectation forms; do
        [ -n "$name" ] || continue
        begin "emacs $encoding: $name"
        eval "$expectation"
        emacs_run "$text" $coding "$forms"
        expect_buffer
    done <<EOF
lumotext-format-region at fill-column|expect_tool $text format --fold 36 --encoding $encoding|(setq fill-column 36) (lumotext-format-region (point-min) (point-max))
fill-paragraph in lumotext-mode|expect_lines $text 1 3 format --reflow --fold 40 --encoding $encoding|(setq fill-column 40) (lumotext-mode 1) (forward-line 1) (fill-paragraph)
fill-paragraph on the blank line before a paragraph|expect_lines $text 5 6 format --reflow --fold 30 --encoding $encoding|(setq fill-column 30) (lumotext-mode 1) (forward-line 3) (fill-paragraph)
lumotext-preset|expect_tool $text format --preset 0 --fold 36 --encoding $encoding|(setq fill-column 36 lumotext-preset 0) (lumotext-format-region (point-min) (point-max))
lumotext-slot replaces the preset|expect_tool $text format --slot 3 --fold 36 --encoding $encoding|(setq fill-column 36 lumotext-slot 3) (lumotext-format-region (point-min) (point-max))
lumotext-fold-column overrides fill-column|expect_tool $text format --fold 50 --encoding $encoding|(setq fill-column 36 lumotext-fold-column 50) (lumotext-format-region (point-min) (point-max))
tab-width gives the tab stops|expect_tool $text format --fold 36 --tab 4 --encoding $encoding|(setq fill-column 36 tab-width 4) (lumotext-format-region (point-min) (point-max))
lumotext-tab-width overrides tab-width|expect_tool $text format --fold 36 --tab 2 --encoding $encoding|(setq fill-column 36 tab-width 4 lumotext-tab-width 2) (lumotext-format-region (point-min) (point-max))
a region that ends inside a line|expect_lines $text 1 2 format --fold 36 --encoding $encoding|(setq fill-column 36) (forward-line 1) (lumotext-format-region (point-min) (line-end-position))
lumotext-mode off gives fill-paragraph back|expect_unchanged $text|(lumotext-mode 1) (lumotext-mode 1) (lumotext-mode -1) (when fill-paragraph-function (error "lumotext: left %S" fill-paragraph-function))
EOF

    begin "emacs $encoding: the tool is given the buffer's own bytes"
    expect_tool $text format --fold 36 --encoding $encoding
    emacs_run "$text" $coding "(setq fill-column 36 lumotext-program \"$recording_tool\")
      (lumotext-format-region (point-min) (point-max))"
    expect_buffer
    expect_given "$text" $encoding

    begin "emacs $encoding: lumotext-bind-region"
    last=$(($(grep -n '^$' "$folded" | head -1 | cut -d: -f1) - 1))
    expect_lines "$folded" 1 $last bind --encoding $encoding
    emacs_run "$folded" $coding "(lumotext-bind-region (point-min) (progn (forward-line $last) (point)))"
    expect_buffer

    begin "emacs $encoding: CR LF line ends stay CR LF"
    expect_tool "$work/text-crlf.$encoding" format --fold 36 --encoding $encoding
    emacs_run "$work/text-crlf.$encoding" $coding "(setq fill-column 36)
      (unless (eq (coding-system-eol-type buffer-file-coding-system) 1) (error \"lumotext: read as %s\" buffer-file-coding-system))
      (lumotext-format-region (point-min) (point-max))"
    expect_buffer

    while IFS='|' read -r name message forms; do
        [ -n "$name" ] || continue
        begin "emacs $encoding: $name"
        emacs_run "$text" $coding "$forms"
        expect_failure "$message"
    done <<EOF
fill-paragraph with a fill-column of 0 leaves the buffer|'0' is not a number from 1 to 65535|(setq fill-column 0) (lumotext-mode 1) (fill-paragraph)
lumotext-fold-column 0 leaves the buffer|'0' is not a number from 1 to 65535|(setq lumotext-fold-column 0) (lumotext-format-region (point-min) (point-max))
a missing program leaves the buffer|$missing_tool|(setq lumotext-program "$missing_tool") (lumotext-format-region (point-min) (point-max))
fill-paragraph with a missing program leaves the buffer|$missing_tool|(setq-local lumotext-program "$missing_tool") (lumotext-mode 1) (fill-paragraph)
EOF
done

begin "emacs: a buffer in cp932"
expect_tool "$work/text.sjis" format --fold 36 --encoding sjis
emacs_run "$work/text.sjis" cp932 "(setq fill-column 36) (lumotext-format-region (point-min) (point-max))"
expect_buffer

begin "emacs: a buffer without a last line end keeps none"
head -c -1 "$work/text.utf-8" >"$work/open.utf-8"
expect_tool "$work/open.utf-8" format --fold 36 --encoding utf-8
emacs_run "$work/open.utf-8" utf-8 "(setq fill-column 36) (lumotext-format-region (point-min) (point-max))"
expect_buffer

begin "emacs: M-q folds an already folded paragraph anew"
expect_tool "$work/paragraph.utf-8" format --fold 40 --encoding utf-8
emacs_run "$work/paragraph-folded.utf-8" utf-8 "(setq fill-column 40) (lumotext-mode 1) (fill-paragraph)"
expect_buffer

begin "emacs: a character that code page 932 lacks is folded as it is"
expect_tool "$work/emoji.utf-8" format --fold 36 --encoding utf-8
emacs_run "$work/emoji.utf-8" utf-8 "(setq fill-column 36) (lumotext-format-region (point-min) (point-max))"
expect_buffer

begin "emacs: a text the tool refuses leaves the buffer"
emacs_run "$work/nul.utf-8" utf-8 "(lumotext-mode 1) (forward-line 1) (fill-paragraph)"
expect_failure "line 2, column 4"

begin "emacs: the same text in a region counts the buffer's lines"
emacs_run "$work/nul.utf-8" utf-8 "(forward-line 1) (lumotext-format-region (point) (point-max))"
expect_failure "line 2, column 4"

begin "emacs: the package compiles without warnings"
cp "$emacs_package" "$work/lumotext.el"
emacs --batch -Q --eval '(setq byte-compile-error-on-warn t)' -f batch-byte-compile \
    "$work/lumotext.el" >"$out" 2>"$err" </dev/null
status=$?
expect_status 0

finish
