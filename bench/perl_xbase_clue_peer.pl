# The clue benchmark's look-ups done with Perl's XBase module, for comparison: for each word,
# find_eq in the ENTRY index, then the entry's records while MORE says so (a miss stands on the
# entry that follows the word).
#
# Usage: perl_xbase_clue_peer.pl <folder> <file of words>
# Prints "<figure> <microseconds>" lines: mean_us, p99_us, hit_mean_us, miss_mean_us.
use strict;
use warnings;
use Time::HiRes qw(time);
use XBase;

my ($folder, $wordFile) = @ARGV;
my $table = XBase->new("$folder/CLUES.DBF") or die XBase->errstr;
my $cursor = $table->prepare_select_with_index(["$folder/CLUES.NDX"]) or die $table->errstr;
open(my $words, '<', $wordFile) or die "$wordFile: $!";

my (@all, @hits, @misses);
my $clues = 0;
while (my $word = <$words>) {
  chomp $word;
  my $start = time;
  $cursor->find_eq($word);
  my $found = 0;
  my $continuation = '';
  while (my @row = $cursor->fetch) {
    my $entry = $row[0];
    $entry =~ s/\s+$//;
    last unless $entry eq $word . $continuation;
    $found = 1;
    $clues += grep { defined $_ && $_ ne '' } @row[2 .. $#row];
    last unless $row[1];
    $continuation .= '&';
  }
  my $micros = (time - $start) * 1e6;
  push @all, $micros;
  push @{ $found ? \@hits : \@misses }, $micros;
}
close $words;

sub mean { my $total = 0; $total += $_ for @_; return @_ ? $total / @_ : 0; }
my @sorted = sort { $a <=> $b } @all;
printf "mean_us %.3f\n", mean(@all);
printf "p99_us %.3f\n", $sorted[int(@sorted * 99 / 100)];
printf "hit_mean_us %.3f\n", mean(@hits);
printf "miss_mean_us %.3f\n", mean(@misses);
