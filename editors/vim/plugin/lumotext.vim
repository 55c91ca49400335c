" Lumotext for Vim: the commands and the gq hook. The work is done by the
" lumotext tool (g:lumotext_command) through autoload/lumotext.vim, which is
" read only when a command or gq first needs it.
" Help: :help lumotext
if exists('g:loaded_lumotext') || &compatible
  finish
endif
let g:loaded_lumotext = 1

" Without a range both take the paragraph around the cursor, so <range> is
" passed on: a range of the current line alone is then told apart from none.
command! -range -bar LumoFormat call lumotext#command('reflow', <line1>, <line2>, <range>)
command! -range -bar LumoBind call lumotext#command('bind', <line1>, <line2>, <range>)
" For buffers of other file types: gq folds with Lumotext in this buffer.
command! -bar LumoGq setlocal formatexpr=lumotext#formatexpr()

" gq folds with Lumotext in the file types listed; [] leaves gq alone.
if !exists('g:lumotext_filetypes')
  let g:lumotext_filetypes = ['text']
endif
augroup lumotext
  autocmd!
  autocmd FileType * if index(g:lumotext_filetypes, &filetype) >= 0
        \ | setlocal formatexpr=lumotext#formatexpr() | endif
augroup END
