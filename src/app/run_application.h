#pragma once

// The whole program: banner, windows, shared glyph lists, timer and message
// loop. Returns the process exit status: 0 after a normal end, -1 when the
// program could not start.
int runApplication();
