// SIGINT and SIGTERM for both Linux front ends, which end their loops in
// order on either: the handler only notes the signal and wakes the loop
// through a pipe, which the loop polls beside its connection. A second
// Ctrl+C ends the program at once, should the orderly end hang. POSIX only.
#pragma once

// Installs the handlers; where no pipe can be made the default handlers
// stay (an abrupt end, but an end).
void endOnSignals();

// The signal that ends the program, 0 while none has come.
int endingSignal();

// How the program ends before its time, as its exit status: 128 plus the
// ending signal's number, as shells report a program a signal ended; else
// -1 where the display failed (lost, or it reported an error); else 0.
int earlyEndStatus(bool displayFailed);

// The pipe's end to poll for the wake-up; -1 without one.
int endingSignalDescriptor();

// A pause that an ending signal cuts short: the program is to end anyway.
void sleepMilliseconds(unsigned milliseconds);
