// SPDX-License-Identifier: MIT
// Ctrl-C and its kin. SIGINT, SIGTERM and SIGHUP (on Windows the console's
// Ctrl-C and Ctrl-Break) only set a flag, which the resizes poll between rows:
// no new file starts, and every file in flight is given up, its new file
// removed. The same signal again within two seconds of the first is the same
// interrupt: timeout, kill -- -PGID, systemd and Slurm signal the tool and
// then its whole process group. Another signal, or the same one later (a
// second Ctrl-C), ends the tool at once: its handler removes the new files in
// flight, writes the "interrupted:" line and exits (forced_exit.h). On
// Windows every Ctrl-C only sets the flag. A signal that was ignored when the
// tool started (nohup, a background job) stays ignored. SIGXFSZ is ignored,
// so that a write past a file-size limit fails as a write and the new file is
// removed.
#pragma once

#include <csignal>

// Installs the handlers; answers the flag they set, with an atomic store, as
// the library reads it: nonzero once interrupted.
const volatile std::sig_atomic_t* CatchInterrupts();

// The signal that set the flag, 0 while none did. The tool then exits with
// 128 + this number.
int InterruptSignal();
