#include "TestSupport.h"

#include <sodium.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

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

int fileMode(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
#else
    Q_UNUSED(path);
    return -1;
#endif
}

ScopedUmask::ScopedUmask(int mask)
#ifdef Q_OS_UNIX
    : saved(int(::umask(mode_t(mask))))
#else
    : saved(mask)
#endif
{}

ScopedUmask::~ScopedUmask()
{
#ifdef Q_OS_UNIX
    ::umask(mode_t(saved));
#endif
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

QByteArray TestSupport::argon2idKey(const QByteArray &password, const QByteArray &salt)
{
    QByteArray key(32, '\0');
    if (sodium_init() < 0 || salt.size() != crypto_pwhash_SALTBYTES ||
        crypto_pwhash(reinterpret_cast<unsigned char *>(key.data()), size_t(key.size()),
                      password.constData(), size_t(password.size()),
                      reinterpret_cast<const unsigned char *>(salt.constData()), 2, 67108864,
                      crypto_pwhash_ALG_ARGON2ID13) != 0)
        return QByteArray();
    return key;
}
