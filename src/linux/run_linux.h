// The Linux program's main function: the shared start-up order with the X11
// and GLX steps, then the event loop. Returns the process exit status.
#pragma once

int runLinuxApplication();
