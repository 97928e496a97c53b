#include "cli/JobSettings.h"

#include "core/Global.h"

JobSettings::JobSettings(bool shred, const QString &password)
    : savedShred(Global::DialogShred)
    , savedPassword(Global::CurrentUserPassword)
{
    Global::DialogShred = shred ? 1 : 0;
    Global::CurrentUserPassword = password;
}

JobSettings::~JobSettings()
{
    Global::DialogShred = savedShred;
    Global::CurrentUserPassword = savedPassword;
}
