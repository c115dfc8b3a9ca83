#!/usr/bin/perl
# Runs the media bridge: loads the library named by the first argument and
# calls its entry quib_bridge_run, which speaks the line protocol on the
# standard streams and never returns.
use strict;
use warnings;
use DynaLoader;

my $library = shift @ARGV or die "quib-bridge: usage: bridge.pl <path of libQuibMediaBridge.so>\n";
my $handle = DynaLoader::dl_load_file($library, 0)
    or die "quib-bridge: cannot load $library: " . DynaLoader::dl_error() . "\n";
my $entry = DynaLoader::dl_find_symbol($handle, 'quib_bridge_run')
    or die "quib-bridge: missing symbol quib_bridge_run\n";
# The entry takes no arguments; as an XSUB it ignores the interpreter's.
my $run = DynaLoader::dl_install_xsub('Quib::Bridge::run', $entry);
&$run();
exit 0;
