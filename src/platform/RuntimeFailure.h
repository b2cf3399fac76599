#pragma once
#include <stdexcept>
#include <string>

// The one failure type of the program. Numbers follow the classic runtime errors so the
// report reads the same as users have always seen it.
struct RuntimeFailure : std::runtime_error {
    int number;
    std::string source;
    std::string description;

    RuntimeFailure(int number, std::string description, std::string source = "Corvane")
        : std::runtime_error(description), number(number), source(std::move(source)),
          description(std::move(description)) {}
};

namespace failure {
constexpr int InvalidProcedureCall = 5;
constexpr int SubscriptOutOfRange = 9;
constexpr int TypeMismatch = 13;
constexpr int BadFileNameOrNumber = 52;
constexpr int FileNotFound = 53;
constexpr int FileAlreadyExists = 58;
constexpr int InputPastEndOfFile = 62;
constexpr int PermissionDenied = 70;
constexpr int PathFileAccessError = 75;
constexpr int PathNotFound = 76;

// Raises the classic failure with its usual text.
[[noreturn]] void raise(int number);
// The usual text of a classic failure number.
std::string textOf(int number);
}  // namespace failure
