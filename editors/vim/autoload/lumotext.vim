" Runs lines of the buffer through the lumotext tool and puts its output in
" their place. The lines go out as bytes in the buffer's own encoding
" (Shift-JIS or UTF-8), through temporary files, and the buffer is changed
" only when the tool succeeded; otherwise its message is shown.

" A setting: the buffer's b:lumotext_NAME, else g:lumotext_NAME, else DEFAULT.
function! s:setting(name, default) abort
  return get(b:, 'lumotext_' . a:name, get(g:, 'lumotext_' . a:name, a:default))
endfunction

" The tool's --encoding for this buffer and the encoding its bytes are
" written in. Shift-JIS of every name goes as code page 932, which the tool
" reads; anything else goes as UTF-8, which the tool converts itself.
function! s:encodings() abort
  let fenc = tolower(&l:fileencoding !=# '' ? &l:fileencoding : &encoding)
  if fenc =~# '^\%(cp932\|sjis\|shift[-_]jis\|ms932\|windows-31j\|ms_kanji\|csshiftjis\)$'
    return ['sjis', 'cp932']
  endif
  return ['utf-8', 'utf-8']
endfunction

function! s:same_encoding(a, b) abort
  let canonical = {'utf8': 'utf-8', 'sjis': 'cp932'}
  let a = tolower(a:a)
  let b = tolower(a:b)
  return get(canonical, a, a) ==# get(canonical, b, b)
endfunction

" LINES converted from encoding FROM to TO, or a message (a String) naming
" the first line that cannot be converted; FIRST numbers the lines.
function! s:convert(lines, from, to, first) abort
  if s:same_encoding(a:from, a:to)
    return a:lines
  endif
  let converted = []
  for line in a:lines
    let bytes = iconv(line, a:from, a:to)
    " iconv() answers a failure with the empty string.
    if bytes ==# '' && line !=# ''
      return printf('line %d cannot be converted from %s to %s',
            \ a:first + len(converted), a:from, a:to)
    endif
    call add(converted, bytes)
  endfor
  return converted
endfunction

" Shows MESSAGE, the tool's own (which names the tool) or one of ours.
function! s:fail(message) abort
  echohl ErrorMsg
  for line in split(a:message, "\n")
    echomsg line =~# '^lumotext' ? line : 'lumotext: ' . line
  endfor
  echohl None
  return 0
endfunction

" The tool's command and options for SUBCOMMAND (format, reflow or bind): a
" slot when one is set, else a preset; the line-break rules when set; format
" and reflow also get the fold column and the tab stops. Reflow is format
" with --reflow: the paragraph's lines are joined and folded anew.
function! s:options(subcommand) abort
  let slot = s:setting('slot', '')
  let options = [a:subcommand ==# 'reflow' ? 'format' : a:subcommand]
  let options += slot isnot# '' ? ['--slot', slot] : ['--preset', s:setting('preset', 2)]
  let rules = s:setting('rules', '')
  if rules isnot# ''
    let options += ['--rules', rules]
  endif
  if a:subcommand !=# 'bind'
    let options += ['--fold', s:setting('fold', &textwidth > 0 ? &textwidth : 70),
          \ '--tab', s:setting('tab', &tabstop)]
  endif
  return a:subcommand ==# 'reflow' ? options + ['--reflow'] : options
endfunction

" Replaces lines FIRST to LAST by NEW, touching the buffer only if they
" differ, so that an unchanged text leaves 'modified' alone.
function! s:replace(first, last, new) abort
  let old_size = a:last - a:first + 1
  if getline(a:first, a:last) ==# a:new
    return
  endif
  if len(a:new) >= old_size
    call setline(a:first, a:new[: old_size - 1])
    call append(a:last, a:new[old_size :])
  else
    if !empty(a:new)
      call setline(a:first, a:new)
    endif
    silent execute 'keepjumps' (a:first + len(a:new)) . ',' . a:last . 'delete _'
  endif
endfunction

" Runs 'lumotext SUBCOMMAND' on lines FIRST to LAST and puts its output in
" their place; returns the number of lines put there, or -1 when the tool
" or a conversion failed and the buffer was left as it was.
function! lumotext#filter(subcommand, first, last) abort
  let [tool_encoding, bytes_encoding] = s:encodings()
  let bytes = s:convert(getline(a:first, a:last), &encoding, bytes_encoding, a:first)
  if type(bytes) == v:t_string
    return s:fail(bytes) - 1
  endif
  let input = tempname()
  let output = tempname()
  let errors = tempname()
  try
    " Every line, the last included, ends in a line feed, so that the tool
    " joins the folded lines with the buffer's own line ends.
    call writefile(bytes, input)
    let command = [s:setting('command', 'lumotext')] + s:options(a:subcommand)
          \ + ['--encoding', tool_encoding, '--output', output]
    call system(join(map(command, 'shellescape(v:val)'))
          \ . ' <' . shellescape(input) . ' 2>' . shellescape(errors))
    if v:shell_error != 0
      let message = filereadable(errors) ? join(readfile(errors), "\n") : ''
      " The tool counts the lines of what it was given: count the buffer's.
      let message = substitute(message, 'standard input: line \(\d\+\)',
            \ '\=''line '' . (submatch(1) + a:first - 1)', 'g')
      return s:fail(message !=# '' ? message
            \ : printf('%s failed with status %d', command[0], v:shell_error)) - 1
    endif
    let result = filereadable(output) ? readfile(output, 'b') : ['']
    if !empty(result) && result[-1] ==# ''
      call remove(result, -1)
    endif
    let lines = s:convert(result, bytes_encoding, &encoding, a:first)
    if type(lines) == v:t_string
      return s:fail(lines) - 1
    endif
    call s:replace(a:first, a:last, lines)
    return len(lines)
  finally
    for file in [input, output, errors]
      call delete(file)
    endfor
  endtry
endfunction

" The paragraph around the cursor: the lines between blank lines, as for
" the 'ip' text object; [0, 0] on a blank line.
function! s:paragraph() abort
  let blank = '^\s*$'
  let first = line('.')
  if getline(first) =~# blank
    return [0, 0]
  endif
  let last = first
  while first > 1 && getline(first - 1) !~# blank
    let first -= 1
  endwhile
  while last < line('$') && getline(last + 1) !~# blank
    let last += 1
  endwhile
  return [first, last]
endfunction

" :LumoFormat and :LumoBind. RANGE is the count of line numbers given: 0
" takes the paragraph around the cursor.
function! lumotext#command(subcommand, first, last, range) abort
  let [first, last] = a:range > 0 ? [a:first, a:last] : s:paragraph()
  if first == 0
    return s:fail('no paragraph under the cursor')
  endif
  let lines_done = lumotext#filter(a:subcommand, first, last)
  if lines_done > 0
    call cursor(first + lines_done - 1, 1)
  endif
endfunction

" 'formatexpr' for gq: folds the lines at 'textwidth'. While typing, Vim's
" own wrapping is kept (a non-zero result), since a line being typed is
" folded again anyway. Always 0 otherwise, so that a failure never falls
" back to Vim's formatting: the lines stay as they were.
function! lumotext#formatexpr() abort
  if mode() =~# '[iR]'
    return 1
  endif
  let lines_done = lumotext#filter('reflow', v:lnum, v:lnum + v:count - 1)
  if lines_done > 0
    " Where gq leaves the cursor: on the last line it formatted.
    call cursor(v:lnum + lines_done - 1, 1)
  endif
  return 0
endfunction
