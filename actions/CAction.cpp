#include "actions/CAction.h"

#include "actions/Actions.h"
#include "core/VaulnixError.h"

#include <limits>

qint32 CAction::Assign(const qint16 &Action, const QString &BoxFile, const QString &BoxName,
                       const QString &Folder, const qint16 &Shred, const qint16 &Checked,
                       const QString &LastRan)
{
    if (Actions::NextActionID == std::numeric_limits<qint32>::max())
        throw VaulnixError(QStringLiteral("No more actions can be made in this session: "
                                          "the action numbers are used up."));
    id = Actions::NextActionID++;
    action = Action;
    boxFile = BoxFile;
    boxName = BoxName;
    folder = Folder;
    shred = Shred;
    checked = Checked;
    lastRan = LastRan;
    return id;
}
