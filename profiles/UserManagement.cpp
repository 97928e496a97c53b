#include "profiles/UserManagement.h"

#include "actions/Actions.h"
#include "engine/FileSystem.h"
#include "profiles/ActionLine.h"
#include "profiles/ProfileCipher.h"
#include "profiles/ProfileLayout.h"
#include "shell/Global.h"
#include "shell/Prompt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <optional>
#include <vector>

namespace UserManagement {

namespace {

std::function<void()> clearUserHook;

void clearUser()
{
    if (clearUserHook)
        clearUserHook();
    else
        Actions::RemoveAllActions();
}

void warn(const QString &text)
{
    Prompt::ask(text, Prompt::Buttons::Ok, Prompt::Icon::Exclamation);
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QStringList profileFiles()
{
    return QDir(ProfileFolder)
        .entryList({QLatin1Char('*') + ProfileExtension}, QDir::Files | QDir::Hidden | QDir::System,
                   QDir::Name | QDir::IgnoreCase);
}

void reportDamage(const QString &path, const QString &cause)
{
    warn(QStringLiteral("The profile %1 is damaged: %2. Nothing was loaded and the file was "
                        "left as it is.")
             .arg(shown(path), cause));
}

void addAction(const ActionLine &line)
{
    Actions::AddAction(line.Action, line.BoxFile, line.BoxName, line.Folder, line.Shred,
                       line.Checked, line.LastRan);
}

struct Profile
{
    QString DefaultFolder;
    std::vector<ActionLine> Actions;
};

// Reads and checks the whole file before anything changes, so a damaged file (or a wrong
// password that got past the marker) is never loaded halfway and then saved over the good file.
// Null after the user was told why.
std::optional<Profile> readProfile(const QString &path, const QString &password)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        warn(QStringLiteral("The profile %1 cannot be opened: %2.")
                 .arg(shown(path), file.errorString()));
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        warn(QStringLiteral("The profile %1 cannot be read: %2.")
                 .arg(shown(path), file.errorString()));
        return std::nullopt;
    }

    const QString tooShort = QStringLiteral("it holds fewer than two lines");
    if (bytes.isEmpty()) {
        reportDamage(path, tooShort);
        return std::nullopt;
    }
    ProfileCipher cipher(password);
    if (!cipher.isMarker(bytes[0])) {
        Prompt::inform(InvalidPassword);
        return std::nullopt;
    }
    const auto layout = ProfileLayout::fromBytes(bytes);
    if (!layout) {
        reportDamage(path, tooShort);
        return std::nullopt;
    }
    const QString unreadable = QStringLiteral("line %1 cannot be read (or the password is wrong)");
    const auto folder = cipher.unsecure(layout->Lines[0]);
    if (!folder) {
        reportDamage(path, unreadable.arg(2));
        return std::nullopt;
    }
    Profile profile{*folder, {}};
    for (qsizetype i = 1; i < layout->Lines.size(); ++i) {
        const auto text = cipher.unsecure(layout->Lines[i]);
        const auto line = text ? ActionLine::parse(*text) : std::nullopt;
        if (!line) {
            reportDamage(path, unreadable.arg(i + 2));
            return std::nullopt;
        }
        profile.Actions.push_back(*line);
    }
    return profile;
}

// Replaces the file only once the new content is wholly on disk. Unbuffered, because a buffered
// save file reports success after a short write (a full disk).
bool writeWhole(const QString &path, const QByteArray &bytes, QString &failure)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        failure = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size() || !syncToDisk(file)) {
        failure = file.error() != QFileDevice::NoError
                      ? file.errorString()
                      : QStringLiteral("not everything could be written (is the disk full?)");
        return false;
    }
    if (!file.commit()) {
        failure = file.errorString();
        return false;
    }
    return true;
}

void overwriteWithSpaces(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return;
    file.write(QByteArray(file.size(), ' ') + "\r\n");
    // On disk before the name goes, or the old bytes may never be overwritten there.
    syncToDisk(file);
}

} // namespace

void OpenProfileStore()
{
    ProfileNames.clear();
    Actions::RemoveAllActions();
}

void CloseProfileStore()
{
    ProfileNames.clear();
    Actions::RemoveAllActions();
}

void ListProfiles(const QString &folder)
{
    ProfileNames.clear();
    ProfileFolder = QDir::fromNativeSeparators(folder);
    if (!ProfileFolder.endsWith(QLatin1Char('/')))
        ProfileFolder += QLatin1Char('/');
    for (const QString &file : profileFiles()) {
        const QString name = file.toLower().chopped(ProfileExtension.size());
        // A file that no profile name can reach (for example "a:b.vlu") is not offered.
        if (IsProfileName(name))
            ProfileNames.append(name);
    }
}

bool LoadProfile(const QString &UserName, const QString &Password)
{
    if (UserName.isEmpty() || Password.isEmpty())
        return false;
    if (!IsProfileName(UserName)) {
        warn(NameRefusedMessage(UserName));
        return false;
    }
    const QString path = ProfilePath(UserName);
    const auto loaded = readProfile(path, Password);
    if (!loaded)
        return false;
    clearUser();
    Global::DefaultFolder = loaded->DefaultFolder;
    for (const ActionLine &line : loaded->Actions)
        addAction(line);
    Global::CurrentUserName = UserName;
    Global::CurrentUserPassword = Password;
    return true;
}

bool SaveProfile()
{
    const QString name = Global::CurrentUserName;
    const QString password = Global::CurrentUserPassword;
    if (name.isEmpty() || password.isEmpty())
        return false;
    if (!IsProfileName(name)) {
        warn(NameRefusedMessage(name));
        return false;
    }
    ProfileCipher cipher(password);
    ProfileLayout layout;
    layout.Marker = cipher.marker();
    layout.Lines.append(cipher.secure(Global::DefaultFolder));
    for (qint32 position = 1; position <= Actions::UserActions.Count(); ++position)
        layout.Lines.append(
            cipher.secure(ActionLine::of(*Actions::UserActions.Item(position)).text()));
    const QByteArray bytes = layout.toBytes();

    const QString path = ProfilePath(name);
    QString failure;
    if (!writeWhole(path, bytes, failure)) {
        warn(QStringLiteral("The profile %1 was not saved: %2. The profile on disk is unchanged.")
                 .arg(shown(path), failure));
        return false;
    }
    return true;
}

bool DeleteProfile()
{
    bool deleted = true;
    const QString name = Global::CurrentUserName;
    if (IsProfileName(name) && ProfileExists(name)) {
        const QString path = ProfilePath(name);
        overwriteWithSpaces(path);
        QFile file(path);
        deleted = file.remove();
        if (!deleted)
            warn(QStringLiteral("The profile %1 could not be deleted: %2.")
                     .arg(shown(path), file.errorString()));
    }
    Global::CurrentUserName.clear();
    Global::CurrentUserPassword.clear();
    return deleted;
}

bool ParseActionLine(const QString &text)
{
    const auto line = ActionLine::parse(text);
    if (!line)
        return false;
    addAction(*line);
    return true;
}

void SetClearUser(std::function<void()> clearUser)
{
    clearUserHook = std::move(clearUser);
}

bool IsProfileName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    return std::none_of(name.cbegin(), name.cend(), [&](QChar c) {
        return forbidden.contains(c) || c.category() == QChar::Other_Control;
    });
}

QString NameRefusedMessage(const QString &name)
{
    return QStringLiteral("\"%1\" cannot be used as a profile name. A profile name may not be "
                          "\".\" or \"..\" and may not hold / \\ : * ? \" < > | or control "
                          "characters.")
        .arg(name);
}

bool ProfileExists(const QString &name)
{
    return QFileInfo::exists(ProfilePath(name));
}

QString ProfilePath(const QString &name)
{
    const QString wanted = name + ProfileExtension;
    if (QFileInfo::exists(ProfileFolder + wanted))
        return ProfileFolder + wanted;
    for (const QString &file : profileFiles()) {
        if (file.compare(wanted, Qt::CaseInsensitive) == 0)
            return ProfileFolder + file;
    }
    return ProfileFolder + wanted;
}

} // namespace UserManagement
