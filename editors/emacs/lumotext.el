;;; lumotext.el --- Fold Japanese text with the lumotext tool  -*- lexical-binding: t -*-

;; Folds and binds regions through the lumotext tool, in the buffer's own
;; coding system (Shift-JIS or UTF-8), and `lumotext-mode' makes
;; `fill-paragraph' fold with it.  A failing tool leaves the buffer as it
;; was and signals an error with the tool's message.

;;; Commentary:

;; (add-to-list 'load-path "/path/to/lumotext/editors/emacs")
;; (require 'lumotext)
;; M-x lumotext-format-region, M-x lumotext-bind-region, M-x lumotext-mode

;;; Code:

(require 'subr-x)

(defgroup lumotext nil
  "Fold Japanese text with the lumotext tool."
  :group 'fill
  :prefix "lumotext-")

(defcustom lumotext-program "lumotext"
  "The lumotext tool: a name found on `exec-path', or a file name."
  :type 'string)

(defcustom lumotext-preset 2
  "Formatting preset: 0 items and paragraphs, 1 also keeps quoted lines and
the header block, 2 items, paragraphs, quotes and emphasis.
`lumotext-slot', when set, is used instead."
  :type '(choice (const 0) (const 1) (const 2)))

(defcustom lumotext-slot nil
  "Setting slot (0 to 10) of the settings store to take the settings from,
in place of `lumotext-preset'; nil for the preset."
  :type '(choice (const :tag "Use the preset" nil) (integer :tag "Slot")))

(defcustom lumotext-fold-column nil
  "Fold column in display columns; nil for `fill-column'."
  :type '(choice (const :tag "fill-column" nil) integer))

(defcustom lumotext-tab-width nil
  "Distance between tab stops (0 to 255); nil for `tab-width'."
  :type '(choice (const :tag "tab-width" nil) integer))

(defcustom lumotext-rules nil
  "The line-break rules: \"normal\", \"strict\", \"loose\" or \"classic\";
nil for the tool's default (normal)."
  :type '(choice (const :tag "the tool's default" nil)
                 (const "normal") (const "strict") (const "loose") (const "classic")))

(defun lumotext--coding-systems ()
  "The tool's --encoding for this buffer and the coding system of its bytes.
Shift-JIS of every name goes as Shift-JIS, written in the buffer's own
coding system; anything else goes as UTF-8, which the tool converts itself.
Both with Unix line ends: Emacs holds every line end as a line feed."
  (let* ((coding (or buffer-file-coding-system 'undecided))
         (base (coding-system-base coding))
         (charset (coding-system-get base :mime-charset)))
    (if (or (memq base '(japanese-shift-jis japanese-cp932))
            (memq charset '(shift_jis windows-31j cp932)))
        (list "sjis" (coding-system-change-eol-conversion base 'unix))
      (list "utf-8" 'utf-8-unix))))

(defun lumotext--options (subcommand)
  "The tool's command and options for SUBCOMMAND (\"format\", \"reflow\" or
\"bind\"): a slot when one is set, else a preset; the line-break rules when
set; format and reflow also get the fold column and the tab stops. Reflow
is format with --reflow: the paragraph's lines are joined and folded anew."
  (append (list (if (equal subcommand "reflow") "format" subcommand))
          (if lumotext-slot
              (list "--slot" (number-to-string lumotext-slot))
            (list "--preset" (number-to-string lumotext-preset)))
          (when lumotext-rules (list "--rules" lumotext-rules))
          (unless (equal subcommand "bind")
            (list "--fold" (number-to-string (or lumotext-fold-column fill-column))
                  "--tab" (number-to-string (or lumotext-tab-width tab-width))))
          (when (equal subcommand "reflow") (list "--reflow"))))

(defun lumotext--buffer-lines (message first-line)
  "MESSAGE with the tool's line numbers counted from FIRST-LINE of the buffer."
  (replace-regexp-in-string
   "standard input: line \\([0-9]+\\)"
   (lambda (match)
     (format "line %d" (+ first-line -1 (string-to-number
                                          (substring match (length "standard input: line "))))))
   message t t))

(defun lumotext--run (subcommand text first-line)
  "The output of `lumotext SUBCOMMAND' on TEXT, or an error with its message.
TEXT begins on line FIRST-LINE of the buffer, which the message counts from."
  (pcase-let* ((`(,encoding ,coding) (lumotext--coding-systems))
               (arguments (append (lumotext--options subcommand)
                                  (list "--encoding" encoding)))
               ;; Read here: a buffer-local value is gone in the temporary buffer.
               (program lumotext-program)
               (errors (make-temp-file "lumotext-errors")))
    (unwind-protect
        (with-temp-buffer
          (insert text)
          (let* ((coding-system-for-write coding)
                 (coding-system-for-read coding)
                 (output (generate-new-buffer " *lumotext-output*"))
                 (status
                  (condition-case failure
                      (apply #'call-process-region (point-min) (point-max)
                             program nil (list output errors) nil arguments)
                    (file-error
                     (kill-buffer output)
                     (error "lumotext: cannot run %s: %s" program
                            (error-message-string failure))))))
            (unwind-protect
                (if (eq status 0)
                    (with-current-buffer output
                      (buffer-substring-no-properties (point-min) (point-max)))
                  (let ((message (with-temp-buffer
                                   (let ((coding-system-for-read 'utf-8))
                                     (insert-file-contents errors))
                                   (string-trim (buffer-string)))))
                    (error "%s" (if (string-empty-p message)
                                    (format "lumotext: %s ended with %s"
                                            program status)
                                  (lumotext--buffer-lines message first-line)))))
              (kill-buffer output))))
      (delete-file errors))))

(defun lumotext--filter (subcommand start end)
  "Replace START to END by the output of `lumotext SUBCOMMAND' on it.
The buffer is changed only when the tool succeeded and its output differs."
  (let* ((text (buffer-substring-no-properties start end))
         ;; The tool keeps a text's own line ends, and folds a text without
         ;; any with the platform's: a region that ends inside a line is
         ;; given a line feed, so that its lines are joined with the
         ;; buffer's own, and the line feed is taken off again below.
         (open-end (not (string-suffix-p "\n" text)))
         (result (lumotext--run subcommand (if open-end (concat text "\n") text)
                              (line-number-at-pos start))))
    (when (and open-end (string-suffix-p "\n" result))
      (setq result (substring result 0 -1)))
    (unless (string= result text)
      ;; Keeps point and markers on the text that did not change.
      (replace-region-contents start end (lambda () result)))
    result))

;;;###autoload
(defun lumotext-format-region (start end)
  "Fold the lines from START to END at the fold column, `fill-column' unless
`lumotext-fold-column' is set, with the lumotext tool."
  (interactive "*r")
  (lumotext--filter "format" start end)
  nil)

;;;###autoload
(defun lumotext-bind-region (start end)
  "Join the folded lines from START to END back into one line."
  (interactive "*r")
  (lumotext--filter "bind" start end)
  nil)

(defun lumotext--paragraph-bounds ()
  "Start and end of the paragraph at or after point, as `fill-paragraph' finds
it: from the beginning of its first line to the end of its last line end."
  (save-excursion
    (beginning-of-line)
    (let ((end (progn (forward-paragraph) (point)))
          (start (progn (backward-paragraph) (point))))
      ;; backward-paragraph stops on the separator line before the paragraph.
      (goto-char start)
      (while (and (< (point) end) (looking-at-p "[ \t]*$"))
        (forward-line 1))
      (list (point) end))))

(defun lumotext-fill-paragraph (&optional _justify)
  "Fold the paragraph at or after point with the lumotext tool.
For `fill-paragraph-function': t when done, so that Emacs's own filling does
not run; a failure is an error, and the paragraph stays as it was."
  (pcase-let ((`(,start ,end) (lumotext--paragraph-bounds)))
    (when (< start end)
      (lumotext--filter "reflow" start end))
    t))

(defvar-local lumotext--saved-fill-paragraph-function nil
  "The buffer's `fill-paragraph-function' before `lumotext-mode'.")

;;;###autoload
(define-minor-mode lumotext-mode
  "Make `fill-paragraph' (\\[fill-paragraph]) fold with the lumotext tool."
  :lighter " Lumo"
  (if lumotext-mode
      (unless (eq fill-paragraph-function #'lumotext-fill-paragraph)
        (setq lumotext--saved-fill-paragraph-function fill-paragraph-function)
        (setq-local fill-paragraph-function #'lumotext-fill-paragraph))
    (setq-local fill-paragraph-function lumotext--saved-fill-paragraph-function)))

(provide 'lumotext)
;;; lumotext.el ends here
