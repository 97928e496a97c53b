#pragma once

#include <QString>
#include <QtGlobal>

// Sets the program-wide fields the engine reads for one job and puts them back afterwards,
// so no password outlives the command.
class JobSettings
{
public:
    JobSettings(bool shred, const QString &password = QString());
    ~JobSettings();
    JobSettings(const JobSettings &) = delete;
    JobSettings &operator=(const JobSettings &) = delete;

private:
    qint16 savedShred;
    QString savedPassword;
};
