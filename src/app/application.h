#pragma once
// The program's run from the first window to the end: builds the windows,
// shows the main one, closes it on SIGTERM, SIGINT and SIGHUP as File > Exit
// does, and ends the event loop once its close sequence has run, whatever
// happened in it. The seams must be installed first.

// Returns the event loop's exit status.
int runQuillmar();
