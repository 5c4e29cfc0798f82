#pragma once
// The one exception type of the core: an error number and its description.
#include <stdexcept>
#include <string>

class AppError : public std::runtime_error {
public:
    AppError(long number, const std::string& description) : std::runtime_error(description), number_(number) {}
    long number() const { return number_; }

private:
    long number_;
};

// The run-time error being handled: number and description of the exception
// in flight (SQLite result codes and errno values become the number).
struct ErrorInfo {
    long number = 0;
    std::string description;
};

// Reads the exception currently being handled; number 0 and no text when none.
ErrorInfo CurrentError();
