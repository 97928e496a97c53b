#pragma once

class QFileDevice;
class QString;

// The few file operations Qt does not offer portably.

// Forces what was written to an open file onto the disk; false when the system refuses.
bool syncToDisk(QFileDevice &file);
// Puts from in the place of to in one step, replacing an existing file; false with the reason
// in error when that fails.
bool replaceFile(const QString &from, const QString &to, QString &error);
