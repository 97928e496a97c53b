#include "profiles/UserManagement.h"

#include "actions/Actions.h"
#include "core/Global.h"
#include "core/Prompt.h"
#include "engine/FileSystem.h"
#include "profiles/ActionLine.h"
#include "profiles/ProfileCipher.h"
#include "profiles/ProfileLayout.h"

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

// The profile's lines under one key; null with the number of the first line that does not read.
std::optional<Profile> decipher(const ProfileLayout &layout, ProfileCipher &cipher, int &badLine)
{
    const auto folder = cipher.unsecure(layout.Lines[0]);
    if (!folder) {
        badLine = 2;
        return std::nullopt;
    }
    Profile profile{*folder, {}};
    for (qsizetype i = 1; i < layout.Lines.size(); ++i) {
        const auto text = cipher.unsecure(layout.Lines[i]);
        const auto line = text ? ActionLine::parse(*text) : std::nullopt;
        if (!line) {
            badLine = int(i + 2);
            return std::nullopt;
        }
        profile.Actions.push_back(*line);
    }
    return profile;
}

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
    const auto layout = ProfileLayout::fromBytes(bytes);
    // Profiles of earlier builds were keyed like boxes; such a profile is read only when it reads
    // completely, and the next save writes it with the profile key.
    int badLine = 0;
    for (const qint16 mode : {CCipher::ProfileMode, CCipher::BoxMode}) {
        ProfileCipher cipher(password, mode);
        if (!cipher.isMarker(bytes[0]))
            continue;
        if (!layout) {
            reportDamage(path, tooShort);
            return std::nullopt;
        }
        int bad = 0;
        if (auto profile = decipher(*layout, cipher, bad))
            return profile;
        if (badLine == 0)
            badLine = bad;
    }
    if (badLine == 0) {
        Prompt::inform(InvalidPassword);
        return std::nullopt;
    }
    reportDamage(path,
                 QStringLiteral("line %1 cannot be read (or the password is wrong)").arg(badLine));
    return std::nullopt;
}

// Replaces the file only once the new content is wholly on disk. Unbuffered, because a buffered
// save file reports success after a short write (a full disk).
bool writeWhole(const QString &path, const QByteArray &bytes, QString &failure)
{
    QSaveFile file(path);
    // Only its owner may read a profile, also one an earlier build left readable.
    if (!openPrivate(file, QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        failure = file.errorString();
        return false;
    }
    if (!makePrivate(file)) {
        failure = QStringLiteral("its access rights cannot be set");
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

// Creates the missing folders of path for their owner alone (0700), so that others cannot even
// list the profiles in a folder made for them.
bool makePrivateFolder(const QString &path, QString &failure)
{
    const QString folder = QDir::cleanPath(QDir(path).absolutePath());
    QStringList missing;
    for (QString at = folder; !QFileInfo(at).exists(); at = QFileInfo(at).path()) {
        if (at == QFileInfo(at).path())
            break;
        missing.prepend(at);
    }
    for (const QString &at : missing) {
        if (!QDir().mkdir(at, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                  QFileDevice::ExeOwner)) {
            failure = QStringLiteral("the folder %1 cannot be created").arg(shown(at));
            return false;
        }
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
    if (!makePrivateFolder(ProfileFolder, failure) || !writeWhole(path, bytes, failure)) {
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
