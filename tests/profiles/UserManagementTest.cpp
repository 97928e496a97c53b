#include "profiles/UserManagement.h"
#include "TestSupport.h"
#include "actions/Actions.h"
#include "cipher/CCipher.h"
#include "core/Global.h"
#include "profiles/ActionLine.h"
#include "profiles/ProfileCipher.h"

#include <QDir>

#include <functional>
#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using TestSupport::readFile;
using TestSupport::writeFile;
namespace UM = UserManagement;

namespace {

const QString Password = QStringLiteral("anna-pw"), Anna = QStringLiteral("anna");
// "," "%" and CR LF in fields; a "," makes the escaped form.
const QStringList Saved = {
    "2,C:\\Boxes\\work.vlx,work,C:\\Work\\,0,1,",
    "~1,/b/a%2Cb.vlx,one%2C two: 100%252C\r\n,/f/x%2C1;/f/y,1,-1,Tuesday%2C 2 January 2024",
    "7,,,,-1,0,",
};
constexpr qint16 ProfileKey = CCipher::ProfileMode, BoxKey = CCipher::BoxMode;

QByteArray markerFor(const QString &password, qint16 mode = ProfileKey)
{
    CCipher cipher;
    cipher.Initilize(password, mode);
    return cipher.Cipher(QByteArrayLiteral("$"));
}

QByteArray secured(const QString &text, qint16 mode = ProfileKey)
{
    return CCipher().SecureString(text.toUtf8(), Password.toUtf8(), mode) + "\r\n";
}

// Earlier builds keyed profiles like boxes.
QByteArray earlierProfile(const QString &line)
{
    return markerFor(Password, BoxKey) + "\r\n" + secured("/data/", BoxKey) + secured(line, BoxKey);
}

class ProfileStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UM::SetClearUser(Actions::RemoveAllActions);
        UM::OpenProfileStore();
        UM::ListProfiles(dir.path());
    }
    void TearDown() override
    {
        UM::CloseProfileStore();
        logOn({}, {}, {});
    }

    // Also clears the actions, as logging off does.
    static void logOn(const QString &name, const QString &password = Password,
                      const QString &folder = QStringLiteral("/data/"))
    {
        Actions::RemoveAllActions();
        Global::CurrentUserName = name;
        Global::CurrentUserPassword = password;
        Global::DefaultFolder = folder;
    }
    static void add(const QString &line)
    {
        const ActionLine a = ActionLine::parse(line).value();
        Actions::AddAction(a.Action, a.BoxFile, a.BoxName, a.Folder, a.Shred, a.Checked, a.LastRan);
    }
    static QStringList actions()
    {
        QStringList out;
        for (qint32 i = 1; i <= Actions::UserActions.Count(); ++i)
            out << ActionLine::of(*Actions::UserActions.Item(i)).text();
        return out;
    }
    QString profile(const QString &name) const { return dir.filePath(name + ".vlu"); }

    QTemporaryDir dir;
    RecordingPrompt prompt;
};

} // namespace

// The profile format document ends with vectors, the key built from its construction alone: a
// key of its own, so a profile's keystream deciphers nothing of a box under the same password.
TEST(ProfileFormatDocument, VectorsMatchThisBuild)
{
    const auto documented = std::bind_front(TestSupport::documented, "profile-format.md");
    const QByteArray key = TestSupport::argon2idKey("secret", "vaulnix-qvtext01");
    EXPECT_EQ(key.toHex(' '), documented("profile-key"));
    ProfileCipher profile{QStringLiteral("secret")};
    EXPECT_EQ(QByteArray(1, profile.marker()).toHex(), documented("profile-marker"));
    EXPECT_EQ(profile.secure("2,/home/anna/work.vlx,work,/home/anna/Work/,0,1,"),
              documented("profile-line"));
}

TEST_F(ProfileStore, SavedProfilesLoadBackWhateverThePasswordOrFolder)
{
    // Passwords whose marker enciphers to the line-end bytes 13 and 10.
    ASSERT_EQ(markerFor("marker-357"), "\r");
    ASSERT_EQ(markerFor("marker-736"), "\n");
    const std::pair<QString, QString> cases[] = {{"marker-357", "/a,b/\r\n"},
                                                 {"marker-736", ""},
                                                 {QString::fromUtf8("pässwört €"), "/data/"}};
    for (const auto &[password, folder] : cases) {
        SCOPED_TRACE(password.toStdString());
        logOn(Anna, password, folder);
        for (const QString &a : Saved)
            add(a);
        ASSERT_TRUE(UM::SaveProfile());
        logOn({}, {}, {});
        ASSERT_TRUE(UM::LoadProfile(Anna, password));
        ASSERT_TRUE(UM::LoadProfile(Anna, password)) << "again: no action twice";
        EXPECT_EQ(std::tuple(actions(), Global::DefaultFolder), std::tuple(Saved, folder));
    }
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(ProfileStore, WrongPasswordsAndDamagedProfilesLoadNothingAndStayAsTheyAre)
{
    const QByteArray start = markerFor(Password) + "\r\n" + secured("/data/");
    const QByteArray action = secured("2,a,b,c,0,1,");
    const QByteArray earlier = earlierProfile("2,a,b,c,0,1,");
    const std::tuple<QByteArray, QString, QString> cases[] = {
        {start + action, "wrong", "Invalid password"},
        {earlier, "wrong", "Invalid password"},
        {markerFor(Password) + "\r\n", Password, "fewer than two lines"},
        {markerFor(Password) + "\r\n" + secured("/data/", BoxKey), Password, "damaged: line 2"},
        {start + action.chopped(7) + "\r\n", Password, "damaged: line 3"},
        // Seven fields, whole 16-bit numbers, sound escapes.
        {start + secured("1,f,n,d,0,1"), Password, "damaged: line 3"},
        {start + secured("~1,f,n%zz,d,0,1,"), Password, "damaged: line 3"},
        {start + action + secured("1,f,n,d,0,40000,"), Password, "damaged: line 4"},
    };
    add(Saved[2]);
    Global::DefaultFolder = QStringLiteral("/keep/");
    for (const auto &[bytes, password, expected] : cases) {
        SCOPED_TRACE(expected.toStdString());
        prompt.messages.clear();
        writeFile(profile(Anna), bytes);
        EXPECT_FALSE(UM::LoadProfile(Anna, password));
        EXPECT_TRUE(prompt.messages.size() == 1 && prompt.messages[0].contains(expected));
        EXPECT_EQ(std::tuple(actions(), Global::DefaultFolder,
                             Global::CurrentUserName + Global::CurrentUserPassword),
                  std::tuple(QStringList{Saved[2]}, QString("/keep/"), QString()));
        EXPECT_EQ(readFile(profile(Anna)), bytes);
    }
}

TEST_F(ProfileStore, AnEarlierBuildsProfileLoadsAndIsSavedUnderTheProfileKeyWhateverItsCase)
{
    const QString file = dir.filePath("Anna.vlu");
    writeFile(file, earlierProfile(Saved[0]));
    UM::ListProfiles(dir.path());
    ASSERT_TRUE(UM::LoadProfile(Anna, Password));
    EXPECT_EQ(actions(), QStringList{Saved[0]});
    ASSERT_TRUE(UM::SaveProfile());
    EXPECT_EQ(readFile(file), markerFor(Password) + "\r\n" + secured("/data/") + secured(Saved[0]));
    EXPECT_FALSE(QFile::exists(profile(Anna))) << "saved over Anna.vlu, not beside it";
}

TEST_F(ProfileStore, OnlyPlainFileNamesAndFilledInFieldsMakeProfiles)
{
    // Refused before any file is opened, so without a message.
    EXPECT_FALSE(UM::IsProfileName(QString()) || UM::LoadProfile(QString(), Password) ||
                 UM::LoadProfile(Anna, QString()));
    logOn(QStringLiteral("bert"), QString());
    EXPECT_FALSE(UM::SaveProfile());
    QStringList refused = {".", ".."};
    for (const QChar c : QStringLiteral("/\\:*?\"<>|\t\x7f"))
        refused.append(QStringLiteral("a") + c);
    for (const QString &name : refused) {
        logOn(name);
        EXPECT_FALSE(UM::IsProfileName(name) || UM::SaveProfile() ||
                     UM::LoadProfile(name, Password))
            << name.toStdString();
    }
    EXPECT_EQ(prompt.messages.size(), 2 * refused.size());
    EXPECT_TRUE(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

#ifdef Q_OS_UNIX

TEST_F(ProfileStore, ProfilesAreTheirOwnersAloneAndAFullDiskOrACrashKeepsTheOldOne)
{
    const TestSupport::ScopedUmask usual(022);
    writeFile(profile(Anna), "x"); // readable by everyone, as earlier builds left it
    logOn(Anna);
    add(Saved[0]);
    ASSERT_TRUE(UM::SaveProfile());
    EXPECT_EQ(TestSupport::fileMode(profile(Anna)), 0600);
    const QByteArray before = readFile(profile(Anna));
    for (int i = 0; i < 20; ++i)
        add(Saved[1]);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const quint64 cap = TestSupport::capFileSize(256);
    EXPECT_FALSE(UM::SaveProfile());
    TestSupport::capFileSize(cap);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(
        std::tuple(prompt.messages.size(), QDir(dir.path()).entryList(QDir::Files | QDir::Hidden)),
        std::tuple(qsizetype(1), QStringList{"anna.vlu"}));
    EXPECT_EQ(readFile(profile(Anna)), before);
    EXPECT_EXIT( // a crash in the middle of writing
        {
            const rlimit noCore{};
            setrlimit(RLIMIT_CORE, &noCore);
            std::signal(SIGXFSZ, SIG_DFL);
            TestSupport::capFileSize(256);
            UM::SaveProfile();
        },
        ::testing::KilledBySignal(SIGXFSZ), "");
    EXPECT_EQ(readFile(profile(Anna)), before);
    UM::ListProfiles(dir.path());
    EXPECT_EQ(UM::ProfileNames, QStringList{Anna}) << "a half-written file is no profile";
}

#endif
