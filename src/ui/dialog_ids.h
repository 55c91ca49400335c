/* Control identifiers of the seven dialog templates, shared by the resource
 * script and the dialog procedures. Plain macros, so that the resource
 * compiler reads this file as well as C++ does. */
#ifndef LUMOTEXT_UI_DIALOG_IDS_H
#define LUMOTEXT_UI_DIALOG_IDS_H

/* IndentDlg: continuation indent, item marks, quotes and emphasis. */
#define IDC_INDENT 101
#define IDC_PARAGRAPH 102
#define IDC_PARAGRAPH_WIDE_SPACE 103
#define IDC_ITEMIZE 106
#define IDC_SCENARIO 107
#define IDC_NEITHER_MODE 108
#define IDC_SOLE_ITEMIZE 110
#define IDC_COMBI_ITEMIZE 111
#define IDC_ITEMIZE_END 112
#define IDC_ITEM_END_SPACE 115
#define IDC_ITEM_NO_PARAGRAPH 116
#define IDC_QUOTE 120
#define IDC_QUOTE_CHARS 121
#define IDC_EMPHA 125
#define IDC_EMPHA_CHARS 126
#define IDC_NAMED_QUOTE 130
#define IDC_KEEP_QUOTED 131

/* ManualIndentDlg: fixed indent column, fill, indent strings. */
#define IDC_FIXED_COLUMN 200
#define IDC_FIXED_COLUMN_NUMBER 210
#define IDC_FILL_SOURCE 221
#define IDC_FILL_WIDE_SPACE 222
#define IDC_FILL_NARROW_SPACE 223
#define IDC_INDENT_STRINGS 225
#define IDC_INDENT_STRING_0 230 /* 230 + i for indent string i */
#define IDC_NEED_BLANK_0 240    /* 240 + i for its "needs a blank" box */

/* FoldposDlg: fold column and line-end rules. */
#define IDC_FOLLOW_WIDTH 301
#define IDC_FIXED_FOLD 302
#define IDC_FOLD_LABEL 303
#define IDC_FOLD_NUMBER 304
#define IDC_KINSOKU 310
#define IDC_PUSH_OUT 311
#define IDC_HANG 312
#define IDC_WORDWRAP 314
#define IDC_WORDWRAP_CHARS 315
#define IDC_WRAP_ALNUM 316
#define IDC_WRAP_ASCII 317
#define IDC_WRAP_ALNUM_PLUS 318
#define IDC_MAXMOVE_LEFT 319
#define IDC_MAXMOVE_RIGHT 320
#define IDC_NOT_FOR_HEAD 321
#define IDC_NOT_FOR_TAIL 322

/* HeaderDlg: the header block. */
#define IDC_HEADER_NO_FORMAT 401
#define IDC_DELIM_EMPTY_LINE 402
#define IDC_DELIMITER 410
#define IDC_DELIM_EXACT 411
#define IDC_DELIM_HEAD 412

/* ResetDlg: blanks deleted when lines are bound again. */
#define IDC_STRIP_HEAD_SPACE 501
#define IDC_STRIP_WHEN_INDENT 502
#define IDC_BLANK_NARROW 505
#define IDC_BLANK_WIDE 506
#define IDC_BLANK_TAB 507

/* RegSelDlg: slot number with its up-down control, title, two actions. */
#define IDC_SLOT_NUMBER 601
#define IDC_SLOT_UPDOWN 602
#define IDC_SLOT_TITLE 605
#define IDC_STORE_TITLE 610
#define IDC_EDIT_SLOT 615

/* IndPropDlg: one paragraph's indent and fold column. */
#define IDC_PARAGRAPH_INDENT 701
#define IDC_PARAGRAPH_FOLD 705
#define IDC_PARAGRAPH_WORDWRAP 706
#define IDC_PARAGRAPH_KINSOKU 707
#define IDC_DETAILS 710

#endif
