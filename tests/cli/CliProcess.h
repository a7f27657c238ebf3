// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
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
/// captured. inChild runs in the new process just before the program replaces it, to change
/// what the program starts with (descriptors, limits, environment). While it runs,
/// whileRunning(pid) is called once; then the run is awaited for at most timeout and killed
/// after it.
CliRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::function<void(int)>& whileRunning = {},
                  const std::function<void()>& inChild = {},
                  std::chrono::seconds timeout = std::chrono::seconds(60));

/// Waits until files are opened in folder, as a job's working file is (it may have no name to be
/// created under), or, with arrivals, renamed into it (a finished output takes its name so);
/// watches from its construction on and counts every one, so each Wait takes one.
class CreationWatch {
public:
    explicit CreationWatch(const std::string& folder, bool arrivals = false);
    ~CreationWatch();
    CreationWatch(const CreationWatch&) = delete;
    CreationWatch& operator=(const CreationWatch&) = delete;

    /// False when no creation came before timeout.
    bool Wait(std::chrono::milliseconds timeout);

private:
    int fd_ = -1;
    std::size_t unclaimed_ = 0;
};

/// A pipe whose ends are closed on destruction and not inherited by the program.
class Pipe {
public:
    Pipe();
    ~Pipe();
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int ReadEnd() const { return ends_[0]; }
    int WriteEnd() const { return ends_[1]; }
    void CloseReadEnd();
    void CloseWriteEnd();

private:
    int ends_[2] = {-1, -1};
};

/// A pseudo-terminal: the program's side for its descriptors, the test's side to type on and
/// to read what the program showed.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    /// In the child: the terminal becomes its controlling terminal (so Ctrl-C typed on it
    /// interrupts the program) and each of fds.
    void Attach(std::initializer_list<int> fds) const;
    /// In the test, once the program runs: without the test's copy of the program's side the
    /// test's side reads an end when the program has exited.
    void CloseProgramSide();
    int TestSide() const { return test_; }
    void Type(std::string_view text) const;

private:
    int test_ = -1;
    int program_ = -1;
};

/// What the program writes into a pipe or a terminal the test reads, gathered as it comes.
class Transcript {
public:
    explicit Transcript(int fd) : fd_(fd) {}

    /// Reads until text appears after the last text waited for; false when the writer ended
    /// or timeout passed first.
    bool WaitFor(std::string_view text,
                 std::chrono::milliseconds timeout = std::chrono::seconds(20));
    /// Reads until the writer has ended; false on timeout.
    bool ReadToEnd(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    const std::string& Text() const { return text_; }

private:
    /// One read; false at the end or when the deadline passed.
    bool ReadSome(std::chrono::steady_clock::time_point deadline);

    int fd_;
    std::string text_;
    std::size_t searchFrom_ = 0;
};

/// The names in a folder, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);
/// The same without hidden names: a process ended without a chance to clean up may leave a
/// hidden temporary file, never one under an output's name.
std::vector<std::string> VisibleEntries(const std::string& folder);

} // namespace clitest
