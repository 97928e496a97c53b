#include "profiles/UserManagement.h"
#include "TestSupport.h"
#include "actions/Actions.h"
#include "cipher/CCipher.h"
#include "core/Global.h"
#include "engine/CCipherBlock.h"
#include "profiles/ActionLine.h"
#include "profiles/ProfileLayout.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using Actions::UserActions;
using TestSupport::readFile;
using TestSupport::writeFile;
namespace UM = UserManagement;

namespace {

const QString Password = QStringLiteral("anna-pw");
const QString Anna = QStringLiteral("anna");

// Actions as kind|box file|box name|folder|shred|checked|last ran; "," and "%" in fields.
const QStringList Saved = {
    "2|C:\\Boxes\\work.vlx|work|C:\\Work\\|0|1|",
    "1|/b/mail.vlx|mail|/a/m.txt;/a/b.txt|1|-1|1/2/2024 9:00 AM",
    "7||||-1|0|",
    "1|/b/a,b.vlx|one, two: 100%2C|/f/x,1;/f/y|1|1|Tuesday, 2 January 2024",
    "2|/b/c.vlx|line\r\nbreak|/f/\n|0|1|100%2C",
};

constexpr qint16 ProfileKey = CCipher::ProfileMode;
// How earlier builds keyed profiles.
constexpr qint16 BoxKey = CCipher::BoxMode;

QByteArray markerFor(const QString &password, qint16 mode = ProfileKey)
{
    CCipher cipher;
    cipher.Initilize(password, mode);
    const QByteArray marker = cipher.Cipher(QByteArrayLiteral("$"));
    cipher.Clear();
    return marker;
}

QByteArray secured(const QString &text, qint16 mode = ProfileKey)
{
    return CCipher().SecureString(text.toUtf8(), Password.toUtf8(), mode);
}

QByteArray earlierProfile(const QString &line)
{
    return markerFor(Password, BoxKey) + "\r\n" + secured("/data/", BoxKey) + "\r\n" +
           secured(line, BoxKey) + "\r\n";
}

class ProfileStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        logOff();
        UM::SetClearUser([this] {
            ++clearUserCalls;
            Actions::RemoveAllActions();
        });
        UM::OpenProfileStore();
        UM::ListProfiles(dir.path());
    }

    void TearDown() override
    {
        UM::SetClearUser({});
        UM::CloseProfileStore();
        logOff();
    }

    static void logOn(const QString &name, const QString &password = Password,
                      const QString &folder = QStringLiteral("/data/"))
    {
        Global::CurrentUserName = name;
        Global::CurrentUserPassword = password;
        Global::DefaultFolder = folder;
    }

    static void logOff()
    {
        Actions::RemoveAllActions();
        logOn({}, {}, {});
    }

    static void add(const QString &action)
    {
        const QStringList f = action.split(QLatin1Char('|'));
        Actions::AddAction(f[0].toShort(), f[1], f[2], f[3], f[4].toShort(), f[5].toShort(), f[6]);
    }

    // The actions as Saved writes them.
    static QStringList actions()
    {
        QStringList out;
        for (qint32 i = 1; i <= UserActions.Count(); ++i) {
            const CAction *a = UserActions.Item(i);
            out.append(QStringList{QString::number(a->Action()), a->BoxFile(), a->BoxName(),
                                   a->Folder(), QString::number(a->Shred()),
                                   QString::number(a->Checked()), a->LastRan()}
                           .join(QLatin1Char('|')));
        }
        return out;
    }

    QString profile(const QString &name) const { return dir.filePath(name + ".vlu"); }

    QTemporaryDir dir;
    RecordingPrompt prompt;
    int clearUserCalls = 0;
};

} // namespace

TEST_F(ProfileStore, SavedProfilesLoadBackWhateverThePasswordOrFolder)
{
    // Passwords found once for this cipher whose marker enciphers to the line-end bytes 13 and 10.
    ASSERT_EQ(markerFor("marker-357"), "\r");
    ASSERT_EQ(markerFor("marker-736"), "\n");
    const std::pair<QString, QString> cases[] = {{Password, "/a,b/\r\n"},
                                                 {"marker-357", ""},
                                                 {"marker-736", "/data/"},
                                                 {QString::fromUtf8("pässwört €"), "/data/"}};
    for (const auto &[password, folder] : cases) {
        SCOPED_TRACE(password.toStdString());
        logOn(Anna, password, folder);
        for (const QString &a : Saved)
            add(a);
        ASSERT_TRUE(UM::SaveProfile());
        const QByteArray bytes = readFile(profile(Anna));
        EXPECT_TRUE(bytes.startsWith(markerFor(password) + "\r\n"));
        EXPECT_EQ(bytes.count("\r\n"), 2 + Saved.size());
        logOff();

        const int cleared = clearUserCalls;
        ASSERT_TRUE(UM::LoadProfile(Anna, password));
        ASSERT_TRUE(UM::LoadProfile(Anna, password)) << "again: no action twice";
        EXPECT_EQ(actions(), Saved);
        EXPECT_EQ(clearUserCalls, cleared + 2);
        EXPECT_EQ(Global::DefaultFolder, folder);
        EXPECT_EQ(Global::CurrentUserName, Anna);
        EXPECT_EQ(Global::CurrentUserPassword, password);
        logOff();
    }
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(ProfileStore, WrongPasswordsAndDamagedProfilesLoadNothingAndStayAsTheyAre)
{
    const QString wrong = QStringLiteral("wrong");
    for (const qint16 a : {ProfileKey, BoxKey})
        for (const qint16 b : {ProfileKey, BoxKey})
            ASSERT_NE(markerFor(wrong, a), markerFor(Password, b));
    const QByteArray start = markerFor(Password) + "\r\n";
    const QByteArray folder = secured("/data/") + "\r\n";
    const QByteArray action = secured("2,a,b,c,0,1,") + "\r\n";
    // Rows: the profile, the password tried, what the one message says.
    QList<std::tuple<QByteArray, QString, QString>> cases = {
        {start + folder + action, wrong, "Invalid password"},
        {earlierProfile("2,a,b,c,0,1,"), wrong, "Invalid password"},
        {"", Password, "damaged: it holds fewer than two lines"},
        {start, Password, "damaged: it holds fewer than two lines"},
        {start + "!!!!\r\n", Password, "damaged: line 2"},
        // Marker and lines under different keys.
        {start + secured("/data/", BoxKey) + "\r\n", Password, "damaged: line 2"},
        {start + folder + action.chopped(5), Password, "damaged: line 3"},
        {start + folder + "\r\n", Password, "damaged: line 3"},
        // An earlier build's profile is read only when every line reads.
        {earlierProfile("2,a,b,c,0,1,").chopped(5) + "\r\n", Password, "damaged: line 3"},
        {start + folder + action + secured("x,a,b,c,0,1,") + "\r\n", Password, "damaged: line 4"},
    };
    // Action lines need seven fields, whole 16-bit numbers and sound escapes.
    for (const char *bad :
         {"hello", "1,f,n,d,0,1", "1,f,n,d,1.5,1,", "1,f,n,d,0,40000,", "~1,f,n%zz,d,0,1,"})
        cases.append({start + folder + secured(bad) + "\r\n", Password, "damaged: line 3"});

    add(Saved[2]);
    Global::DefaultFolder = QStringLiteral("/keep/");
    for (const auto &[bytes, password, expected] : cases) {
        SCOPED_TRACE(expected.toStdString());
        prompt.messages.clear();
        writeFile(profile(Anna), bytes);
        EXPECT_FALSE(UM::LoadProfile(Anna, password));
        ASSERT_EQ(prompt.messages.size(), 1);
        const QString &message = prompt.messages[0];
        EXPECT_TRUE(message == expected ||
                    (message.contains(profile(Anna)) && message.contains(expected)))
            << message.toStdString();
        EXPECT_EQ(actions(), QStringList{Saved[2]});
        EXPECT_EQ(Global::DefaultFolder, QStringLiteral("/keep/"));
        EXPECT_TRUE(Global::CurrentUserName.isEmpty() && Global::CurrentUserPassword.isEmpty());
        EXPECT_EQ(readFile(profile(Anna)), bytes);
    }
    prompt.messages.clear();
    EXPECT_FALSE(UM::LoadProfile(QStringLiteral("ghost"), Password));
    EXPECT_TRUE(prompt.messages.value(0).contains(profile("ghost") + " cannot be opened"));
    EXPECT_EQ(clearUserCalls, 0);
}

TEST_F(ProfileStore, AnEarlierBuildsProfileLoadsAndIsSavedUnderTheProfileKey)
{
    const QString line = QStringLiteral("2,C:\\Boxes\\work.vlx,work,C:\\Work\\,0,1,");
    writeFile(profile(Anna), earlierProfile(line));
    ASSERT_TRUE(UM::LoadProfile(Anna, Password));
    EXPECT_EQ(actions(), QStringList{Saved[0]});
    EXPECT_EQ(readFile(profile(Anna)), earlierProfile(line)) << "loading writes nothing";

    ASSERT_TRUE(UM::SaveProfile());
    EXPECT_EQ(readFile(profile(Anna)),
              markerFor(Password) + "\r\n" + secured("/data/") + "\r\n" + secured(line) + "\r\n");
    logOff();
    ASSERT_TRUE(UM::LoadProfile(Anna, Password));
    EXPECT_EQ(actions(), QStringList{Saved[0]});
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(ProfileStore, WhatAProfileGivesAwayDeciphersNoBoxUnderTheSamePassword)
{
    const QString boxName = QStringLiteral("Payroll of the whole firm");
    writeFile(dir.filePath("Payroll/salaries.txt"), "confidential");
    ASSERT_EQ(CCipherBlock().CreateBlock(dir.filePath("payroll.vlx"), boxName, Password,
                                         dir.filePath("Payroll"), 0),
              CCipherBlock::Written);
    const QByteArray box = readFile(dir.filePath("payroll.vlx"));

    logOn(Anna);
    add(Saved[0]);
    ASSERT_TRUE(UM::SaveProfile());
    const auto layout = ProfileLayout::fromBytes(readFile(profile(Anna)));
    ASSERT_TRUE(layout && layout->Lines.size() == 2);

    // Anyone who reads the profile can guess an action line; XORed with its cipher text it gives
    // keystream bytes, here tried on the box's marker and name (byte 1, a plain length, is not
    // enciphered and takes no keystream byte).
    const QByteArray plain = ActionLine::of(*UserActions.Item(1)).text().toUtf8();
    const auto boxStartThrough = [&](const QByteArray &securedLine) {
        const QByteArray body = QByteArray::fromBase64(securedLine.mid(8));
        const QByteArray enciphered = box.left(1) + box.mid(2, boxName.size());
        QByteArray out;
        for (qsizetype i = 0; i < enciphered.size(); ++i)
            out += char(enciphered[i] ^ body[i] ^ plain[i]);
        return out;
    };
    const QByteArray boxStart = "$" + boxName.toUtf8();
    ASSERT_GE(plain.size(), boxStart.size());
    EXPECT_EQ(boxStartThrough(secured(QString::fromUtf8(plain), BoxKey)), boxStart)
        << "a profile keyed like a box gave its start away";
    EXPECT_NE(boxStartThrough(layout->Lines[1]), boxStart);
}

TEST_F(ProfileStore, OnlyPlainFileNamesAndFilledInFieldsMakeProfiles)
{
    for (const QString &name : QStringList{".anna", "Anna Maria", "jürgen"})
        EXPECT_TRUE(UM::IsProfileName(name)) << name.toStdString();
    // Refused before any file is opened, so without a message.
    EXPECT_FALSE(UM::LoadProfile(QString(), Password));
    EXPECT_FALSE(UM::LoadProfile(Anna, QString()));
    logOn(QStringLiteral("bert"), QString());
    EXPECT_FALSE(UM::SaveProfile());
    EXPECT_TRUE(prompt.messages.isEmpty());

    EXPECT_FALSE(UM::IsProfileName(QString()));
    QStringList refused = {".", ".."};
    for (const QChar c : QStringLiteral("/\\:*?\"<>|\t\x7f"))
        refused.append(QStringLiteral("a") + c);
    for (const QString &name : refused) {
        EXPECT_FALSE(UM::IsProfileName(name)) << name.toStdString();
        logOn(name);
        EXPECT_FALSE(UM::SaveProfile() || UM::LoadProfile(name, Password));
    }
    EXPECT_EQ(prompt.messages.size(), 2 * refused.size());
    EXPECT_TRUE(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_F(ProfileStore, ProfilesAreListedAndMatchedWithoutRegardToCase)
{
    EXPECT_EQ(UM::ProfileFolder, dir.path() + "/");
    logOn(QStringLiteral("Anna"));
    ASSERT_TRUE(UM::SaveProfile());
    for (const char *file :
         {"b.vlu", "A.VLU", ".h.vlu", "x.vlu.vlu", "notes.txt", "a:b.vlu", ".vlu", "b.vlu.tmp"})
        writeFile(dir.filePath(QString::fromLatin1(file)), "x");
    QDir(dir.path()).mkdir(QStringLiteral("d.vlu"));
    UM::ListProfiles(dir.path() + "/");
    EXPECT_EQ(UM::ProfileNames, QStringList({".h", "a", "anna", "b", "x.vlu"}));
    EXPECT_EQ(UM::ProfilePath(QStringLiteral("x.vlu")), dir.filePath("x.vlu.vlu"));
    EXPECT_TRUE(UM::ProfileExists(QStringLiteral("ANNA")));

    logOff();
    ASSERT_TRUE(UM::LoadProfile(Anna, Password));
    EXPECT_EQ(Global::CurrentUserName, Anna);
    ASSERT_TRUE(UM::SaveProfile());
    EXPECT_FALSE(QFile::exists(profile(Anna))) << "saved over Anna.vlu, not beside it";
}

#ifdef Q_OS_UNIX

TEST_F(ProfileStore, ProfilesAndAFolderMadeForThemAreTheirOwnersAlone)
{
    using TestSupport::fileMode;
    const TestSupport::ScopedUmask usual(022);
    const QString folder = dir.filePath("made/for/profiles");
    UM::ListProfiles(folder);
    logOn(Anna);
    ASSERT_TRUE(UM::SaveProfile());
    // A profile that an earlier build left readable by everyone.
    writeFile(folder + "/bert.vlu", "x");
    ASSERT_EQ(fileMode(folder + "/bert.vlu"), 0644);
    logOn(QStringLiteral("bert"));
    ASSERT_TRUE(UM::SaveProfile());

    EXPECT_EQ(fileMode(dir.filePath("made")), 0700);
    EXPECT_EQ(fileMode(folder), 0700);
    EXPECT_EQ(fileMode(folder + "/anna.vlu"), 0600);
    EXPECT_EQ(fileMode(folder + "/bert.vlu"), 0600);
}

namespace {

// Caps the size of any file this process writes, as a nearly full disk would; returns the old cap.
rlimit capFileSize(rlim_t bytes)
{
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
    return saved;
}

// Runs in a child process, which the file size signal kills in the middle of writing.
void crashWhileSaving()
{
    rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    std::signal(SIGXFSZ, SIG_DFL);
    capFileSize(256);
    UM::SaveProfile();
    std::_Exit(0);
}

} // namespace

TEST_F(ProfileStore, AFullDiskOrACrashWhileSavingKeepsTheOldProfile)
{
    logOn(Anna);
    add(Saved[0]);
    ASSERT_TRUE(UM::SaveProfile());
    const QByteArray before = readFile(profile(Anna));
    for (int i = 0; i < 20; ++i)
        add(Saved[1]);
    const auto expectOldProfile = [&] {
        EXPECT_EQ(readFile(profile(Anna)), before);
        UM::ListProfiles(dir.path());
        EXPECT_EQ(UM::ProfileNames, QStringList{Anna});
    };

    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit usual = capFileSize(256);
    EXPECT_FALSE(UM::SaveProfile());
    setrlimit(RLIMIT_FSIZE, &usual);
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].contains(profile(Anna) + " was not saved"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"anna.vlu"});
    expectOldProfile();

    EXPECT_EXIT(crashWhileSaving(), ::testing::KilledBySignal(SIGXFSZ), "");
    expectOldProfile();
    logOff();
    ASSERT_TRUE(UM::LoadProfile(Anna, Password));
    EXPECT_EQ(actions(), QStringList{Saved[0]});
}

#endif
