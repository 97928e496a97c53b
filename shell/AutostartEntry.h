#pragma once

#include <QString>

// The desktop entry in the user's autostart folder that starts the program in the tray when
// the user logs in. Per computer user, not per profile.
class AutostartEntry
{
public:
    static inline const QString FileName = QStringLiteral(VAULNIX_APP_ID ".desktop");

    // configFolder empty: the user's configuration folder (XDG_CONFIG_HOME, else ~/.config).
    explicit AutostartEntry(const QString &configFolder = {});

    QString filePath() const { return path; }
    // True when the entry is there and not switched off by the desktop (Hidden=true).
    bool isEnabled() const;
    // Writes the entry for the program at programPath; false when it cannot be written.
    bool enable(const QString &programPath) const;
    // Removes the entry; true when it is gone.
    bool disable() const;

    static QString entryText(const QString &programPath);
    // The program path as an Exec value: quoted when it holds reserved characters.
    static QString execValue(const QString &programPath);

private:
    QString path;
};
