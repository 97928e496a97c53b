#include "actions/Actions.h"

namespace Actions {

namespace {
ActionRows *installedRows = nullptr;
}

void SetRows(ActionRows *rows)
{
    installedRows = rows;
}

qint32 AddAction(const qint16 &Action, const QString &BoxFile, const QString &BoxName,
                 const QString &Folder, const qint16 &Shred, const qint16 &Checked,
                 const QString &LastRan)
{
    const qint32 id = UserActions.Add(Action, BoxFile, BoxName, Folder, Shred, Checked, LastRan);
    AddActionRow(id, BoxName, BoxFile, Action, Folder, Shred, Checked, LastRan);
    return id;
}

void AddActionRow(const qint32 &ID, const QString &BoxName, const QString &BoxFile,
                  const qint16 &Action, const QString &Folder, const qint16 &Shred,
                  const qint16 &Checked, const QString &LastRan)
{
    if (!installedRows)
        return;
    ActionRows::Row row;
    row.Name = BoxName;
    row.BoxFile = BoxFile;
    row.Action = ActionText(Action);
    row.Folder = Folder;
    row.Checked = Checked != 0;
    row.Shred = ShredText(Shred);
    row.LastRan = LastRan;
    row.Tag = TagText(ID);
    installedRows->appendRow(row);
}

qint32 GetAction(const qint32 &ID)
{
    const qint32 count = UserActions.Count();
    for (qint32 position = 1; position <= count; ++position) {
        if (UserActions.Item(position)->ID() == ID)
            return position;
    }
    return 0;
}

void RemoveAction(qint32 ID)
{
    const qint32 position = GetAction(ID);
    if (position == 0)
        return;
    UserActions.Remove(position);
    if (installedRows)
        installedRows->removeRow(TagText(ID));
}

void RemoveAllActions()
{
    UserActions.RemoveAll();
    if (installedRows)
        installedRows->removeAllRows();
}

QString ActionText(qint16 action)
{
    switch (action) {
    case CAction::Create:
        return CreateText;
    case CAction::Extract:
        return ExtractText;
    default:
        return QStringLiteral("?");
    }
}

QString ShredText(qint16 shred)
{
    return shred == 1 ? QStringLiteral("Yes") : QStringLiteral("No");
}

qint16 ActionFromText(const QString &text)
{
    if (text == CreateText)
        return CAction::Create;
    if (text == ExtractText)
        return CAction::Extract;
    return 0;
}

qint16 ShredFromText(const QString &text)
{
    return text == QLatin1String("Yes") ? 1 : 0;
}

QString TagText(qint32 id)
{
    return QString::number(id);
}

bool IsFileList(const QString &folder)
{
    return folder.contains(QLatin1Char(';'));
}

} // namespace Actions
