#pragma once

#include "core/Prompt.h"

class QWidget;

// Real message boxes and the platform's file and folder choosers.
class WidgetPrompt : public Prompt
{
public:
    Answer message(const QString &text, Buttons buttons, Icon icon, const QString &title) override;
    Answer question(const QString &text, Buttons buttons, Icon icon, const QString &title,
                    Answer safe) override;
    QString openFileName(const QString &title, const QString &startPath,
                         const QString &filter) override;
    QString saveFileName(const QString &title, const QString &startPath, const QString &filter,
                         const QString &defaultExtension) override;
    QString folder(const QString &title, const QString &startPath) override;

private:
    static QWidget *owner();
};
