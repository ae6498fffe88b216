// What the command tests share: a fresh folder for each test, removed
// afterwards, and a run of a program through the shell with no input, giving
// its exit code and everything it wrote to standard output and standard
// error. Linux only.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <utility>
#include <vector>

#include <dirent.h>

namespace toneloom::test {

struct Outcome
{
    int exitCode = -1; // -1 when the program did not exit by itself
    std::string out;
    std::string err;
};

// `arg` as one shell word, whatever it holds.
inline std::string Quote(const std::string& arg)
{
    std::string quoted = "'";
    for (char c : arg) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// The whole file, or "" when it does not open.
inline std::string Slurp(const std::string& path)
{
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
            text.append(buffer, n);
        }
        std::fclose(f);
    }
    return text;
}

class CommandTest : public ::testing::Test
{
protected:
    // The test's folder is /tmp/<folderPrefix>-XXXXXX.
    explicit CommandTest(std::string folderPrefix) : prefix(std::move(folderPrefix)) {}

    void SetUp() override
    {
        std::string pattern = "/tmp/" + prefix + "-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override
    {
        [[maybe_unused]] const int removed = std::system(("rm -rf " + Quote(dir)).c_str());
    }

    // Runs `program` (the start of a shell command line: the program's path
    // quoted, after any variable assignments) with `args`. Its output is
    // captured in files in the test's folder, gone again when this returns.
    Outcome RunCommand(const std::string& program, const std::vector<std::string>& args)
    {
        std::string command = program;
        for (const std::string& arg : args) {
            command += " " + Quote(arg);
        }
        const std::string outPath = dir + "/.stdout";
        const std::string errPath = dir + "/.stderr";
        command += " > " + Quote(outPath) + " 2> " + Quote(errPath) + " < /dev/null";
        Outcome outcome;
        const int status = std::system(command.c_str());
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.out = Slurp(outPath);
        outcome.err = Slurp(errPath);
        std::remove(outPath.c_str());
        std::remove(errPath.c_str());
        return outcome;
    }

    // Names in the test's folder (the captured output is gone by then).
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        if (DIR* d = opendir(dir.c_str())) {
            while (dirent* e = readdir(d)) {
                const std::string name = e->d_name;
                if (name != "." && name != "..") {
                    names.push_back(name);
                }
            }
            closedir(d);
        }
        return names;
    }

    std::string dir;

private:
    std::string prefix;
};

} // namespace toneloom::test
