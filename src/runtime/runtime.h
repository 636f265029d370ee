// Runtime services of our own where the compiler's runtime does otherwise.
#ifndef AUTORUN_RUNTIME_H
#define AUTORUN_RUNTIME_H

// The command-line tail after the program's own name: leading blanks and
// tabs skipped; a name in double quotes runs to the closing quote, any other
// name to the next blank; a tab or the end of the line also ends it; the
// closing quote and all blanks and tabs after the name are skipped.
const char* SkipProgramName(const char* szCommandLine);

#endif
