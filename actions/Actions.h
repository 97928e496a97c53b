#pragma once

#include "actions/ActionRows.h"
#include "actions/CItems.h"

// The logged-on user's actions and the one way actions enter and leave the program, so that
// UserActions and the rows of the installed list stay one to one.
namespace Actions {

inline const QString CreateText = QStringLiteral("Create");
inline const QString ExtractText = QStringLiteral("Extract");

// Next action ID; starts at 0 and is never saved.
inline qint32 NextActionID = 0;
inline CItems UserActions;

// Installs the list that shows the rows (not owned); nullptr: no list, actions only. The list
// must be uninstalled before it is destroyed.
void SetRows(ActionRows *rows);

qint32 AddAction(const qint16 &Action, const QString &BoxFile, const QString &BoxName,
                 const QString &Folder, const qint16 &Shred, const qint16 &Checked,
                 const QString &LastRan);
void AddActionRow(const qint32 &ID, const QString &BoxName, const QString &BoxFile,
                  const qint16 &Action, const QString &Folder, const qint16 &Shred,
                  const qint16 &Checked, const QString &LastRan);
// 1-based position of the action with this ID in UserActions; 0 when there is none.
qint32 GetAction(const qint32 &ID);
// Removes the action and its row.
void RemoveAction(qint32 ID);
// Empties UserActions and the list.
void RemoveAllActions();

QString ActionText(qint16 action);
QString ShredText(qint16 shred);
// Reading a row back: exact, case-sensitive comparisons.
qint16 ActionFromText(const QString &text);
qint16 ShredFromText(const QString &text);
QString TagText(qint32 id);
// A ";" anywhere in an action's folder field marks a list of files.
bool IsFileList(const QString &folder);

} // namespace Actions
