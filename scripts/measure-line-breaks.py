#!/usr/bin/env python3
"""Measures how lumotext's line-break rules fold real Japanese text against
its peers: Emacs's fill, Vim's gq and Perl's Text::LineFold.

Two samples, each line its own paragraph: Debian's Japanese manual pages as
a reader sees them (rendered at 80 columns) and the paragraphs of the
Japanese Debian Reference. Each tool folds each sample at each width; the
folded lines are then read back against the input, character by character,
and counted: lines wider than the fold column, continuation lines of spaces
only, line heads and ends that JLREQ forbids at CSS Text 3's normal level,
words, numbers and other tokens split although they would fit a line, split
inseparable runs, characters lost or changed, and how full the lines are.
The faults that the classic rules had are counted for them and for the
default rules, each with the shortest sample line that shows it.

The tables go to standard output, or with --write into the marked sections
of a document (docs/line-breaking.md). scripts/measure-line-breaks.sh runs
it all; scripts/install-deps.sh measure installs the tools and samples.
"""

import argparse
import difflib
import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unicodedata
from dataclasses import dataclass, field

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
MAN_DIR = '/usr/share/man/ja'
REFERENCE = '/usr/share/debian-reference/debian-reference.ja.txt.gz'
ENGLISH = '/usr/share/common-licenses/GPL-3'
SEPARATOR = '〓'  # a line between two paragraphs, which every tool keeps as it is
BLANKS = ' \t\u3000'
TAB = 8
MAXMOVE = 20  # how far the classic rules' word wrap moves back (maxmove_leftwise)


# ---------------------------------------------------------------------------
# What JLREQ forbids at CSS Text 3's normal level (the measurement's own
# table, from W3C's JLREQ Appendix A and CSS Text 3 section 5.2, kept apart
# from the tool's so that it checks the tool).

def chars(text):
    return set(text.replace(' ', ''))


SMALL_KANA = chars('ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶ'
                   'ㇰㇱㇲㇳㇴㇵㇶㇷㇸㇹㇺㇻㇼㇽㇾㇿｧｨｩｪｫｬｭｮｯ') | {
    '\U0001B132', '\U0001B150', '\U0001B151', '\U0001B152', '\U0001B155',
    '\U0001B164', '\U0001B165', '\U0001B166', '\U0001B167'}
NO_HEAD_CLASSES = [
    ('closing brackets', chars('’ ” ) 〕 ] } 〉 》 」 』 】 ⦆ 〙 〗 » 〟 ） ］ ｝ ｠ ｣')),
    ('hyphens', chars('‐ –')),  # normal lets 〜 ゠ ～ begin a line
    ('dividing punctuation', chars('! ? ‼ ⁇ ⁈ ⁉ ！ ？')),
    ('middle dots', chars('・ : ; ： ； ･')),
    ('full stops', chars('。 . ． ｡')),
    ('commas', chars('、 , ， ､')),
    ('iteration marks', chars('ヽ ヾ ゝ ゞ 々 〻')),
    ('prolonged sound mark', chars('ー ｰ')),
    ('small kana', SMALL_KANA),
    ('postfixed abbreviations', chars('° ′ ″ ℃ ¢ % ‰ ㏋ ℓ ㌃ ㌍ ㌔ ㌘ ㌢ ㌣ ㌦ ㌧ ㌫ ㌶ ㌻ '
                                       '㍉ ㍊ ㍍ ㍑ ㍗ ㎎ ㎏ ㎜ ㎝ ㎞ ㎡ ㏄ ％ ￠')),
]
NO_TAIL_CLASSES = [
    ('opening brackets', chars('‘ “ ( 〔 [ { 〈 《 「 『 【 ⦅ 〘 〖 « 〝 （ ［ ｛ ｟ ｢')),
    ('prefixed abbreviations', chars('¥ $ £ # € № ￥ ＄ ￡ ＃')),
]
NO_HEAD = set().union(*(members for _, members in NO_HEAD_CLASSES))
NO_TAIL = set().union(*(members for _, members in NO_TAIL_CLASSES))
INSEPARABLE = chars('— ― … ‥ 〳 〴 〵')
# ASCII marks forbid only where they touch their neighbour: a path
# ".bashrc" or an option "(-r)" after a space may begin or end a line.
ADJACENT_ONLY = chars(') ] } ! ? : ; . , % ( [ { $ #')

# The classic rules' kinsoku sets (the presets' chars_not_for_head and
# chars_not_for_tail), to tell the members that they lacked.
CLASSIC_NO_HEAD = chars('、。，．・：；？！゛゜ヽヾゝゞ々ー’”）〕］｝〉》」』】°′″℃￠％!%),.:;?]}｡｣､･ｰﾞﾟ')
CLASSIC_NO_TAIL = chars('‘“（〔［｛〈《「『【￥＄$([\\{｢')


def folded(text):
    return unicodedata.normalize('NFKC', text)


CLASSIC_KNOWN = {folded(c) for c in CLASSIC_NO_HEAD | CLASSIC_NO_TAIL}


def lacked_by_classic(c):
    return folded(c) not in CLASSIC_KNOWN


# ---------------------------------------------------------------------------
# Widths: East Asian Width, ambiguous characters wide (as every tool is told).

def char_width(c):
    cat = unicodedata.category(c)
    if cat in ('Mn', 'Me', 'Cc') or c in '\u200b\u200c\u200d\u2060\ufeff':
        return 0
    return 2 if unicodedata.east_asian_width(c) in 'WFA' else 1


def width(text):
    columns = 0
    for c in text:
        columns = columns + TAB - columns % TAB if c == '\t' else columns + char_width(c)
    return columns


def expand_tabs(line):
    out, columns = [], 0
    for c in line:
        if c == '\t':
            step = TAB - columns % TAB
            out.append(' ' * step)
            columns += step
        else:
            out.append(c)
            columns += char_width(c)
    return ''.join(out)


def breaks_beside(c):
    """A character of a script written without spaces, as drawn here: a
    line may break beside it. A no-break space (ambiguous, so drawn
    wide) joins what it touches all the same."""
    return unicodedata.east_asian_width(c) in 'WFHA' and unicodedata.category(c) not in ('Zs', 'Cf')


def is_token_char(c):
    """Letters of Latin, Greek and Cyrillic, digits and ASCII symbols: what
    a word, a number, a URL, a path or a key name is made of. Letters drawn
    wide (ambiguous, measured wide) stand among the wide characters."""
    if '!' <= c <= '~':
        return True
    if unicodedata.east_asian_width(c) in 'WFHA':
        return False
    if unicodedata.category(c)[0] not in 'LN':
        return False
    name = unicodedata.name(c, '')
    return name.startswith(('LATIN', 'GREEK', 'CYRILLIC', 'DIGIT'))


# ---------------------------------------------------------------------------
# Samples.

def first_kilobytes(lines, kilobytes):
    """The leading whole lines of at most kilobytes."""
    limit, size, out = kilobytes * 1024, 0, []
    for line in lines:
        size += len(line.encode('utf-8')) + 1
        if size > limit:
            break
        out.append(line)
    return out


def man_sample(kilobytes):
    """Debian's Japanese manual pages in file name order, as man shows them
    at 80 columns (overstrikes and escapes removed), tabs expanded."""
    pages = sorted(os.path.join(d, f) for d, _, files in os.walk(MAN_DIR) for f in files)
    env = dict(os.environ, LC_ALL='C.UTF-8', MANWIDTH='80', MAN_KEEP_FORMATTING='')
    env.pop('MANPAGER', None)
    env.pop('PAGER', None)
    lines, size = [], 0
    for page in pages:
        shown = subprocess.run(['man', '-l', page], env=env, capture_output=True).stdout
        text = shown.decode('utf-8', errors='replace')
        text = re.sub(r'.\x08', '', text)
        text = re.sub(r'\x1b\[[0-9;]*[A-Za-z]', '', text)
        page_lines = [expand_tabs(line) for line in text.split('\n')[:-1]]
        lines += page_lines
        size += sum(len(line.encode('utf-8')) + 1 for line in page_lines)
        if size > kilobytes * 1024:
            break
    return first_kilobytes(lines, kilobytes)


def reference_sample(kilobytes):
    """The Japanese Debian Reference, consecutive non-empty lines joined into
    one paragraph as scripts/make-corpus.sh joins them for the benchmark."""
    with gzip.open(REFERENCE, 'rt', encoding='utf-8') as f:
        source = f.read().split('\n')
    lines, paragraph = [], None
    for line in source:
        if line.strip(' \t') == '':
            if paragraph is not None:
                lines.append(paragraph)
            lines.append('')
            paragraph = None
        elif paragraph is None:
            paragraph = line
        else:
            line = line.lstrip(' \t')
            # English words keep the space that the line break stood for.
            if re.search(r'[A-Za-z0-9,.;:)]$', paragraph) and re.match(r'[A-Za-z0-9(]', line):
                paragraph += ' '
            paragraph += line
    if paragraph is not None:
        lines.append(paragraph)
    return first_kilobytes([expand_tabs(line) for line in lines], kilobytes)


# ---------------------------------------------------------------------------
# Tools. Each folds a file of paragraphs, one a line, with a separator line
# between every two; the separators split the output back into paragraphs.

@dataclass
class Tool:
    name: str
    kind: str
    rules: str = ''

    def fold(self, width, infile, outfile, lumotext):
        env = dict(os.environ, FOLD=str(width), IN=infile, OUT=outfile, LC_ALL='C.UTF-8')
        if self.kind == 'lumotext':
            command = [lumotext, 'format', '--preset', '0', '--rules', self.rules, '--ambiguous', 'wide',
                       '--encoding', 'utf-8', '--fold', str(width), '--output', outfile, infile]
            # Its warnings (a prefix that fills the fold column) are no
            # part of the measurement.
            done = subprocess.run(command, env=env, stderr=subprocess.PIPE)
            if done.returncode != 0:
                raise SystemExit(done.stderr.decode(errors='replace'))
        elif self.kind == 'emacs':
            subprocess.run(['emacs', '-Q', '--batch', '-l', os.path.join(HERE, 'measure-line-breaks.el')],
                           check=True, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        elif self.kind == 'vim':
            subprocess.run(['vim', '-u', 'NONE', '-i', 'NONE', '-N', '-es', '-S',
                            os.path.join(HERE, 'measure-line-breaks.vim'), infile],
                           check=True, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
        elif self.kind == 'linefold':
            with open(infile, 'rb') as source, open(outfile, 'wb') as sink:
                subprocess.run(['perl', os.path.join(HERE, 'measure-line-breaks.pl')],
                               check=True, env=env, stdin=source, stdout=sink)


LUMOTEXT_TOOLS = [Tool('lumotext normal', 'lumotext', 'normal'), Tool('lumotext strict', 'lumotext', 'strict'),
                  Tool('lumotext loose', 'lumotext', 'loose'), Tool('lumotext classic', 'lumotext', 'classic')]
PEERS = [Tool('Emacs fill', 'emacs'), Tool('Vim gq', 'vim'), Tool('Text::LineFold', 'linefold')]
DEFAULT = 'lumotext normal'
CLASSIC = 'lumotext classic'


def fold_paragraphs(tool, paragraphs, width, work, lumotext):
    infile = os.path.join(work, 'in.txt')
    outfile = os.path.join(work, 'out.txt')
    with open(infile, 'w', encoding='utf-8', newline='\n') as f:
        for paragraph in paragraphs:
            f.write(paragraph + '\n' + SEPARATOR + '\n')
    if os.path.exists(outfile):
        os.remove(outfile)
    tool.fold(width, infile, outfile, lumotext)
    with open(outfile, encoding='utf-8', errors='surrogateescape') as f:
        out = f.read().split('\n')
    groups, group = [], []
    for line in out[:-1] if out and out[-1] == '' else out:
        if line == SEPARATOR:
            groups.append(group)
            group = []
        else:
            group.append(line)
    if group or len(groups) != len(paragraphs):
        raise SystemExit(f'{tool.name} at {width}: {len(groups)} paragraphs came back of {len(paragraphs)}')
    return groups


# ---------------------------------------------------------------------------
# Counting.

COUNTS = ['over_wide', 'spaces_only', 'bad_head', 'bad_end', 'split_token', 'split_inseparable', 'lost']
FAULTS = ['one_over', 'small_kana_head', 'lacked_member', 'long_word', 'short_token', 'number',
          'split_inseparable', 'spaces_only']


@dataclass
class Tally:
    lines: int = 0
    counts: dict = field(default_factory=lambda: {k: 0 for k in COUNTS + FAULTS})
    fill_sum: float = 0.0
    fill_lines: int = 0
    wide_fill_sum: float = 0.0  # the lines that end at a break between two wide characters
    wide_fill_lines: int = 0
    by_class: dict = field(default_factory=dict)  # forbidden heads and ends by JLREQ class
    where: dict = field(default_factory=dict)  # fault -> indexes of the paragraphs that show it

    def add(self, what, paragraph, n=1):
        self.counts[what] += n
        self.where.setdefault(what, []).append(paragraph)

    def per_thousand(self, what):
        return 1000.0 * self.counts[what] / max(self.lines, 1)

    def fill(self):
        return 100.0 * self.fill_sum / max(self.fill_lines, 1)

    def wide_fill(self):
        return 100.0 * self.wide_fill_sum / max(self.wide_fill_lines, 1)


def class_of(c, classes):
    return next(name for name, members in classes if c in members)


def single_run(text):
    """A line that is one run that no tool may break: no space in it and
    nothing a line breaks beside."""
    content = text.strip(BLANKS)
    return content != '' and not any(c in BLANKS or breaks_beside(c) for c in content)


def count_paragraph(tally, index, source, lines, fold):
    tally.lines += len(lines)
    for j, line in enumerate(lines):
        shown = line.rstrip(BLANKS)
        columns = width(shown)
        if columns > fold and not single_run(shown):
            tally.add('over_wide', index)
            if columns == fold + 1 and char_width(shown[-1]) == 2:
                tally.add('one_over', index)
        # A line of spaces that folding made: a continuation line, or a
        # first line that a paragraph with text left behind.
        if shown.strip(BLANKS) == '' and (j > 0 or source.strip(BLANKS) != ''):
            tally.add('spaces_only', index)
        if j + 1 < len(lines):
            tally.fill_sum += min(1.0, columns / fold)
            tally.fill_lines += 1

    wanted = [c for c in source if c not in BLANKS]
    got = [c for line in lines for c in line if c not in BLANKS]
    if wanted != got:
        matcher = difflib.SequenceMatcher(None, wanted, got, autojunk=False)
        same = sum(block.size for block in matcher.get_matching_blocks())
        tally.add('lost', index, max(len(wanted), len(got)) - same)
        return  # the breaks cannot be placed in the source

    places = [i for i, c in enumerate(source) if c not in BLANKS]
    before = 0  # non-blank characters on the lines before this one
    for j, line in enumerate(lines):
        here = sum(1 for c in line if c not in BLANKS)
        if j > 0 and here > 0 and before > 0:
            at = Break(source, places[before - 1], places[before], fold,
                       width(line[:len(line) - len(line.lstrip(BLANKS))]))
            ended = lines[j - 1].rstrip(BLANKS)
            if ended.strip(BLANKS) and breaks_beside(at.left) and breaks_beside(at.right):
                tally.wide_fill_sum += min(1.0, width(ended) / fold)
                tally.wide_fill_lines += 1
            count_break(tally, index, at)
        before += here


def glued_run(source, at, step):
    """The characters from at on (step 1) or back (step -1) up to the next
    place any line may break: a space or a wide character."""
    end = at
    while 0 <= end + step < len(source) and not (source[end + step] in BLANKS or breaks_beside(source[end + step])):
        end += step
    return source[min(at, end):max(at, end) + 1]


@dataclass
class Break:
    """A break placed in the source: between the non-blank characters at
    left_at and right_at, the next line indented by indent columns."""
    source: str
    left_at: int
    right_at: int
    fold: int
    indent: int

    @property
    def left(self):
        return self.source[self.left_at]

    @property
    def right(self):
        return self.source[self.right_at]

    @property
    def touching(self):
        return self.right_at == self.left_at + 1

    @property
    def room(self):
        return self.fold - self.indent


def count_break(tally, index, at):
    source, left, right, touching = at.source, at.left, at.right, at.touching
    # Where the run glued to a mark is longer than a line, no break but
    # this one lets the line fit: the rules give way, as any tool must.
    if (right in NO_HEAD and (touching or right not in ADJACENT_ONLY)
            and width(glued_run(source, at.right_at, 1)) <= at.room):
        tally.add('bad_head', index)
        key = 'head: ' + class_of(right, NO_HEAD_CLASSES)
        tally.by_class[key] = tally.by_class.get(key, 0) + 1
        if right in SMALL_KANA:
            tally.add('small_kana_head', index)
        elif lacked_by_classic(right):
            tally.add('lacked_member', index)
    if (left in NO_TAIL and (touching or left not in ADJACENT_ONLY)
            and width(glued_run(source, at.left_at, -1)) <= at.room):
        tally.add('bad_end', index)
        key = 'end: ' + class_of(left, NO_TAIL_CLASSES)
        tally.by_class[key] = tally.by_class.get(key, 0) + 1
        if lacked_by_classic(left):
            tally.add('lacked_member', index)
    if touching and left in INSEPARABLE and right in INSEPARABLE:
        tally.add('split_inseparable', index)
    if touching and is_token_char(left) and is_token_char(right):
        start, end = at.left_at, at.right_at + 1
        while start > 0 and is_token_char(source[start - 1]):
            start -= 1
        while end < len(source) and is_token_char(source[end]):
            end += 1
        token = source[start:end]
        if width(token) <= at.room:  # it would have fitted the next line
            tally.add('split_token', index)
            if re.fullmatch(r'[0-9][0-9.,]*[0-9]', token.strip('()[]{}<>"\'')):
                tally.add('number', index)
            elif width(token) > MAXMOVE:
                tally.add('long_word', index)
            else:
                tally.add('short_token', index)


def measure(tool, sample, fold, work, lumotext):
    groups = fold_paragraphs(tool, sample, fold, work, lumotext)
    tally = Tally()
    for index, (source, lines) in enumerate(zip(sample, groups)):
        count_paragraph(tally, index, source, lines, fold)
    return tally, groups


# ---------------------------------------------------------------------------
# English folded by another tool, bound again: the spaces must come back.

def english_paragraphs():
    with open(ENGLISH, encoding='utf-8') as f:
        blocks = re.split(r'\n\s*\n', f.read())
    return [' '.join(block.split()) for block in blocks if block.strip()]


def bind_english(rules, folded_text, work, lumotext):
    path = os.path.join(work, 'english.txt')
    with open(path, 'w', encoding='utf-8') as f:
        f.write(folded_text)
    done = subprocess.run([lumotext, 'bind', '--preset', '0', '--rules', rules, '--encoding', 'utf-8', path],
                          check=True, capture_output=True)
    return done.stdout.decode('utf-8')


def measure_bind(work, lumotext, fold=40):
    paragraphs = english_paragraphs()
    text = '\n\n'.join(paragraphs) + '\n'
    fmt = subprocess.run(['fmt', '-w', str(fold)], input=text.encode(), check=True, capture_output=True)
    folded_text = fmt.stdout.decode('utf-8')
    result = {}
    for rules in ('classic', 'normal'):
        bound = bind_english(rules, folded_text, work, lumotext)
        joins = len(folded_text.splitlines()) - len(bound.splitlines())
        glued = len(folded_text.split()) - len(bound.split())
        result[rules] = (joins, glued, bound)
    return folded_text, result


# ---------------------------------------------------------------------------
# Reporting.

SAMPLES = [('man', 'manual pages'), ('ref', 'Debian Reference')]
HEADINGS = ['lines wider than the fold column', 'lines of spaces only', 'forbidden line heads',
            'forbidden line ends', 'split tokens that would fit', 'split inseparable runs',
            'characters lost or changed']


def number(x):
    return '0' if x == 0 else f'{x:.1f}'


def counts_table(results, tools, widths, sample):
    out = ['| tool | fold | lines | ' + ' | '.join(HEADINGS) + ' | average fill | fill at breaks between '
           'two wide characters |',
           '|---|---:|---:|' + '---:|' * len(HEADINGS) + '---:|---:|']
    for fold in widths:
        for tool in tools:
            t = results[(tool.name, fold, sample)]
            cells = [number(t.per_thousand(k)) for k in COUNTS]
            out.append(f'| {tool.name} | {fold} | {t.lines} | ' + ' | '.join(cells) + f' | {t.fill():.1f}% | {t.wide_fill():.1f}% |')
    return '\n'.join(out)


def classes_table(results, tools, widths):
    """Forbidden heads and ends by JLREQ class: a row per tool, width and
    sample, a column per class that any of them shows."""
    keys = [f'head: {name}' for name, _ in NO_HEAD_CLASSES] + [f'end: {name}' for name, _ in NO_TAIL_CLASSES]
    rows = [(tool, fold, sample) for sample, _ in SAMPLES for fold in widths for tool in tools]
    used = [k for k in keys if any(results[(t.name, f, s)].by_class.get(k) for t, f, s in rows)]
    out = ['| tool | fold | sample | ' + ' | '.join(used) + ' |', '|---|---:|---|' + '---:|' * len(used)]
    for t, f, s in rows:
        counts = results[(t.name, f, s)].by_class
        out.append(f'| {t.name} | {f} | {s} | ' + ' | '.join(str(counts.get(k, 0)) for k in used) + ' |')
    return '\n'.join(out)


# The faults of the classic rules: what is counted, its name, and a line
# written for it should the samples not show it.
FAULT_ROWS = [
    ('one_over', 'a wide character one column past the fold column', 'あいうえおかきくけこ'),
    ('small_kana_head', 'small kana at a line head', 'ちょっとチュートリアル'),
    ('lacked_member', 'a JLREQ member the old sets lacked at a line head or end (small kana apart)',
     '括弧〘注〙と引用«文»と‼'),
    ('long_word', f'a word longer than {MAXMOVE} columns cut although it fits a line',
     'see aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa'),
    ('short_token', f'a token of at most {MAXMOVE} columns split (after - / . " or before ( ...)',
     '押すキーはCtrl-Alt-F3です'),
    ('number', 'a number split (3.14159, 1,234,567)', '円周率は3.14159です。'),
    ('split_inseparable', 'an inseparable run split (―― …… ‥‥)', '彼は言った――そして……沈黙した。'),
    ('spaces_only', 'a line of spaces only (a run of spaces past the fold column, an indent left behind)',
     'LS(1)' + ' ' * 60 + 'User Commands'),
]


def faults_table(results, widths, bind):
    columns = [(rules, fold, sample) for sample, _ in SAMPLES for fold in widths for rules in (CLASSIC, DEFAULT)]
    short = {CLASSIC: 'classic', DEFAULT: 'normal'}
    out = ['| fault (count) | ' + ' | '.join(f'{short[r]} {f} {s}' for r, f, s in columns) + ' |',
           '|---|' + '---:|' * len(columns),
           '| (output lines) | ' + ' | '.join(str(results[c].lines) for c in columns) + ' |']
    for key, label, _ in FAULT_ROWS:
        out.append(f'| {label} | ' + ' | '.join(str(results[c].counts[key]) for c in columns) + ' |')
    out.append('')
    out.append('| English folded by `fmt -w 40`, then `lumotext bind` | joins | words glued together |'
               ' per 1,000 joins |')
    out.append('|---|---:|---:|---:|')
    for rules in ('classic', 'normal'):
        joins, glued, _ = bind[rules]
        out.append(f'| --rules {rules} | {joins} | {glued} | {number(1000.0 * glued / max(joins, 1))} |')
    return '\n'.join(out)


def goals_table(results, widths):
    rows = []
    keys = [(f, s) for f in widths for s, _ in SAMPLES]

    def default(f, s):
        return results[(DEFAULT, f, s)]

    def zero(what):
        bad = [f'{f} {s}: {default(f, s).counts[what]}' for f, s in keys if default(f, s).counts[what]]
        return ('met' if not bad else 'not met (' + ', '.join(bad) + ')')

    rows.append(('no line wider than the fold column but a single run longer than a whole line', zero('over_wide')))
    rows.append(('no line of spaces only (a continuation line, or a first line left behind)',
                 zero('spaces_only')))
    heads = [zero('bad_head'), zero('bad_end')]
    rows.append(('no forbidden line head or end', 'met' if heads == ['met', 'met'] else '; '.join(heads)))
    splits = [zero('split_token'), zero('split_inseparable')]
    rows.append(('no split inseparable run, number, word, URL or token that would fit a line',
                 'met' if splits == ['met', 'met'] else '; '.join(splits)))
    rows.append(('every non-blank character kept', zero('lost')))
    low = [f'{f} {s}: {default(f, s).fill():.1f}%' for f, s in keys if default(f, s).fill() < 97.0]
    fuller = sorted({tool.name for tool in PEERS for f, s in keys
                     if results[(tool.name, f, s)].fill() > default(f, s).fill()})
    rows.append(('average fill at least 97%', ('met' if not low else 'not met (' + ', '.join(low) + ')') +
                 ('; fuller: ' + ', '.join(fuller) + ' (see the counts)' if fuller else '')))
    worse = []
    for tool in PEERS:
        for f, s in keys:
            mine, theirs = default(f, s), results[(tool.name, f, s)]
            for k, heading in zip(COUNTS, HEADINGS):
                if mine.counts[k] and mine.per_thousand(k) >= theirs.per_thousand(k):
                    worse.append(f'{heading} at {f} in {s} vs {tool.name}')
    rows.append(('better than every peer on every count', 'met' if not worse else 'not met: ' + '; '.join(worse)))
    return '\n'.join(['| goal (default rules, 40 and 70 columns, both samples) | result |', '|---|---|'] +
                     [f'| {goal} | {result} |' for goal, result in rows])


def ruler(fold):
    marks = ''.join(str(i // 10 % 10) if i % 10 == 0 else ('+' if i % 5 == 0 else '.') for i in range(1, fold + 1))
    return marks


def code_block(fold, lines):
    return '```\n' + ruler(fold) + '\n' + '\n'.join(lines) + '\n```'


def written_example(key, text, work, lumotext):
    """The narrowest even fold column (where wide characters fill a line)
    at which the classic rules show the fault on a written line, with both
    folds."""
    for fold in range(8, 41, 2):
        classic = fold_paragraphs(LUMOTEXT_TOOLS[3], [text], fold, work, lumotext)[0]
        tally = Tally()
        count_paragraph(tally, 0, text, classic, fold)
        if tally.counts[key]:
            return fold, classic, fold_paragraphs(LUMOTEXT_TOOLS[0], [text], fold, work, lumotext)[0]
    return None


def examples_section(results, groups, samples, widths, bind_english_result, work, lumotext):
    out = []
    for key, label, text in FAULT_ROWS:
        # The shortest sample paragraph that shows the fault with the
        # classic rules, at the narrower width first.
        found = None
        for fold in sorted(widths):
            for sample, _ in SAMPLES:
                shown = set(results[(CLASSIC, fold, sample)].where.get(key, []))
                for index in shown:
                    candidate = (width(samples[sample][index]), fold, sample, index)
                    if found is None or candidate < found:
                        found = candidate
            if found:
                break
        out.append(f'### {label[0].upper()}{label[1:]}\n')
        if found is None:
            written = written_example(key, text, work, lumotext)
            if written is None:
                out.append('Not seen in the samples, nor on a written line, with the classic rules.\n')
                continue
            fold, classic, default = written
            out.append(f'Not in the samples; a line written for it, folded at {fold} columns. '
                       'With `--rules classic`:\n')
            out.append(code_block(fold, classic) + '\n')
            out.append('With the default rules:\n')
            out.append(code_block(fold, default) + '\n')
            continue
        _, fold, sample, index = found
        name = dict(SAMPLES)[sample]
        out.append(f'From the {name}, folded at {fold} columns. With `--rules classic`:\n')
        out.append(code_block(fold, groups[(CLASSIC, fold, sample)][index]) + '\n')
        out.append('With the default rules:\n')
        out.append(code_block(fold, groups[(DEFAULT, fold, sample)][index]) + '\n')
    folded_text, result = bind_english_result
    out.append('### English words glued together by bind\n')
    # The shortest paragraph of two lines or more that the default rules
    # bind into one line.
    bound_lines = set(result['normal'][2].split('\n'))
    joined = [b.strip('\n') for b in folded_text.split('\n\n')
              if b.strip('\n').count('\n') >= 1 and ' '.join(b.split()) in bound_lines]
    if joined:
        pick = min(joined, key=len)
        words = pick.split()
        out.append('A paragraph of the GNU GPL 3 as `fmt -w 40` folds it:\n')
        out.append('```\n' + pick + '\n```\n')
        for rules in ('classic', 'normal'):
            glued = ''.join(words)
            line = next((l for l in result[rules][2].split('\n') if l.replace(' ', '') == glued), '')
            label = '`lumotext bind --rules classic`' if rules == 'classic' else '`lumotext bind` (default rules)'
            out.append(f'{label}:\n')
            out.append('```\n' + line + '\n```\n')
    return '\n'.join(out)


def replace_section(document, name, body):
    begin, end = f'<!-- measured: {name} -->', f'<!-- end measured: {name} -->'
    pattern = re.compile(re.escape(begin) + '.*?' + re.escape(end), re.S)
    if not pattern.search(document):
        raise SystemExit(f'measure-line-breaks: no section "{name}" in the document')
    return pattern.sub(lambda _: begin + '\n' + body.strip('\n') + '\n' + end, document)


# ---------------------------------------------------------------------------

def check_tools(lumotext):
    missing = []
    for program in ('emacs', 'vim', 'perl', 'man', 'fmt'):
        if shutil.which(program) is None:
            missing.append(program)
    if subprocess.run(['perl', '-MText::LineFold', '-e', '1'], capture_output=True).returncode != 0:
        missing.append('Text::LineFold (libunicode-linebreak-perl)')
    if not os.path.isdir(MAN_DIR):
        missing.append(f'{MAN_DIR} (manpages-ja)')
    if not os.path.exists(REFERENCE):
        missing.append(f'{REFERENCE} (debian-reference-ja)')
    if not os.path.exists(ENGLISH):
        missing.append(f'{ENGLISH} (base-files)')
    if missing:
        raise SystemExit('measure-line-breaks: missing ' + ', '.join(missing) +
                         '\n  install them with: scripts/install-deps.sh measure')
    if not os.access(lumotext, os.X_OK):
        raise SystemExit(f'measure-line-breaks: {lumotext} is not built '
                         '(cmake --build --preset native --target lumotext_cli)')


def versions():
    def first_line(command):
        try:
            return subprocess.run(command, capture_output=True, text=True).stdout.split('\n')[0].strip()
        except OSError:
            return '?'

    def package(name):
        return first_line(['dpkg-query', '-W', '-f=${Version}', name]) or '?'

    return (f'Emacs {package("emacs-nox")}, Vim {package("vim")}, Text::LineFold (libunicode-linebreak-perl '
            f'{package("libunicode-linebreak-perl")}), manpages-ja {package("manpages-ja")}, '
            f'debian-reference-ja {package("debian-reference-ja")}, groff {package("groff-base")}')


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('--lumotext', default=os.path.join(ROOT, 'build', 'native', 'lumotext'))
    parser.add_argument('--widths', default='40,70', help='fold columns, comma-separated (default 40,70)')
    parser.add_argument('--kilobytes', type=int, default=300, help='size of each sample (default 300)')
    parser.add_argument('--write', metavar='DOC', help='replace the measured sections of DOC')
    parser.add_argument('--keep', metavar='DIR', help='keep the samples and every folded output in DIR')
    args = parser.parse_args()
    lumotext = os.path.abspath(args.lumotext)
    check_tools(lumotext)
    widths = [int(w) for w in args.widths.split(',')]

    started = time.time()
    samples = {'man': man_sample(args.kilobytes), 'ref': reference_sample(args.kilobytes)}
    for name, lines in samples.items():
        if SEPARATOR in lines:
            raise SystemExit(f'measure-line-breaks: the {name} sample holds the separator line')
    work = args.keep or tempfile.mkdtemp(prefix='measure-line-breaks.')
    os.makedirs(work, exist_ok=True)
    for name, lines in samples.items():
        with open(os.path.join(work, f'sample-{name}.txt'), 'w', encoding='utf-8') as f:
            f.write('\n'.join(lines) + '\n')

    results, groups = {}, {}
    tools = LUMOTEXT_TOOLS + PEERS
    for sample, _ in SAMPLES:
        for fold in widths:
            for tool in tools:
                clock = time.time()
                tally, folded_groups = measure(tool, samples[sample], fold, work, lumotext)
                results[(tool.name, fold, sample)] = tally
                groups[(tool.name, fold, sample)] = folded_groups
                print(f'  {sample} {fold:3d} {tool.name:18s} {tally.lines:6d} lines  {time.time() - clock:5.1f} s',
                      file=sys.stderr)
                if args.keep:
                    shutil.copy(os.path.join(work, 'out.txt'),
                                os.path.join(work, f'{sample}-{fold}-{tool.name.replace(" ", "-").replace(":", "")}.txt'))
    bind = measure_bind(work, lumotext)

    sections = {
        'setup': (f'Samples of {args.kilobytes} KB each: the manual pages {len(samples["man"])} lines, '
                  f'the Debian Reference {len(samples["ref"])} paragraphs. Measured with {versions()}.'),
        'counts': '\n\n'.join(f'**{title}** (per 1,000 output lines; fill in per cent)\n\n'
                              + counts_table(results, tools, widths, sample) for sample, title in SAMPLES),
        'classes': classes_table(results, [t for t in tools if t.name not in ('lumotext strict', 'lumotext loose')],
                                 widths),
        'goals': goals_table(results, widths),
        'faults': faults_table(results, widths, bind[1]),
        'examples': examples_section(results, groups, samples, widths, bind, work, lumotext),
    }
    if not args.keep:
        shutil.rmtree(work)
    if args.write:
        with open(args.write, encoding='utf-8') as f:
            document = f.read()
        for name, body in sections.items():
            document = replace_section(document, name, body)
        with open(args.write, 'w', encoding='utf-8') as f:
            f.write(document)
        print(f'measure-line-breaks: wrote {args.write} in {time.time() - started:.0f} s', file=sys.stderr)
    else:
        for name, body in sections.items():
            print(f'## {name}\n\n{body}\n')


if __name__ == '__main__':
    main()
