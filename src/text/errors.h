#pragma once

#include <QString>
#include <stdexcept>

// A run-time error inside a procedure: caught by the procedure's trap and handed to
// FatalErrorDump. Expected problems (bad input, missing files) are messages, never these.
class RuntimeError : public std::runtime_error {
  public:
    RuntimeError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), number_(number),
          description_(description) {}
    int number() const { return number_; }
    QString description() const { return description_; }

  private:
    int number_;
    QString description_;
};

// Error numbers follow the classic run-time numbering so dumps and messages read familiarly.
namespace errnum {
constexpr int TypeMismatch = 13;
constexpr int Overflow = 6;
constexpr int DivisionByZero = 11;
constexpr int FileNotFound = 53;
constexpr int FileIO = 75;
constexpr int PermissionDenied = 70;
} // namespace errnum

// Thrown after the host has been told to end the program, so that nothing after the
// call runs; the event entry point catches it and returns. Deliberately not a RuntimeError.
struct ProgramEnded {};
