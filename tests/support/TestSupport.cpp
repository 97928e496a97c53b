#include "TestSupport.h"

#include <sodium.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <utility>

namespace TestSupport {

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
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) ? -1 : int(info.st_mode & 07777);
}

QByteArray documented(const QString &document, const QString &name)
{
    const QString doc = QString::fromUtf8(readFile(VAULNIX_DOCS_DIR "/" + document));
    const QRegularExpression block("<!-- vector:" + name + " -->\\s*```\\s*([^`]+)```");
    return block.match(doc).captured(1).simplified().toLatin1();
}

quint64 capFileSize(quint64 bytes)
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlim_t old = std::exchange(limit.rlim_cur, rlim_t(bytes));
    setrlimit(RLIMIT_FSIZE, &limit);
    return old;
}

QString vectorPath(const QString &name)
{
    return QStringLiteral(VAULNIX_VECTORS_DIR "/") + name;
}

QJsonObject vectors()
{
    return QJsonDocument::fromJson(readFile(vectorPath(QStringLiteral("vectors.json")))).object();
}

QByteArray argon2idKey(const QByteArray &password, const QByteArray &salt)
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

} // namespace TestSupport

Prompt::Answer RecordingPrompt::message(const QString &text, Buttons buttons, Icon, const QString &)
{
    messages.append(text);
    if (!answers.isEmpty())
        return answers.takeFirst();
    return buttons == Buttons::AbortRetryIgnore                           ? Abort
           : buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Yes
           : buttons == Buttons::RetryCancel                              ? Retry
                                                                          : Ok;
}
