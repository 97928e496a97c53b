#pragma once

#include <QString>

// The open and save file choosers with the program's conventions.
class cDialog
{
public:
    static constexpr int MaxProposalLength = 512;

    // Full path of the chosen file, or "" when cancelled. FileName: in, the proposal; out, the
    // chosen file's name without its folder (unchanged when cancelled).
    QString GetSaveName(QString &FileName, const QString &InitialDir = QString(),
                        const QString &Title = QString(), const QString &Filter = QString(),
                        const QString &DefaultExt = QString());
    // Full path of the chosen file; when cancelled, the proposal. FileName receives the chosen
    // file's name without its folder ("" after a cancel).
    QString GetOpenName(QString &FileName, const QString &InitialDir = QString(),
                        const QString &Title = QString(), const QString &Filters = QString(),
                        const QString &Proposal = QString());
};
