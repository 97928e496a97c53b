#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The profile store: one password-protected file per user in the profile folder, holding the
// user's default folder and actions. User-facing problems are shown through Prompt and answered
// with false; nothing here throws except running out of action IDs.
namespace UserManagement {

inline const QString ProfileExtension = QStringLiteral(".vlu");
inline const QString InvalidPassword = QStringLiteral("Invalid password");

// Ends with "/"; set by ListProfiles.
inline QString ProfileFolder;
// Lower-cased names of the profiles found by the last ListProfiles.
inline QStringList ProfileNames;

void OpenProfileStore();
void CloseProfileStore();
void ListProfiles(const QString &folder);
// Loads everything or nothing: a damaged profile is reported and changes nothing.
bool LoadProfile(const QString &UserName, const QString &Password);
// Writes the logged-on user's profile atomically; false (and the old file intact) on failure.
bool SaveProfile();
bool DeleteProfile();
// Adds the action of one action line; false, adding nothing, when the line does not parse.
bool ParseActionLine(const QString &text);

// The main window's ClearUser; an empty function restores the default, which empties
// UserActions and its rows.
void SetClearUser(std::function<void()> clearUser);

// A profile name must be a plain file name.
bool IsProfileName(const QString &name);
QString NameRefusedMessage(const QString &name);
// Profile names match their files without regard to case.
bool ProfileExists(const QString &name);
QString ProfilePath(const QString &name);

} // namespace UserManagement
