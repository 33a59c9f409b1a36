# The memo benchmark's work done with Perl's XBase module, for comparison.
#
# Usage: perl_xbase_memo_peer.pl <folder> <records> <version: 3, 0x0B or 0xF5>
# Prints one line per figure: "<name> <per second>".
use strict;
use warnings;
use Time::HiRes qw(time);
use XBase;

my ($folder, $records, $version) = @ARGV;
my @lengths = (10, 100, 600, 3000);
my $line = substr("the clue of a crossword, with its answer and some notes on it", 0, 58) . "\r\n";
sub text { my $length = $lengths[$_[0] % 4]; return substr($line x (int($length / length($line)) + 1), 0, $length); }

my $path = "$folder/plxbase_memo_$version.dbf";
unlink $path;
my $table = XBase->create(name => $path, version => oct($version),
  field_names => [qw(NAME NOTES)], field_types => [qw(C M)],
  field_lengths => [10, 10], field_decimals => [0, 0]) or die XBase->errstr;
my $start = time;
for my $i (0 .. $records - 1) {
  $table->set_record($i, "n$i", text($i)) or die $table->errstr;
}
printf "write %.0f\n", $records / (time - $start);
$table->close;

$table = XBase->new($path) or die XBase->errstr;
$start = time;
my $total = 0;
for my $i (0 .. $table->last_record) {
  my @row = $table->get_record($i);
  $total += length $row[2];
}
printf "read %.0f\n", $records / (time - $start);
$table->close;
