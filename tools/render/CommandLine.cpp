#include "CommandLine.h"

#include <CLI/CLI.hpp>

#include <cstdio>

namespace toneloom {

namespace {

const char* programName = "toneloom";

} // namespace

void SetProgramName(const char* name)
{
    programName = name;
}

int Fail(const std::string& message, int code)
{
    std::fprintf(stderr, "%s: %s\n", programName, message.c_str());
    return code;
}

void Warn(const std::string& message)
{
    std::fprintf(stderr, "%s: warning: %s\n", programName, message.c_str());
}

bool ParseCommandLine(CLI::App& app, int argc, char** argv, int* exitCode)
{
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        *exitCode = app.exit(e);
        return false;
    } catch (const CLI::CallForVersion& e) {
        *exitCode = app.exit(e);
        return false;
    } catch (const CLI::ParseError& e) {
        *exitCode = Fail(e.what(), kExitUsage);
        return false;
    }
    return true;
}

} // namespace toneloom
