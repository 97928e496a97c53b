#pragma once

#include "core/Prompt.h"

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace TestSupport {

QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);
QString vectorPath(const QString &name);
QJsonObject vectors();
// The 32-byte Argon2id key of the library's construction, computed by libsodium directly.
QByteArray argon2idKey(const QByteArray &password, const QByteArray &salt);

// The password every known-answer box is written under.
inline const QString VectorPassword = QStringLiteral("vaulnix-test-vector");

// The text of a document's vector block "<!-- vector:NAME -->", its white space simplified.
QByteArray documented(const QString &document, const QString &name);
inline const unsigned char *u(const QByteArray &b)
{
    return reinterpret_cast<const unsigned char *>(b.constData());
}
// Caps the size of files this process writes, as a nearly full disk would; returns the old cap.
quint64 capFileSize(quint64 bytes);

// The permission bits of a file (for example 0600), or -1 when it cannot be looked at.
int fileMode(const QString &path);

// Sets the process's umask while alive, so that file modes do not depend on the caller's.
class ScopedUmask
{
    int saved;

public:
    explicit ScopedUmask(int mask)
        : saved(int(::umask(mode_t(mask))))
    {}
    ~ScopedUmask() { ::umask(mode_t(saved)); }
    ScopedUmask(const ScopedUmask &) = delete;
};

} // namespace TestSupport

// Records every message and answers from a script (default: the first button).
class RecordingPrompt : public Prompt
{
public:
    RecordingPrompt() { Prompt::install(this); }
    ~RecordingPrompt() override { Prompt::install(nullptr); }

    Answer message(const QString &text, Buttons buttons, Icon, const QString &) override;
    Answer question(const QString &text, Buttons buttons, Icon icon, const QString &title,
                    Answer safe) override
    {
        safeAnswers[text] = safe;
        return message(text, buttons, icon, title);
    }
    QString openFileName(const QString &, const QString &, const QString &) override
    {
        return nextPath();
    }
    QString saveFileName(const QString &, const QString &, const QString &,
                         const QString &) override
    {
        return nextPath();
    }
    QString folder(const QString &, const QString &) override { return nextPath(); }

    QStringList messages;
    QMap<QString, Answer> safeAnswers; // the default button of each question that destroys
    QList<Answer> answers;             // consumed in order
    QStringList pickerPaths;           // consumed in order; empty string means cancel

private:
    QString nextPath() { return pickerPaths.isEmpty() ? QString() : pickerPaths.takeFirst(); }
};
