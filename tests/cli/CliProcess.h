#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace clitest {

/// How a run of the program ended and what it wrote.
struct CliRun {
    int exitCode = -1; ///< -1 when it did not exit normally
    bool timedOut = false;
    std::string out;
    std::string err;
};

/// Runs program with arguments (no shell), standard input from /dev/null and the two outputs
/// captured. While it runs, whileRunning(pid) is called once; then the run is awaited for at
/// most timeout and killed after it.
CliRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::function<void(int)>& whileRunning = {},
                  std::chrono::seconds timeout = std::chrono::seconds(60));

/// Waits until a file is created in folder; false after timeout. Watches from its
/// construction on; each Wait consumes the creations it saw.
class CreationWatch {
public:
    explicit CreationWatch(const std::string& folder);
    ~CreationWatch();
    CreationWatch(const CreationWatch&) = delete;
    CreationWatch& operator=(const CreationWatch&) = delete;

    bool Wait(std::chrono::milliseconds timeout);

private:
    int fd_ = -1;
};

} // namespace clitest
