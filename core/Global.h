#pragma once

#include <QString>
#include <QtGlobal>

#include <atomic>

// Program-wide fields, one each per process.
namespace Global {

inline const QString AppName = QStringLiteral("Vaulnix");

inline QString AppPath;
inline QString AppVersion;
inline QString CurrentUserName;
inline QString CurrentUserPassword;
inline QString DefaultFolder;
// Set when the user agreed to cancel the current process; also set from a signal handler.
inline std::atomic<qint16> StopRequested{0};
inline qint16 DialogResult = 0;
inline QString DialogBoxFile;
inline QString DialogBoxName;
inline QString DialogFolder;
inline qint16 DialogShred = 0;
inline qint16 DialogAutoSet = 0;
inline QString SelectedFiles;
inline qint32 ScanFileCount = 0;

// Creates every missing folder along path (a final separator makes the last part a folder).
// Returns false when a folder could not be created.
bool CreatePath(const QString &path);
// "Vaulnix v1.0.0"
QString VersionTitle();

} // namespace Global
