# The expression benchmark's filter run by DBD::XBase, for comparison.
#
# Usage: perl_xbase_filter.pl <folder> <table name without .dbf>
# Prints "filter <records per second>" and "selected <records>".
use strict;
use warnings;
use DBI;
use Time::HiRes qw(time);

my ($folder, $table) = @ARGV;
my $dbh = DBI->connect("dbi:XBase:$folder", undef, undef, {RaiseError => 1}) or die $DBI::errstr;
my $records = 0;
my $count = $dbh->prepare("SELECT TAG FROM $table");
$count->execute;
$records++ while $count->fetchrow_arrayref;

my $start = time;
my $select = $dbh->prepare("SELECT TAG FROM $table WHERE AMOUNT > 500 AND NAME LIKE 'DELTA%'");
$select->execute;
my $selected = 0;
$selected++ while $select->fetchrow_arrayref;
printf "filter %.0f\nselected %d\n", $records / (time - $start), $selected;
