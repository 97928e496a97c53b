#pragma once

#include <QString>

// The folder chooser and small path helpers. Paths use "/" as separator.
namespace API {

inline const QString BoxFilter = QStringLiteral("Vaulnix Files (*.vlx)|*.vlx");
inline const QString BoxExtension = QStringLiteral("vlx");

// Full path of the chosen folder, or "" when cancelled.
QString BrowseForFolder(const QString &Title);
// Up to and including the last separator; "" when there is none.
QString PathFolderPart(const QString &Path);
// After the last separator; the whole path when there is none.
QString PathFileName(const QString &Path);
// After the last "." anywhere in the path, lower-cased; "" when there is no ".".
QString PathExtension(const QString &Path);

} // namespace API
