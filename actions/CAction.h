#pragma once

#include <QString>
#include <QtGlobal>

// One remembered box job of the logged-on user. The ID is given once by Assign and identifies
// the action inside this process only; it is never saved.
class CAction
{
public:
    static constexpr qint16 Create = 1;
    static constexpr qint16 Extract = 2;

    // Takes the next ID from Actions::NextActionID; throws VaulnixError when the IDs are used
    // up, leaving the action and the counter as they were.
    qint32 Assign(const qint16 &Action, const QString &BoxFile, const QString &BoxName,
                  const QString &Folder, const qint16 &Shred, const qint16 &Checked,
                  const QString &LastRan);

    qint32 ID() const { return id; }
    QString LastRan() const { return lastRan; }
    void setLastRan(const QString &value) { lastRan = value; }
    qint16 Checked() const { return checked; }
    void setChecked(qint16 value) { checked = value; }
    qint16 Action() const { return action; }
    void setAction(qint16 value) { action = value; }
    QString BoxFile() const { return boxFile; }
    void setBoxFile(const QString &value) { boxFile = value; }
    QString BoxName() const { return boxName; }
    void setBoxName(const QString &value) { boxName = value; }
    QString Folder() const { return folder; }
    void setFolder(const QString &value) { folder = value; }
    qint16 Shred() const { return shred; }
    void setShred(qint16 value) { shred = value; }

private:
    qint32 id = -1;
    QString boxFile;
    qint16 action = 0;
    QString boxName;
    QString folder;
    qint16 shred = 0;
    qint16 checked = 0;
    QString lastRan;
};
