#include "profiles/UserManagement.h"
#include "../actions/RecordingRows.h"
#include "TestSupport.h"
#include "cipher/CCipher.h"
#include "core/Global.h"
#include "engine/CCipherBlock.h"
#include "profiles/ActionLine.h"
#include "profiles/ProfileLayout.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

using Actions::UserActions;
using TestSupport::readFile;
using TestSupport::writeFile;
namespace UM = UserManagement;

namespace {

const QString Password = QStringLiteral("anna-pw");
const QString Anna = QStringLiteral("anna");

// Actions as kind|box file|box name|folder|shred|checked|last ran.
const QStringList Saved = {
    "2|C:\\Boxes\\work.vlx|work|C:\\Work\\|0|1|",
    "1|/b/mail.vlx|mail|/a/m.txt;/a/b.txt|1|-1|1/2/2024 9:00 AM",
    "7||||-1|0|",
    "1|/b/a,b.vlx|one, two|/f/x,1;/f/y|1|1|Tuesday, 2 January 2024",
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

class ProfileStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        Actions::NextActionID = 0;
        clearGlobals();
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
        clearGlobals();
    }

    static void clearGlobals()
    {
        Global::CurrentUserName.clear();
        Global::CurrentUserPassword.clear();
        Global::DefaultFolder.clear();
    }

    void logOn(const QString &name, const QString &password = Password,
               const QString &folder = QStringLiteral("/data/"))
    {
        Global::CurrentUserName = name;
        Global::CurrentUserPassword = password;
        Global::DefaultFolder = folder;
    }

    void logOff()
    {
        Actions::RemoveAllActions();
        clearGlobals();
    }

    void add(const QString &action)
    {
        const QStringList f = action.split(QLatin1Char('|'));
        Actions::AddAction(f[0].toShort(), f[1], f[2], f[3], f[4].toShort(), f[5].toShort(), f[6]);
    }

    QStringList actions() const
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

    void expectActions(const QStringList &want)
    {
        EXPECT_EQ(actions(), want);
        QStringList ids;
        for (qint32 i = 1; i <= UserActions.Count(); ++i)
            ids.append(QString::number(UserActions.Item(i)->ID()));
        EXPECT_EQ(list.tags(), ids);
    }

    QString profile(const QString &name) const { return dir.filePath(name + ".vlu"); }

    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir;
    RecordingPrompt prompt;
    RecordingRows list;
    int clearUserCalls = 0;
};

} // namespace

TEST_F(ProfileStore, TheFileHoldsTheMarkerTheFolderAndOneLinePerAction)
{
    logOn(Anna);
    ASSERT_TRUE(UM::SaveProfile());
    const QByteArray twoLines = markerFor(Password) + "\r\n" + secured("/data/") + "\r\n";
    EXPECT_EQ(readFile(profile(Anna)), twoLines);

    add(Saved[0]);
    ASSERT_TRUE(UM::SaveProfile());
    EXPECT_EQ(readFile(profile(Anna)),
              twoLines + secured("2,C:\\Boxes\\work.vlx,work,C:\\Work\\,0,1,") + "\r\n");
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(ProfileStore, SaveAndLoadGiveTheSameActionsWithNewIds)
{
    logOn(Anna, Password, QStringLiteral("/a,b/\r\n"));
    for (const QString &a : Saved)
        add(a);
    ASSERT_TRUE(UM::SaveProfile());
    logOff();

    ASSERT_TRUE(UM::LoadProfile(Anna, Password));
    expectActions(Saved);
    EXPECT_EQ(UserActions.Item(1)->ID(), 5);
    EXPECT_EQ(Global::DefaultFolder, QStringLiteral("/a,b/\r\n"));
    EXPECT_EQ(Global::CurrentUserName, Anna);
    EXPECT_EQ(Global::CurrentUserPassword, Password);
    EXPECT_EQ(clearUserCalls, 1);

    // Loading again empties the list first: no action twice.
    ASSERT_TRUE(UM::LoadProfile(Anna, Password));
    expectActions(Saved);
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(ProfileStore, AnEmptyDefaultFolderReadsBackEmpty)
{
    logOn(Anna, Password, QString());
    ASSERT_TRUE(UM::SaveProfile());
    logOff();
    ASSERT_TRUE(UM::LoadProfile(Anna, Password));
    EXPECT_EQ(Global::DefaultFolder, QString());
}

TEST_F(ProfileStore, ANameTypedInCapitalsIsListedLowerCasedAndOpensAgain)
{
    logOn(QStringLiteral("Anna"));
    ASSERT_TRUE(UM::SaveProfile());
    logOff();
    UM::ListProfiles(dir.path());
    EXPECT_EQ(UM::ProfileNames, QStringList{Anna});
    EXPECT_TRUE(UM::ProfileExists(QStringLiteral("ANNA")));

    ASSERT_TRUE(UM::LoadProfile(Anna, Password));
    EXPECT_EQ(Global::CurrentUserName, Anna);
    ASSERT_TRUE(UM::SaveProfile());
    // Saved over the same file, not beside it.
    EXPECT_EQ(entries(), QStringList{"Anna.vlu"});
}

TEST_F(ProfileStore, AWrongPasswordChangesNothing)
{
    logOn(Anna);
    add(Saved[0]);
    ASSERT_TRUE(UM::SaveProfile());
    const QByteArray earlier = markerFor(Password, BoxKey) + "\r\n" + secured("/data/", BoxKey) +
                               "\r\n" + secured("2,a,b,c,0,1,", BoxKey) + "\r\n";
    const QString wrong = QStringLiteral("wrong");
    for (const qint16 mode : {ProfileKey, BoxKey})
        ASSERT_NE(markerFor(wrong, mode), markerFor(Password, mode));
    ASSERT_NE(markerFor(wrong, ProfileKey), markerFor(Password, BoxKey));
    ASSERT_NE(markerFor(wrong, BoxKey), markerFor(Password, ProfileKey));
    logOff();
    Global::DefaultFolder = QStringLiteral("/keep/");
    add(Saved[1]);

    // A profile of this build, then one of an earlier build.
    for (const QByteArray &bytes : {readFile(profile(Anna)), earlier}) {
        writeFile(profile(Anna), bytes);
        prompt.messages.clear();
        prompt.titles.clear();
        EXPECT_FALSE(UM::LoadProfile(Anna, wrong));
        EXPECT_EQ(prompt.messages, QStringList{"Invalid password"});
        EXPECT_EQ(prompt.titles, QStringList{"Vaulnix"});
        expectActions({Saved[1]});
        EXPECT_EQ(clearUserCalls, 0);
        EXPECT_EQ(Global::DefaultFolder, QStringLiteral("/keep/"));
        EXPECT_TRUE(Global::CurrentUserName.isEmpty());
        EXPECT_TRUE(Global::CurrentUserPassword.isEmpty());
        EXPECT_EQ(readFile(profile(Anna)), bytes);
    }
}

TEST_F(ProfileStore, AProfileOfAnEarlierBuildLoadsAndIsSavedUnderTheProfileKey)
{
    const QString line = QStringLiteral("2,C:\\Boxes\\work.vlx,work,C:\\Work\\,0,1,");
    const QByteArray earlier = markerFor(Password, BoxKey) + "\r\n" + secured("/data/", BoxKey) +
                               "\r\n" + secured(line, BoxKey) + "\r\n";
    writeFile(profile(Anna), earlier);
    ASSERT_TRUE(UM::LoadProfile(Anna, Password));
    expectActions({Saved[0]});
    EXPECT_EQ(Global::DefaultFolder, QStringLiteral("/data/"));
    EXPECT_EQ(readFile(profile(Anna)), earlier) << "loading writes nothing";

    ASSERT_TRUE(UM::SaveProfile());
    EXPECT_EQ(readFile(profile(Anna)),
              markerFor(Password) + "\r\n" + secured("/data/") + "\r\n" + secured(line) + "\r\n");
    logOff();
    ASSERT_TRUE(UM::LoadProfile(Anna, Password));
    expectActions({Saved[0]});
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(ProfileStore, WhatAProfileGivesAwayDeciphersNoBoxUnderTheSamePassword)
{
    const QString boxName = QStringLiteral("Payroll of the whole firm");
    writeFile(dir.filePath("Payroll/salaries.txt"), "confidential");
    CCipherBlock engine;
    ASSERT_EQ(engine.CreateBlock(dir.filePath("payroll.vlx"), boxName, Password,
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

TEST_F(ProfileStore, AnEmptyNameOrPasswordIsRefusedSilently)
{
    logOn(Anna);
    ASSERT_TRUE(UM::SaveProfile());
    logOff();
    // Opening a file would show "cannot be opened" or "Invalid password".
    EXPECT_FALSE(UM::LoadProfile(QString(), Password));
    EXPECT_FALSE(UM::LoadProfile(Anna, QString()));
    EXPECT_FALSE(UM::LoadProfile(QStringLiteral("ghost"), QString()));
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_TRUE(Global::CurrentUserName.isEmpty());

    logOn(QStringLiteral("bert"), QString());
    EXPECT_FALSE(UM::SaveProfile());
    EXPECT_FALSE(QFile::exists(profile("bert")));
}

TEST_F(ProfileStore, MarkerBytesThatAreLineEndsStillLogOn)
{
    // Passwords found once for this cipher whose marker enciphers to 13 and to 10.
    for (const auto &[password, byte] : {std::pair{"marker-357", '\r'}, {"marker-736", '\n'}}) {
        SCOPED_TRACE(password);
        ASSERT_EQ(markerFor(password), QByteArray(1, byte));
        logOn(Anna, password);
        add(Saved[0]);
        ASSERT_TRUE(UM::SaveProfile());
        EXPECT_TRUE(readFile(profile(Anna)).startsWith(QByteArray(1, byte) + "\r\n"));
        logOff();
        ASSERT_TRUE(UM::LoadProfile(Anna, password));
        expectActions({Saved[0]});
        logOff();
    }
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(ProfileStore, NamesThatAreNotPlainFileNamesAreRefused)
{
    for (const QString &name : QStringList{".anna", "Anna Maria", QString::fromUtf8("jürgen")})
        EXPECT_TRUE(UM::IsProfileName(name)) << name.toStdString();
    EXPECT_FALSE(UM::IsProfileName(QString()));

    for (const QString &name : QStringList{".", "..", "a/b", "a\\b", "c:", "x*", "q?", "say\"", "<",
                                           ">", "|", "tab\t", QString(QChar(0x7f))}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(UM::IsProfileName(name));
        prompt.messages.clear();
        logOn(name);
        EXPECT_FALSE(UM::SaveProfile());
        EXPECT_FALSE(UM::LoadProfile(name, Password));
        EXPECT_EQ(prompt.messages.size(), 2);
    }
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(ProfileStore, ListingOffersOnlyProfilesThatCanBeOpened)
{
    EXPECT_TRUE(UM::ProfileNames.isEmpty());
    EXPECT_EQ(UM::ProfileFolder, dir.path() + "/");

    for (const char *file :
         {"b.vlu", "A.VLU", ".h.vlu", "x.vlu.vlu", "notes.txt", "a:b.vlu", ".vlu", "b.vlu.tmp"})
        writeFile(dir.filePath(QString::fromLatin1(file)), "x");
    QDir(dir.path()).mkdir(QStringLiteral("d.vlu"));
    UM::ListProfiles(dir.path() + "/");
    EXPECT_EQ(UM::ProfileNames, QStringList({".h", "a", "b", "x.vlu"}));
    EXPECT_EQ(UM::ProfilePath(QStringLiteral("x.vlu")), dir.filePath("x.vlu.vlu"));
}

TEST_F(ProfileStore, DeleteOverwritesAndRemovesTheProfile)
{
    logOn(Anna);
    add(Saved[0]);
    ASSERT_TRUE(UM::SaveProfile());
    const qint64 size = QFileInfo(profile(Anna)).size();
#ifdef Q_OS_UNIX
    // A second name for the same file shows what was left on disk.
    const QString witness = dir.filePath("witness");
    ASSERT_EQ(::link(QFile::encodeName(profile(Anna)).constData(),
                     QFile::encodeName(witness).constData()),
              0);
#endif
    EXPECT_TRUE(UM::DeleteProfile());
    EXPECT_FALSE(QFile::exists(profile(Anna)));
    EXPECT_TRUE(Global::CurrentUserName.isEmpty());
    EXPECT_TRUE(Global::CurrentUserPassword.isEmpty());
#ifdef Q_OS_UNIX
    EXPECT_EQ(readFile(witness), QByteArray(size, ' ') + "\r\n");
#endif
    UM::ListProfiles(dir.path());
    EXPECT_TRUE(UM::ProfileNames.isEmpty());
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(ProfileStore, DamagedProfilesAreReportedAndChangeNothing)
{
    ASSERT_NE(markerFor(Password), markerFor(Password, BoxKey));
    const QByteArray start = markerFor(Password) + "\r\n";
    const QByteArray folder = secured("/data/") + "\r\n";
    const QList<std::pair<QByteArray, QString>> damaged = {
        {"", "fewer than two lines"},
        {start, "fewer than two lines"},
        {start + "!!!!\r\n", "line 2"},
        {start + folder + secured("1,a,b,c,0,1,").chopped(3), "line 3"},
        {start + folder + secured("hello") + "\r\n", "line 3"},
        {start + folder + "\r\n", "line 3"},
        {start + folder + secured("2,a,b,c,0,1,") + "\r\n" + secured("x,a,b,c,0,1,") + "\r\n",
         "line 4"},
        // Keyed like boxes by an earlier build: read only when every line reads.
        {markerFor(Password, BoxKey) + "\r\n" + secured("/data/", BoxKey) + "\r\n" +
             secured("1,a,b,c,0,1,", BoxKey).chopped(3) + "\r\n",
         "line 3"},
        // Marker and lines under different keys.
        {start + secured("/data/", BoxKey) + "\r\n", "line 2"},
    };
    add(Saved[2]);
    Global::DefaultFolder = QStringLiteral("/keep/");
    for (const auto &[bytes, cause] : damaged) {
        SCOPED_TRACE(cause.toStdString());
        prompt.messages.clear();
        writeFile(profile(Anna), bytes);
        EXPECT_FALSE(UM::LoadProfile(Anna, Password));
        ASSERT_EQ(prompt.messages.size(), 1);
        const QString &message = prompt.messages[0];
        EXPECT_TRUE(message.contains(profile(Anna)) && message.contains("damaged") &&
                    message.contains(cause))
            << message.toStdString();
        expectActions({Saved[2]});
        EXPECT_EQ(Global::DefaultFolder, QStringLiteral("/keep/"));
        EXPECT_TRUE(Global::CurrentUserName.isEmpty());
        EXPECT_EQ(readFile(profile(Anna)), bytes);
    }

    prompt.messages.clear();
    EXPECT_FALSE(UM::LoadProfile(QStringLiteral("ghost"), Password));
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].contains(profile("ghost") + " cannot be opened"));
    EXPECT_EQ(clearUserCalls, 0);
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

// Caps the size of any file this process writes, as a nearly full disk would.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }

private:
    rlimit saved{};
};

} // namespace

class InterruptedSave : public ProfileStore
{
protected:
    void SetUp() override
    {
        ProfileStore::SetUp();
        logOn(Anna);
        add(Saved[0]);
        ASSERT_TRUE(UM::SaveProfile());
        before = readFile(profile(Anna));
        for (int i = 0; i < 20; ++i)
            add(Saved[1]);
    }

    void expectOldProfileIntact()
    {
        EXPECT_EQ(readFile(profile(Anna)), before);
        UM::ListProfiles(dir.path());
        EXPECT_EQ(UM::ProfileNames, QStringList{Anna});
        logOff();
        ASSERT_TRUE(UM::LoadProfile(Anna, Password));
        expectActions({Saved[0]});
    }

    // Runs in a child process, which the file size signal kills in the middle of writing.
    static void crashWhileSaving()
    {
        rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        std::signal(SIGXFSZ, SIG_DFL);
        FileSizeLimit limit(256);
        UM::SaveProfile();
        std::_Exit(0);
    }

    QByteArray before;
};

TEST_F(InterruptedSave, ADiskThatFillsUpKeepsTheOldProfile)
{
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    bool saved = true;
    {
        FileSizeLimit limit(256);
        saved = UM::SaveProfile();
    }
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].contains(profile(Anna) + " was not saved"));
    EXPECT_EQ(entries(), QStringList{"anna.vlu"});
    expectOldProfileIntact();
}

TEST_F(InterruptedSave, ACrashWhileWritingKeepsTheOldProfile)
{
    EXPECT_EXIT(crashWhileSaving(), ::testing::KilledBySignal(SIGXFSZ), "");
    expectOldProfileIntact();
}

#endif
