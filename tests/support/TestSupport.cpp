#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace TestSupport {

QByteArray fromHex(const char *hex)
{
    return QByteArray::fromHex(hex);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "cannot read " << path.toStdString();
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

QString vectorPath(const QString &name)
{
    return QStringLiteral(VAULNIX_VECTORS_DIR "/") + name;
}

QJsonObject vectors()
{
    return QJsonDocument::fromJson(readFile(vectorPath(QStringLiteral("vectors.json")))).object();
}

} // namespace TestSupport

Prompt::Answer RecordingPrompt::message(const QString &text, Buttons buttons, Icon,
                                        const QString &title)
{
    messages.append(text);
    titles.append(title);
    if (!answers.isEmpty())
        return answers.takeFirst();
    switch (buttons) {
    case Buttons::AbortRetryIgnore:
        return Abort;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Yes;
    case Buttons::RetryCancel:
        return Retry;
    default:
        return Ok;
    }
}

QString RecordingPrompt::openFileName(const QString &, const QString &, const QString &)
{
    return pickerPaths.isEmpty() ? QString() : pickerPaths.takeFirst();
}

QString RecordingPrompt::saveFileName(const QString &, const QString &, const QString &,
                                      const QString &)
{
    return pickerPaths.isEmpty() ? QString() : pickerPaths.takeFirst();
}

QString RecordingPrompt::folder(const QString &, const QString &)
{
    return pickerPaths.isEmpty() ? QString() : pickerPaths.takeFirst();
}
