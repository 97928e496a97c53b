#include "shell/frmMain.h"

#include "actions/ActionListEvents.h"
#include "actions/ActionListView.h"
#include "actions/ActionRunner.h"
#include "actions/Actions.h"
#include "actions/BoxFlows.h"
#include "core/AppLocations.h"
#include "core/Global.h"
#include "core/Prompt.h"
#include "dialogs/MenuItems.h"
#include "dialogs/Twips.h"
#include "profiles/UserManagement.h"
#include "profiles/frmNewUser.h"
#include "profiles/frmPassword.h"
#include "shell/CTray.h"
#include "shell/PictureBox.h"
#include "shell/StatusDisplay.h"
#include "shell/TopMost.h"
#include "shell/frmAbout.h"
#include "shell/frmSettings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScopeGuard>
#include <QSessionManager>
#include <QSettings>
#include <QStandardPaths>

namespace {

struct SettingKey
{
    const char *name;
    double fallback;
};
constexpr SettingKey MainWidth{"MainWidth", 4000};
constexpr SettingKey MainHeight{"MainHeight", 2000};
constexpr SettingKey Columns[] = {{"Column1", 2500}, {"Column2", 2500}, {"Column3", 1000},
                                  {"Column4", 1250}, {"Column5", 800},  {"Column6", 2000}};

const QString BusyMessage = QStringLiteral("A run is under way; wait until it has finished");
const QString ReadyMessage = QStringLiteral("Vaulnix Ready");

QString programFolder(const QString &configured)
{
    QString folder = configured;
    if (folder.isEmpty()) {
        folder = AppLocations::profileFolder(
            QCoreApplication::applicationDirPath(),
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        AppLocations::makePrivateFolder(folder);
    }
    folder = QDir::fromNativeSeparators(folder);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

frmMain::frmMain()
    : frmMain(Options{})
{}

frmMain::frmMain(Options opts)
    : lvMain(new ActionListView)
    , lblStatus(new QLabel)
    , lblBusy(new QLabel)
    , pic(new PictureBox)
    , Tray(new CTray(this))
    , Vaulnix(new CCipherBlock(this))
    , Timer(new QTimer(this))
    , options(std::move(opts))
{
    setWindowTitle(Global::AppName);
    auto *central = new QWidget;
    lvMain->setParent(central);
    lblStatus->setParent(central);
    lblBusy->setParent(central);
    pic->setParent(central);
    pic->hide();
    lblStatus->setTextFormat(Qt::PlainText);
    lblBusy->setTextFormat(Qt::PlainText);
    setCentralWidget(central);
    display = new StatusDisplay(lblStatus, lblBusy, pic, Tray, this);
    display->setPump([pump = eventPump] { (*pump)(); });
    actionRunner = new ActionRunner(*this);
    boxFlows = std::make_unique<BoxFlows>(*this);
    setWindowIcon(display->icon(0));

    Timer->setSingleShot(true);
    Timer->setInterval(1);
    connect(Timer, &QTimer::timeout, this, &frmMain::Timer_Timer);
    buildMenus();
    listHandler = new ActionListEvents(*this, *boxFlows);
}

frmMain::~frmMain()
{
    Actions::SetRows(nullptr);
}

QList<QAction *> frmMain::fillMenu(QMenu *menu, const QStringList &captions)
{
    QList<QAction *> items;
    for (const QString &caption : captions)
        items << (caption == QLatin1String("-") ? menu->addSeparator() : menu->addAction(caption));
    return items;
}

void frmMain::buildMenus()
{
    QMenu *file = mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFileItem = fillMenu(file, {"&New Box", "&Open Box", "-", "&Logoff", "-", "E&xit"});
    mnuFileItem[0]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuFileItem[1]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuLogin = new QAction(QStringLiteral("Log &In..."), this);
    file->insertAction(mnuFileItem[3], mnuLogin);
    mnuLogin->setVisible(false);
    fileMenuItems = file->actions();

    QMenu *optionsMenu = menuBar()->addMenu(QStringLiteral("&Options"));
    mnuOptionsItem = fillMenu(optionsMenu, {"&Settings", "-", "&Delete Profile"});
    QMenu *actions = menuBar()->addMenu(QStringLiteral("&Actions"));
    mnuActionsItem = fillMenu(actions, {"&Run", "-", "S&tartup Actions", "Shut&down Actions", "-",
                                        "&Clear All Actions", "Count Actions"});
    mnuActionsItem[0]->setShortcut(QKeySequence(Qt::Key_F5));
    mnuActionsItem[6]->setVisible(false);
    MenuItems::Show(actions, mnuActionsItem);
    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelpItem = fillMenu(help, {"&About Vaulnix..."});

    mnuPopup = new QMenu(QStringLiteral("Popup"), this);
    mnuPopupItem =
        fillMenu(mnuPopup, {"&Show", "&Hide", "-", "&Run Actions", "-", "S&tartup Actions",
                            "Shut&down Actions", "-", "&Login...", "-", "&Remove Vaulnix"});
    mnuPopupListView = new QMenu(QStringLiteral("PopupListView"), this);
    mnuPopupListViewItem = fillMenu(
        mnuPopupListView, {"&Create", "&Extract", "-", "&View Contents", "-", "&Remove", "&Shred"});
    mnuPopupListViewItem[6]->setCheckable(true);

    // What may not happen during a run: every command that touches the password, the keyed
    // cipher, the shared dialog fields, the profile or the kinds of rows. The action list's
    // popup, double click and drops ask the same question; Exit asks its own. Sorting, the
    // check boxes (a row unticked mid-run is skipped when the run reaches it), Show, Hide,
    // About and Count Actions stay.
    const QList<QAction *> refusedDuringRun = {
        mnuFileItem[0],    mnuFileItem[1],    mnuFileItem[3],    mnuOptionsItem[0],
        mnuOptionsItem[2], mnuActionsItem[0], mnuActionsItem[2], mnuActionsItem[3],
        mnuActionsItem[5], mnuPopupItem[3],   mnuPopupItem[5],   mnuPopupItem[6],
        mnuPopupItem[8]};
    // What needs a logged-on user: every run and every box command. With nobody logged on they
    // lead to the login window instead, so nothing reaches the engine without a password.
    const QList<QAction *> needsUser = {mnuFileItem[0],    mnuFileItem[1],    mnuActionsItem[0],
                                        mnuActionsItem[2], mnuActionsItem[3], mnuPopupItem[3],
                                        mnuPopupItem[5],   mnuPopupItem[6]};
    const auto dispatch = [this, refusedDuringRun, needsUser](const QList<QAction *> &items,
                                                              void (frmMain::*handler)(int)) {
        for (int i = 0; i < items.size(); ++i) {
            const bool guarded = refusedDuringRun.contains(items[i]);
            const bool userOnly = needsUser.contains(items[i]);
            connect(items[i], &QAction::triggered, this, [this, handler, i, guarded, userOnly] {
                if (!(guarded && RefusedWhileBusy()) && !(userOnly && RefusedWithoutUser()))
                    (this->*handler)(i);
            });
        }
    };
    dispatch(mnuFileItem, &frmMain::mnuFileItem_Click);
    dispatch(mnuOptionsItem, &frmMain::mnuOptionsItem_Click);
    dispatch(mnuActionsItem, &frmMain::mnuActionsItem_Click);
    dispatch(mnuHelpItem, &frmMain::mnuHelpItem_Click);
    dispatch(mnuPopupItem, &frmMain::mnuPopupItem_Click);
    connect(mnuLogin, &QAction::triggered, this, [this] {
        if (!RefusedWhileBusy())
            mnuPopupItem_Click(8);
    });
    connect(mnuPopup, &QMenu::aboutToShow, this, &frmMain::LayOutTrayMenu);
    connect(lvMain, &ActionListView::checkToggled, this, &frmMain::ProfileChanged);
    lvMain->setAccessibleName(QStringLiteral("Actions"));
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &manager) {
        manager.setRestartHint(QSessionManager::RestartNever);
        EndSession();
    });
}

bool frmMain::Load()
{
    QString lockPath = options.lockFile;
    if (lockPath.isEmpty())
        lockPath = AppLocations::instanceLockFile();
    instanceLock = std::make_unique<QLockFile>(lockPath);
    instanceLock->setStaleLockTime(0);
    if (!instanceLock->tryLock(0)) {
        Prompt::inform(QStringLiteral("Another instance of ") + Global::AppName +
                       QStringLiteral(" is already running.") + QStringLiteral("\r\n\r\n") +
                       QStringLiteral("This instance will be close automatically."));
        return false;
    }

    Global::AppVersion = QStringLiteral(VAULNIX_VERSION);
    Global::AppPath = programFolder(options.appPath);
    // The columns exist from construction; their widths come with the settings below.
    Actions::SetRows(lvMain);
    UserManagement::OpenProfileStore();
    UserManagement::ListProfiles(Global::AppPath);
    UserManagement::SetClearUser([this] { ClearUser(); });
    Global::CurrentUserName.clear();
    Global::CurrentUserPassword.clear();

    Vaulnix->setPump([pump = eventPump] { (*pump)(); });
    display->connectEngine(*Vaulnix);
    trayAvailable = options.trayAvailable < 0 ? Tray->hostKind() != TrayHost::Kind::None
                                              : options.trayAvailable != 0;
    pic->setPicture(display->icon(0));
    Tray->PicBox(pic);
    Tray->TipText(Global::VersionTitle());
    connect(Tray, &CTray::LButtonDblClick, this, &frmMain::Tray_LButtonDblClick);
    connect(Tray, &CTray::RButtonDown, this, &frmMain::Tray_RButtonDown);
    connect(Tray, &CTray::trayAppeared, this, &frmMain::TrayAppeared);
    Tray->ContextMenu(mnuPopup);
    // Also without a tray: one that appears later shows it.
    Tray->ShowIcon();
    mnuLogin->setVisible(!trayAvailable);
    MenuItems::Show(mnuFile, fileMenuItems);
    LayOutTrayMenu();

    restoreSettings();
    SetIcon(0);
    SetStatus(ReadyMessage);
    if (trayAvailable) {
        hide();
    } else {
        // Without a tray nothing could bring the window back: show it and offer the login.
        show();
        QTimer::singleShot(0, this, [this] { mnuPopupItem_Click(8); });
    }
    return true;
}

bool frmMain::WriteSealed() const
{
    QSettings *store = const_cast<frmMain *>(this)->settings();
    return store->value(QStringLiteral("Settings/") + WriteSealedKey, false).toBool();
}

void frmMain::SetWriteSealed(bool sealed)
{
    // Kept at once, beside the window's geometry: it is the program's, not a profile's.
    QSettings *store = settings();
    store->setValue(QStringLiteral("Settings/") + WriteSealedKey, sealed);
    store->sync();
}

QSettings *frmMain::settings()
{
    if (!settingsStore) {
        settingsStore =
            options.settingsFile.isEmpty()
                ? std::make_unique<QSettings>(Global::AppName, Global::AppName)
                : std::make_unique<QSettings>(options.settingsFile, QSettings::IniFormat);
    }
    return settingsStore.get();
}

void frmMain::restoreSettings()
{
    QSettings *store = settings();
    store->beginGroup(QStringLiteral("Settings"));
    const auto read = [store](const SettingKey &key) {
        bool ok = false;
        const double value = store->value(QLatin1String(key.name)).toString().toFloat(&ok);
        return ok ? value : key.fallback;
    };
    pendingOuterSize = QSize(Twips::toPixels(read(MainWidth)), Twips::toPixels(read(MainHeight)));
    resize(pendingOuterSize);
    applyOuterSize();
    for (int i = 0; i < 6; ++i)
        lvMain->header()->resizeSection(i, Twips::toPixels(read(Columns[i])));
    store->endGroup();
    layOut();
}

void frmMain::SaveSettings()
{
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        QSettings *store = settings();
        store->beginGroup(QStringLiteral("Settings"));
        const auto write = [store](const SettingKey &key, int pixels) {
            store->setValue(QLatin1String(key.name),
                            QString::number(float(qRound(Twips::fromPixels(pixels)))));
        };
        const QSize outer = outerSize();
        write(MainWidth, outer.width());
        write(MainHeight, outer.height());
        for (int i = 0; i < 6; ++i)
            write(Columns[i], lvMain->header()->sectionSize(i));
        store->endGroup();
        store->sync();
    }
    SaveProfileNow();
}

QSize frmMain::outerSize() const
{
    // Never framed yet: the size asked for is still the one to keep.
    if (pendingOuterSize.isValid())
        return pendingOuterSize;
    return frameGeometry().size();
}

void frmMain::applyOuterSize()
{
    if (!pendingOuterSize.isValid() || !isVisible())
        return;
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame.isNull()) {
        // Resized by someone else before any frame showed (or there is no window manager).
        if (size() != pendingOuterSize)
            pendingOuterSize = QSize();
        return;
    }
    const QSize outer = pendingOuterSize;
    pendingOuterSize = QSize();
    resize(outer - frame);
}

bool frmMain::event(QEvent *event)
{
    const bool handled = QMainWindow::event(event);
    switch (event->type()) {
    case QEvent::Hide:
        LayOutTrayMenu();
        break;
    case QEvent::Show:
        LayOutTrayMenu();
        [[fallthrough]];
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        applyOuterSize();
        break;
    default:
        break;
    }
    return handled;
}

bool frmMain::RefusedWhileBusy()
{
    if (!BusyFlag)
        return false;
    SetStatus(BusyMessage);
    return true;
}

void frmMain::ProfileChanged()
{
    profileDirty = true;
    SaveProfileNow();
}

void frmMain::SaveProfileNow()
{
    if (closed || Global::CurrentUserName.isEmpty() || Global::CurrentUserPassword.isEmpty())
        return;
    // A save keys the shared cipher: never while the engine holds its stream.
    if (CipherInUse) {
        profileDirty = true;
        return;
    }
    profileDirty = !UserManagement::SaveProfile();
}

void frmMain::CipherReleased()
{
    CipherInUse = false;
    if (profileDirty)
        SaveProfileNow();
}

void frmMain::ShowSettingsDialog()
{
    frmSettings dialog({[this] { SaveSettings(); }, [this](const QString &msg) { SetStatus(msg); },
                        [this] { return WriteSealed(); },
                        [this](bool sealed) { SetWriteSealed(sealed); }},
                       this);
    dialog.txtPath->setText(Global::DefaultFolder);
    dialog.txtPath->selectAll();
    dialog.exec();
}

void frmMain::SetStatus(const QString &msg)
{
    display->SetStatus(msg);
}

void frmMain::SetTitle(const QString &msg)
{
    // Nobody logged on: nothing after the version, not even the separator.
    setWindowTitle(msg.isEmpty() ? Global::VersionTitle()
                                 : Global::VersionTitle() + QStringLiteral(" - ") + msg);
}

void frmMain::SetIcon(qint16 icon)
{
    display->SetIcon(icon);
}

bool frmMain::loggedIn()
{
    return !Global::CurrentUserName.isEmpty() || !Global::CurrentUserPassword.isEmpty();
}

void frmMain::ShowMainWindow()
{
    show();
    if (isMinimized())
        showNormal();
    SetTopMost(this, true);
    activateWindow();
    SetTopMost(this, false);
}

void frmMain::Tray_LButtonDblClick()
{
    if (loggedIn())
        ShowMainWindow();
}

void frmMain::Tray_RButtonDown()
{
    LayOutTrayMenu();
}

void frmMain::TrayAppeared()
{
    trayAvailable = true;
    mnuLogin->setVisible(false);
    MenuItems::Show(mnuFile, fileMenuItems);
}

// Kept current whenever the logon state or the window's visibility changes, not only as the menu
// opens: a StatusNotifierItem host reads and sizes the menu before it shows it.
void frmMain::LayOutTrayMenu()
{
    const bool user = loggedIn();
    for (int i = 0; i <= 7; ++i)
        mnuPopupItem[i]->setVisible(user);
    if (user) {
        mnuPopupItem[0]->setVisible(!isVisible());
        mnuPopupItem[1]->setVisible(isVisible());
    }
    mnuPopupItem[8]->setVisible(!user);
    mnuPopupItem[9]->setVisible(!user);
    mnuPopupItem[10]->setVisible(true);
    MenuItems::Show(mnuPopup, mnuPopupItem);
}

void frmMain::mnuPopupItem_Click(int index)
{
    switch (index) {
    case 0:
        ShowMainWindow();
        break;
    case 1:
        hide();
        break;
    case 3:
        if (lvMain->rowCount() > 0)
            Timer->start();
        break;
    case 5:
        actionRunner->StartupActions();
        break;
    case 6:
        actionRunner->ShutdownActions();
        break;
    case 8:
        if (loggedIn() || UserProfiles() == 1)
            ShowMainWindow();
        break;
    case 10:
        CloseProgram();
        break;
    default:
        break;
    }
}

void frmMain::ClearUser()
{
    SetTitle(QString());
    Actions::RemoveAllActions();
}

void frmMain::forgetUser()
{
    ClearUser();
    // The last status may name her files.
    SetStatus(ReadyMessage);
}

bool frmMain::RefusedWithoutUser()
{
    if (!Global::CurrentUserPassword.isEmpty())
        return false;
    SetStatus(QStringLiteral("Nobody is logged on"));
    mnuPopupItem_Click(8);
    return true;
}

void frmMain::Logoff()
{
    SaveProfileNow();
    Global::CurrentUserName.clear();
    Global::CurrentUserPassword.clear();
    forgetUser();
    LayOutTrayMenu();
    if (trayAvailable)
        hide();
    else
        mnuPopupItem_Click(8);
}

void frmMain::mnuFileItem_Click(int index)
{
    switch (index) {
    case 0:
        boxFlows->NewBox();
        break;
    case 1:
        boxFlows->OpenBox();
        break;
    case 3:
        Logoff();
        break;
    case 5:
        CloseProgram();
        break;
    default:
        break;
    }
}

void frmMain::mnuOptionsItem_Click(int index)
{
    if (index == 0)
        ShowSettingsDialog();
    else if (index == 2)
        DeleteProfile();
}

void frmMain::mnuActionsItem_Click(int index)
{
    switch (index) {
    case 0:
        if (lvMain->rowCount() > 0)
            Timer->start();
        break;
    case 2:
        actionRunner->StartupActions();
        break;
    case 3:
        actionRunner->ShutdownActions();
        break;
    case 5:
        actionRunner->ClearAllActions();
        break;
    case 6:
        actionRunner->CountActions();
        break;
    default:
        break;
    }
}

qint16 frmMain::UserProfiles()
{
    const auto relayOut = qScopeGuard([this] { LayOutTrayMenu(); });
    if (!UserManagement::ProfileNames.isEmpty()) {
        const qint16 result = ShowLogin();
        if (result != 1)
            return result;
    } else {
        frmNewUser first(*this);
        Global::DialogResult = 0;
        first.exec();
        if (Global::DialogResult != 1)
            return Global::DialogResult;
        Global::DefaultFolder = Global::AppPath;
        ShowSettingsDialog();
        if (!Global::DefaultFolder.isEmpty() && Global::DialogResult == 1)
            SaveSettings();
    }
    SetTitle(Global::CurrentUserName);
    PrepareBoxKey();
    return 1;
}

void frmMain::PrepareBoxKey()
{
    if (Global::CurrentUserPassword.isEmpty())
        return;
    if (boxKeyReady.valid())
        boxKeyReady.wait(); // one derivation at a time
    boxKeyReady = std::async(std::launch::async, [key = Global::CurrentUserPassword.toUtf8()] {
        CCipher::PrepareKey(key);
    });
}

qint16 frmMain::ShowLogin()
{
    frmPassword login(*this);
    login.exec();
    switch (Global::DialogResult) {
    case 1:
        return 1;
    case 0:
        return 0;
    default:
        return Global::CurrentUserPassword.isEmpty() ? 2 : 0;
    }
}

void frmMain::DeleteProfile()
{
    if (Global::CurrentUserName.isEmpty())
        return;
    if (Prompt::askBeforeDestroying(QStringLiteral("Delete ") + Global::CurrentUserName +
                                        QStringLiteral("?"),
                                    Prompt::Icon::Information) != Prompt::Yes)
        return;
    // The question let the message loop run: a run may have started meanwhile.
    if (RefusedWhileBusy())
        return;
    UserManagement::DeleteProfile();
    forgetUser();
    UserManagement::ListProfiles(Global::AppPath);
    LayOutTrayMenu();
    if (trayAvailable)
        hide();
    else
        mnuPopupItem_Click(8);
}

void frmMain::mnuHelpItem_Click(int index)
{
    if (index != 0)
        return;
    // Not modal: it deletes itself when closed.
    auto *about = new frmAbout(this);
    about->show();
    about->raise();
    about->activateWindow();
}

void frmMain::Timer_Timer()
{
    Timer->stop();
    // The message loop runs during a run; a second run must not start inside it.
    if (RefusedWhileBusy())
        return;
    // An open dialog writes the shared fields a run reads; it must close first.
    if (QApplication::activeModalWidget()) {
        SetStatus(QStringLiteral("Close the open window, then run the actions again"));
        return;
    }
    // Every box of a run is keyed with the password: never run without one.
    if (Global::CurrentUserPassword.isEmpty())
        return;
    actionRunner->ProcessScript();
    if (Global::StopRequested)
        CloseProgram();
}

void frmMain::CloseProgram()
{
    closingMark = ClosingMark;
    close();
}

void frmMain::EndSession()
{
    sessionEnding = true;
    CloseProgram();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (closingMark != ClosingMark) {
        if (trayAvailable) {
            hide();
            event->ignore();
            return;
        }
        closingMark = ClosingMark; // no tray: closing the window is the way out
    }
    if (!closed && BusyFlag) {
        if (!sessionEnding && !Global::StopRequested &&
            Prompt::ask(QStringLiteral("Cancel current process?"), Prompt::Buttons::YesNo) ==
                Prompt::No) {
            event->ignore();
            return;
        }
        // The run stops at its next check and closes the program from there, once the engine
        // has let go of the cipher and the profile can be saved.
        Global::StopRequested = 1;
        closeOtherWindows();
        event->ignore();
        return;
    }
    if (!closed)
        shutdown();
    event->accept();
    QCoreApplication::quit();
}

void frmMain::shutdown()
{
    Global::StopRequested = 1;
    SaveSettings();
    ClearUser();
    closeOtherWindows();
    UserManagement::SetClearUser({});
    UserManagement::CloseProfileStore();
    Tray->DeleteIcon();
    closed = true;
}

void frmMain::closeOtherWindows()
{
    // Dialogs opened last close first; a running operation returns into them only after this.
    while (QWidget *modal = QApplication::activeModalWidget()) {
        if (modal == this)
            break;
        modal->close();
        if (QApplication::activeModalWidget() == modal)
            break;
    }
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible() && window->isWindow() &&
            !qobject_cast<QMenu *>(window))
            window->close();
    }
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    layOut();
}

void frmMain::layOut()
{
    if (isMinimized())
        return;
    const int w = frameGeometry().width();
    const int h = frameGeometry().height();
    const int margin = Twips::toPixels(15);
    const int listWidth = std::max(0, w - Twips::toPixels(150));
    const int listHeight = std::max(0, h - Twips::toPixels(975));
    lvMain->setGeometry(margin, margin, listWidth, listHeight);
    const int lineHeight = lblStatus->sizeHint().height();
    // Tall window decorations must not push the status line out of sight.
    const int statusTop = std::min(listHeight + Twips::toPixels(30),
                                   std::max(0, centralWidget()->height() - lineHeight));
    lblStatus->setGeometry(margin, statusTop, std::max(0, w - Twips::toPixels(855)), lineHeight);
    lblBusy->setGeometry(std::max(0, w - Twips::toPixels(780)), statusTop, Twips::toPixels(630),
                         lineHeight);
}
