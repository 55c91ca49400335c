;; Folds a text with Emacs's own filling for the line-break measurement
;; (scripts/measure-line-breaks.py): every line its own paragraph, filled at
;; fill-column FOLD with Japanese kinsoku as a user's Emacs does it in the
;; Japanese language environment (ambiguous characters wide). Only a line's
;; indentation carries to its continuation lines, as the other tools
;; measured do: no mark is repeated as a fill prefix.
;; Usage: FOLD=N IN=FILE OUT=FILE emacs -Q --batch -l measure-line-breaks.el
(set-language-environment "Japanese")
(prefer-coding-system 'utf-8-unix)
(setq-default indent-tabs-mode nil)
(let ((coding-system-for-read 'utf-8-unix)
      (coding-system-for-write 'utf-8-unix)
      (width (string-to-number (getenv "FOLD"))))
  (with-temp-buffer
    (insert-file-contents (getenv "IN"))
    (setq fill-column width
          adaptive-fill-regexp "[ \t]*"
          adaptive-fill-first-line-regexp "\\`[ \t]*\\'")
    (goto-char (point-min))
    (while (not (eobp))
      ;; The marker follows the end of the line as filling inserts breaks.
      (let ((end (copy-marker (line-end-position) t)))
        (fill-region-as-paragraph (point) end)
        (goto-char end)
        (set-marker end nil)
        (forward-line 1)))
    (write-region (point-min) (point-max) (getenv "OUT") nil 'quiet)))
