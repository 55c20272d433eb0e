// The folder the program was started from, captured once.
#pragma once

class Directory {
public:
    Directory();
    ~Directory();
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    // The folder without a trailing separator; empty when it could not be read.
    // Null when the object is inert (its state could not be allocated).
    const char* path() const;

private:
    struct State;
    State* state;
};
