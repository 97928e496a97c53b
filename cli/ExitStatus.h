#pragma once

// The exit statuses scripts rely on; their values never change.
enum class ExitStatus : int {
    Done = 0,
    WrongPasswordOrDamaged = 1,
    Usage = 2,
    Stopped = 3,
    Failed = 4,
};
