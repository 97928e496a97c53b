#pragma once

// While it lives, Ctrl+C (and a polite kill) only set the program-wide stop flag, so the
// engine ends its job cleanly: a partial box is removed and the exit status tells it.
// A blocking read of the password is interrupted rather than resumed.
class InterruptGuard
{
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;
};
