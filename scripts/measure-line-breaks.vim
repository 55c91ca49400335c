" Folds a text with Vim's gq for the line-break measurement
" (scripts/measure-line-breaks.py): every line its own paragraph, formatted
" with gqq at 'textwidth' $FOLD, breaking at multibyte characters (m, M) and,
" where this Vim has it, keeping Japanese kinsoku strictly within the width
" (]). Ambiguous characters are wide; only a line's indentation carries to
" its continuation lines (no comment leaders).
" Usage: FOLD=N OUT=FILE vim -u NONE -i NONE -N -es -S measure-line-breaks.vim FILE
set nocompatible
set encoding=utf-8 fileencodings=utf-8 fileformats=unix
set ambiwidth=double
set autoindent nojoinspaces comments= formatexpr= formatprg= formatlistpat=
let &textwidth = str2nr($FOLD)
set formatoptions=tcqmM
try
  set formatoptions+=]
catch
endtry
let s:lnum = 1
while s:lnum <= line('$')
  let s:before = line('$')
  execute s:lnum . 'normal! gqq'
  let s:lnum += line('$') - s:before + 1
endwhile
execute 'write! ' . fnameescape($OUT)
qall!
