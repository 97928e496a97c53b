#pragma once

#include <string>

// Tells, before any window system is touched, whether the desktop program has a display to
// show itself on, so that a start without one ends with a plain message instead of Qt's abort.
class DisplayCheck
{
public:
    // Empty when a display is there (or a Qt platform was chosen explicitly); otherwise the one
    // line to print.
    static std::string problem();

private:
    static bool x11Answers(const std::string &display);
    static bool waylandAnswers(const std::string &display);
    static bool socketAnswers(const std::string &path, bool abstract);
};
