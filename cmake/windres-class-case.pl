#!/usr/bin/perl
# windres writes the class names of dialog controls in upper case; the
# templates name the common-control classes in lower case, as Windows'
# resource compiler keeps them. Rewrites those UTF-16 names in a .res file.
# Usage: windres-class-case.pl FILE.res
use strict;
use warnings;
local $/;
my $file = shift or die "usage: $0 FILE.res\n";
open(my $in, '<:raw', $file) or die "$file: $!\n";
my $data = <$in>;
close $in;
$data =~ s/M\0S\0C\0T\0L\0S\0_\0(?:[A-Z0-9]\0)+/lc $&/ge;
open(my $out, '>:raw', $file) or die "$file: $!\n";
print $out $data;
close $out;
