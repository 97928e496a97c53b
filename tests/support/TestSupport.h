#pragma once

#include "shell/Prompt.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace TestSupport {

QByteArray fromHex(const char *hex);
QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);
QString vectorPath(const QString &name);
QJsonObject vectors();

// The password every known-answer box is written under.
inline const QString VectorPassword = QStringLiteral("vaulnix-test-vector");

} // namespace TestSupport

// Records every message and answers from a script (default: the first button).
class RecordingPrompt : public Prompt
{
public:
    RecordingPrompt() { Prompt::install(this); }
    ~RecordingPrompt() override { Prompt::install(nullptr); }

    Answer message(const QString &text, Buttons buttons, Icon icon, const QString &title) override;
    QString openFileName(const QString &title, const QString &startPath,
                         const QString &filter) override;
    QString saveFileName(const QString &title, const QString &startPath, const QString &filter,
                         const QString &defaultExtension) override;
    QString folder(const QString &title, const QString &startPath) override;

    QStringList messages;
    QStringList titles;
    QList<Answer> answers;   // consumed in order
    QStringList pickerPaths; // consumed in order; empty string means cancel
};
