#pragma once

#include "TestSupport.h"

// Answers pickers like RecordingPrompt and also records what each one was asked with.
class PickerLog : public RecordingPrompt
{
public:
    struct Call
    {
        QString title;
        QString startPath;
        QString filter;
        QString defaultExtension;
    };

    QString saveFileName(const QString &title, const QString &startPath, const QString &filter,
                         const QString &defaultExtension) override
    {
        calls.append({title, startPath, filter, defaultExtension});
        return RecordingPrompt::saveFileName(title, startPath, filter, defaultExtension);
    }
    QString folder(const QString &title, const QString &startPath) override
    {
        calls.append({title, startPath, {}, {}});
        return RecordingPrompt::folder(title, startPath);
    }

    QList<Call> calls;
};
