#!/usr/bin/perl
# Folds a text with Text::LineFold (Unicode::LineBreak, UAX #14) for the
# line-break measurement (scripts/measure-line-breaks.py): every line its own
# paragraph, at ColMax FOLD, in the Japanese (East Asian) context, where
# ambiguous characters are wide. A line's indentation carries to its
# continuation lines, as with the other tools measured.
# Usage: FOLD=N perl measure-line-breaks.pl < IN > OUT
use strict;
use warnings;
use Text::LineFold;

binmode STDIN, ':encoding(UTF-8)';
binmode STDOUT, ':encoding(UTF-8)';
my $fold = Text::LineFold->new(ColMax => $ENV{FOLD}, Language => 'JA', OutputCharset => '_UNICODE_');
die "Text::LineFold: no East Asian context\n" unless $fold->config('Context') eq 'EASTASIAN';
while (my $line = <STDIN>) {
    chomp $line;
    # fold() of a blank line gives nothing; it stays as it is.
    if ($line !~ /\S/) { print "$line\n"; next; }
    my ($indent) = $line =~ /^([ \t]*)/;
    print $fold->fold('', $indent, $line);
}
