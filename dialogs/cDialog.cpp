#include "dialogs/cDialog.h"

#include "core/Prompt.h"
#include "dialogs/API.h"

#include <QDir>

namespace {

QString startPath(const QString &folder, const QString &file)
{
    const QString dir = folder.isEmpty() ? QDir::currentPath() : folder;
    return file.isEmpty() ? dir : QDir(dir).filePath(file);
}

} // namespace

QString cDialog::GetSaveName(QString &FileName, const QString &InitialDir, const QString &Title,
                             const QString &Filter, const QString &DefaultExt)
{
    const QString proposal = FileName.left(MaxProposalLength).trimmed();
    const QString chosen =
        Prompt::instance()
            .saveFileName(Title, startPath(InitialDir, proposal), Filter, DefaultExt)
            .trimmed();
    if (chosen.isEmpty())
        return {};
    FileName = API::PathFileName(chosen);
    return chosen;
}

QString cDialog::GetOpenName(QString &FileName, const QString &InitialDir, const QString &Title,
                             const QString &Filters, const QString &Proposal)
{
    const QString chosen =
        Prompt::instance().openFileName(Title, startPath(InitialDir, Proposal), Filters).trimmed();
    if (chosen.isEmpty()) {
        FileName.clear();
        return Proposal.trimmed();
    }
    FileName = API::PathFileName(chosen);
    return chosen;
}
