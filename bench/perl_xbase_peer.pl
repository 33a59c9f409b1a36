# The table benchmark's work done with Perl's XBase module, for comparison.
#
# Usage: perl_xbase_peer.pl <folder> <records> <random reads>
# Prints one line per figure: "<name> <per second>".
use strict;
use warnings;
use Time::HiRes qw(time);
use XBase;

my ($folder, $records, $reads) = @ARGV;
my $path = "$folder/plxbase.dbf";
unlink $path;
my $table = XBase->create(
  name => $path,
  field_names => [qw(TAG NAME AMOUNT COUNT DAY FLAG NOTE)],
  field_types => [qw(C C N N D L C)],
  field_lengths => [20, 40, 10, 8, 8, 1, 12],
  field_decimals => [0, 0, 2, 0, 0, 0, 0],
) or die XBase->errstr;

my $start = time;
for my $i (0 .. $records - 1) {
  $table->set_record($i, "T$i", "name of the record", $i * 0.25, $i, "20240517", $i % 2 == 0 ? 1 : 0, "note")
    or die $table->errstr;
}
printf "appends %.0f\n", $records / (time - $start);
$table->close;

$table = XBase->new($path) or die XBase->errstr;
$start = time;
my $total = 0;
for my $i (0 .. $table->last_record) {
  my @row = $table->get_record($i);
  $total += $row[4];
}
my $scanned = $records / (time - $start);
# get_record reads every field of the record: the scan is also the every-field scan.
printf "scan %.0f\n", $scanned;
printf "scan_fields %.0f\n", $scanned;

srand(1);
$start = time;
for (1 .. $reads) {
  my @row = $table->get_record(int(rand($records)));
  $total += $row[4];
}
printf "random_go %.0f\n", $reads / (time - $start);
$table->close;
