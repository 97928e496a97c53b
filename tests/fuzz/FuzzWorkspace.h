#pragma once

#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

// The one folder the fuzz target may touch: the box file and two extraction folders.
// After each input it must hold nothing else.
class FuzzWorkspace
{
public:
    FuzzWorkspace();

    void writeBox(const uint8_t *data, size_t size) const;
    // Aborts, naming the intruder, when anything but the box and the two folders is there;
    // then empties the workspace for the next input.
    void checkAndClear() const;

    QString box;
    QString whole;     // extraction of the whole box
    QString selection; // one file at a time

private:
    QTemporaryDir dir;
};
