// What the command-line tools share in how they talk to their user: every
// message is one line on standard error that starts with the program's name
// ("toneloom-play: no output device"), and failures end with a non-zero exit
// code; the command line is parsed the same way, help and version included.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace toneloom {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2; // a command line the program cannot take

// Names the program in every later message; once, at the start of main.
void SetProgramName(const char* name);

// Writes "PROGRAM: `message`" to standard error and returns `code`, so a
// failing step reads `return Fail(...)`.
int Fail(const std::string& message, int code = kExitFailure);
// Writes "PROGRAM: warning: `message`" to standard error.
void Warn(const std::string& message);

// Parses the command line into `app`'s options. False when the program
// should end at once, with its exit code in `*exitCode`: after printing help
// or the version (0), or after a one-line usage error (kExitUsage).
bool ParseCommandLine(CLI::App& app, int argc, char** argv, int* exitCode);

} // namespace toneloom
