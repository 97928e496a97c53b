#include "shell/AutostartEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

AutostartEntry::AutostartEntry(const QString &configFolder)
{
    const QString config =
        configFolder.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            : configFolder;
    path = QDir(config).filePath(QStringLiteral("autostart/") + FileName);
}

bool AutostartEntry::isEnabled() const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    while (!file.atEnd()) {
        QByteArray line = file.readLine().trimmed();
        if (line.replace(' ', "") == "Hidden=true")
            return false;
    }
    return true;
}

bool AutostartEntry::enable(const QString &programPath) const
{
    // A line break cannot be written into an Exec value.
    if (programPath.contains(QLatin1Char('\n')) || programPath.contains(QLatin1Char('\r')))
        return false;
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    file.write(entryText(programPath).toUtf8());
    return file.commit();
}

bool AutostartEntry::disable() const
{
    return !QFile::exists(path) || QFile::remove(path);
}

QString AutostartEntry::entryText(const QString &programPath)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Vaulnix\n"
                          "Comment=Start Vaulnix in the system tray\n"
                          "Exec=%1\n"
                          "Icon=" VAULNIX_APP_ID "\n"
                          "Terminal=false\n"
                          "StartupNotify=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execValue(programPath));
}

QString AutostartEntry::execValue(const QString &programPath)
{
    // Desktop entries quote an argument holding reserved characters in double quotes, with
    // '"', '`', '$' and '\' escaped inside; a '%' is doubled; then the value's own escaping
    // doubles every backslash.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString value = programPath;
    value.replace(QLatin1Char('%'), QStringLiteral("%%"));
    const bool quote =
        std::any_of(value.cbegin(), value.cend(), [](QChar c) { return reserved.contains(c); });
    if (quote) {
        QString quoted;
        for (const QChar c : value) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        value = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    return value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
}
