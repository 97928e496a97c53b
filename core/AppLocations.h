#pragma once

#include <QString>

// Where the desktop program keeps its files on this computer.
class AppLocations
{
public:
    // The profile folder, ending in "/": the program's own folder when it already holds
    // profiles (a portable copy keeps them), otherwise the user's data folder.
    static QString profileFolder(const QString &programFolder, const QString &dataFolder);
    static bool holdsProfiles(const QString &folder);
    // Creates a missing folder (and its parents) and makes the folder itself private to the
    // user. False when it cannot be created.
    static bool makePrivateFolder(const QString &folder);
    // The single-instance lock: in the login session's runtime folder, else one per user in the
    // temporary folder.
    static QString instanceLockFile();
};
