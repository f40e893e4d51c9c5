// The Linux program's signals, for either session: SIGTERM, SIGINT and SIGHUP end it at once.
#pragma once

// Each of them ends the process through EndProcess(EndReason::Signal); one ignored at start (a
// background job of a script) stays ignored.
void EndOnSignals();
