#pragma once

#include "TestSupport.h"

// Answers pickers like RecordingPrompt and also records each call as
// "title|start|filter|extension".
class PickerLog : public RecordingPrompt
{
public:
    QString saveFileName(const QString &title, const QString &startPath, const QString &filter,
                         const QString &defaultExtension) override
    {
        calls.append(
            QStringList{title, startPath, filter, defaultExtension}.join(QLatin1Char('|')));
        return RecordingPrompt::saveFileName(title, startPath, filter, defaultExtension);
    }
    QString folder(const QString &title, const QString &startPath) override
    {
        calls.append(QStringList{title, startPath, {}, {}}.join(QLatin1Char('|')));
        return RecordingPrompt::folder(title, startPath);
    }

    QStringList calls;
};
