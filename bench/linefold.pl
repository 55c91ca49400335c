#!/usr/bin/perl
# Text::LineFold (Unicode line breaking) folding a Shift-JIS file at a column,
# as make bench runs it beside lumotext: the whole file read, folded with
# CR LF line ends and written to standard output.
# Usage: perl bench/linefold.pl COLUMNS FILE
use strict;
use warnings;
use Text::LineFold;

my ($columns, $path) = @ARGV;
die "usage: linefold.pl COLUMNS FILE\n" unless defined $path;
open(my $in, '<:raw', $path) or die "$path: $!\n";
my $text = do { local $/; <$in> };
my $fold = Text::LineFold->new(
    Charset       => 'Shift_JIS',
    OutputCharset => 'Shift_JIS',
    ColMax        => $columns,
    Newline       => "\r\n",
);
binmode STDOUT;
print $fold->fold('', '', $text);
