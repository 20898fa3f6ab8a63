#!/usr/bin/perl
# Independent reader for the databases our tests write: loads the file with Palm::PDB
# and prints what it found, one fact a line, for the tests to compare.
use strict;
use warnings;
use Palm::PDB;
use Palm::Raw;

my $path = shift or die "usage: palm_check.pl FILE\n";
my $pdb = Palm::PDB->new;
$pdb->Load($path);
my $name = $pdb->{name};
$name =~ s/\0.*//s;
print "name $name\n";
print "type $pdb->{type}\n";
print "creator $pdb->{creator}\n";
print "version $pdb->{version}\n";
my @records = @{$pdb->{records} || []};
print "records ", scalar(@records), "\n";
foreach my $r (@records) {
    print "length ", length($r->{data}), "\n";
}
