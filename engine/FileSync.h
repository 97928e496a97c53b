#pragma once

class QFileDevice;

// Forces what was written to an open file onto the disk; false when the system refuses.
bool syncToDisk(QFileDevice &file);
