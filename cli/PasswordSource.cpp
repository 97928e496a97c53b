#include "cli/PasswordSource.h"

#include "cli/CliError.h"
#include "cli/Console.h"
#include "core/Global.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

void throwIfStopped()
{
    if (Global::StopRequested.load() != 0)
        throw CliError(ExitStatus::Stopped, QStringLiteral("stopped"));
}

void wipe(QByteArray &bytes)
{
    bytes.fill('\0');
    bytes.clear();
}

} // namespace

PasswordSource::PasswordSource(Console &console, const std::optional<QString> &passwordFile)
    : console(console)
    , file(passwordFile)
{}

QString PasswordSource::obtain(bool confirm)
{
    if (file)
        return fromFile();
    if (!console.inputIsTerminal()) {
        bool truncated = false;
        QByteArray line = console.readInputLine(MaxBytes, truncated);
        throwIfStopped();
        return decode(std::move(line), truncated, QStringLiteral("standard input"));
    }
    return fromPrompt(confirm);
}

QString PasswordSource::fromFile() const
{
    const QString path = QFileInfo(*file).absoluteFilePath();
    QFile source(path);
    if (!QFileInfo(path).isFile() || !source.open(QIODevice::ReadOnly))
        throw CliError(ExitStatus::Failed,
                       QStringLiteral("cannot read the password file %1: %2")
                           .arg(path, QFileInfo::exists(path) && !QFileInfo(path).isFile()
                                          ? QStringLiteral("not a file")
                                          : source.errorString()));
    QByteArray line = source.read(MaxBytes + 1);
    const qsizetype end = line.indexOf('\n');
    const bool truncated = end < 0 && line.size() > MaxBytes;
    if (end >= 0)
        line.truncate(end);
    else if (truncated)
        line.truncate(MaxBytes);
    return decode(std::move(line), truncated, path);
}

QString PasswordSource::fromPrompt(bool confirm)
{
    bool truncated = false;
    QByteArray first = console.readHiddenLine(QStringLiteral("Password: "), MaxBytes, truncated);
    throwIfStopped();
    const QString password = decode(std::move(first), truncated, QStringLiteral("the prompt"));
    if (!confirm)
        return password;
    QByteArray second =
        console.readHiddenLine(QStringLiteral("Repeat password: "), MaxBytes, truncated);
    throwIfStopped();
    const bool same = second == password.toUtf8();
    wipe(second);
    if (!same)
        throw CliError(ExitStatus::Usage, QStringLiteral("the two passwords differ"));
    return password;
}

QString PasswordSource::decode(QByteArray line, bool truncated, const QString &origin)
{
    if (line.endsWith('\r'))
        line.chop(1);
    if (truncated) {
        wipe(line);
        throw CliError(ExitStatus::Usage, QStringLiteral("the password from %1 is longer than "
                                                         "%2 bytes")
                                              .arg(origin)
                                              .arg(MaxBytes));
    }
    if (line.isEmpty())
        throw CliError(ExitStatus::Usage,
                       QStringLiteral("the password from %1 is empty").arg(origin));
    // Undecodable bytes would all turn into the same replacement character, so different
    // passwords would give the same key.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString password = utf8.decode(line);
    const bool broken = utf8.hasError();
    wipe(line);
    if (broken)
        throw CliError(ExitStatus::Usage,
                       QStringLiteral("the password from %1 is not UTF-8 text").arg(origin));
    return password;
}
