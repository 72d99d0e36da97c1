// Ending on SIGINT, SIGTERM and SIGHUP (Ctrl-C, kill, a closed terminal): the first signal sets a flag that
// every loop and every wait of zarpa checks, so the run unwinds promptly, removes its temporary files and
// exits with 128 + the signal's number, as shells expect. A second signal while unwinding removes the
// registered temporary files from the handler itself and ends the process at once.
#pragma once

#include <string>

namespace zarpacli {

void installInterruptHandler();

// 0, or the number of the signal that asked zarpa to stop.
int pendingSignal();

// Throws the CliError of an interrupt (exit code 128 + signal) when a signal has arrived.
void throwIfInterrupted();

// Temporary files the handler removes on a second signal. A fixed number of slots, filled without
// allocation so that the handler may read them; register returns -1 when all are taken (the file is then
// still removed by the normal unwinding).
int registerTemporary(const std::string& path);
void unregisterTemporary(int slot);

}  // namespace zarpacli
