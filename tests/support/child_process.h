// For the servers the tests start as child processes.
#pragma once

#include <sys/prctl.h>

#include <csignal>

namespace tarnwick::testing {

// Called in the child before exec: a test that aborts (a sanitizer report, a crash) cannot run
// its destructors, and a server left behind would keep the test's output open and ctest waiting
// for it until the timeout.
inline void EndWithParent() { prctl(PR_SET_PDEATHSIG, SIGTERM); }

}  // namespace tarnwick::testing
