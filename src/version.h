// The program's version, in the one place it is written: the version box,
// the version resource (res/velmora.rc) and the names of the download
// packages (Makefile) all take it from here.
#pragma once

// NOLINTNEXTLINE(cppcoreguidelines-macro-usage): windres reads it too
#define VELMORA_VERSION "1.01"
// The same as the version resource's numbers: major, minor, 0, 0.
#define VELMORA_VERSION_NUMBERS 1, 1, 0, 0
