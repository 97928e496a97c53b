#pragma once

#include <QString>

// The list that shows one row per action (the main window's lvMain). Rows are made only by
// Actions::AddActionRow and removed only together with their actions, so that actions and rows
// stay one to one.
class ActionRows
{
public:
    // The text forms of one row, in the order the row is filled.
    struct Row
    {
        QString Name;
        QString BoxFile;
        QString Action;
        QString Folder;
        bool Checked = false;
        QString Shred;
        QString LastRan;
        QString Tag;
    };

    virtual ~ActionRows() = default;

    virtual void appendRow(const Row &row) = 0;
    virtual void removeRow(const QString &tag) = 0;
    virtual void removeAllRows() = 0;
};
