// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace testsupport {

/// The program of that name on PATH, or empty: tests that need a tool the machine lacks skip.
std::string FindProgram(const std::string& name);

/// How a run of an external tool ended and what it printed.
struct ProgramRun {
    int exitCode = -1;  ///< -1 when it did not exit normally
    std::string output; ///< standard output and standard error together
};

/// Runs program with arguments (no shell, standard input from /dev/null) to its end.
ProgramRun RunExternal(const std::string& program, const std::vector<std::string>& arguments);

} // namespace testsupport
