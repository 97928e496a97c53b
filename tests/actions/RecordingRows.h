#pragma once

#include "actions/Actions.h"

#include <QList>

// Stands in for the main window's list: keeps the rows it is given, in order.
class RecordingRows : public ActionRows
{
public:
    RecordingRows() { Actions::SetRows(this); }
    ~RecordingRows() override { Actions::SetRows(nullptr); }

    void appendRow(const Row &row) override { rows.append(row); }
    void removeRow(const QString &tag) override
    {
        rows.removeIf([&](const Row &row) { return row.Tag == tag; });
    }
    void removeAllRows() override { rows.clear(); }

    QStringList tags() const
    {
        QStringList out;
        for (const Row &row : rows)
            out.append(row.Tag);
        return out;
    }

    QList<Row> rows;
};
