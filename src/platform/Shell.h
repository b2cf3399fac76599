#pragma once
#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <vector>

// Starting outside programs, without ever handing text to a command interpreter.
class Shell {
public:
    // Values the detached start returns; anything above 32 is success.
    static constexpr int Started = 42;
    static constexpr int ErrorFileNotFound = 2;
    static constexpr int ErrorPathNotFound = 3;
    static constexpr int ErrorAccessDenied = 5;
    static constexpr int ErrorNoAssociation = 31;

    virtual ~Shell() = default;

    // Opens a file, program or web address and returns at once; the started program outlives
    // this one. A bare program name is looked up in the directory first, then on PATH. What
    // cannot be started is said through sayCannotStart, as the system's shell says it.
    virtual int execute(const std::string& operation, const std::string& file, const std::string& parameters,
                        const std::string& directory, int showCmd) = 0;

    // Sets the process's working folder; it stays so. Raises 76 when the folder is missing.
    virtual void setCurrentDirectory(const std::string& directory) = 0;

    // Runs one command text (program and parameters) from the working folder and waits for it.
    // Returns its exit code; raises RuntimeFailure when it cannot be started. A program we wait
    // for, here and in capture, reads an empty input, writes nothing into our output and leads a
    // process group of its own, which ends with us: on SIGTERM, SIGINT and SIGHUP the group is
    // killed before the signal takes its course, and a SIGKILL of ours kills the program too.
    virtual int runAndWait(const std::string& command) = 0;

    // What a program wrote to its standard output and error, in the order it wrote it.
    struct Output {
        std::string text;
        bool finished = false;  // it ended on its own, within the time and the byte limit
    };

    // Runs a program (its path as given: no search, no shell, no wine) with these arguments and
    // an empty input, from our working folder, and collects its output. A program still running
    // after timeoutMs, or writing more than maxBytes, is ended together with everything it
    // started; what it wrote so far is kept. Raises RuntimeFailure when it cannot be started.
    virtual Output capture(const std::string& program, const std::vector<std::string>& arguments, int timeoutMs,
                           std::size_t maxBytes) = 0;

    // Told the file's name and one sentence naming it and why, when an open cannot start it;
    // unset, nothing is said.
    std::function<void(const std::string& title, const std::string& message)> sayCannotStart;
};

// The real thing: fork and exec, with wine for Windows executables and xdg-open for
// documents and web addresses.
class SystemShell : public Shell {
public:
    int execute(const std::string& operation, const std::string& file, const std::string& parameters,
                const std::string& directory, int showCmd) override;
    void setCurrentDirectory(const std::string& directory) override;
    int runAndWait(const std::string& command) override;
    Output capture(const std::string& program, const std::vector<std::string>& arguments, int timeoutMs,
                   std::size_t maxBytes) override;

private:
    std::set<std::string> said_;
};
