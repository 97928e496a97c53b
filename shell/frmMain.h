#pragma once

#include "actions/MainWindowHost.h"
#include "engine/CCipherBlock.h"
#include "engine/CTick.h"
#include "shell/EventPump.h"

#include <QLockFile>
#include <QMainWindow>
#include <QTime>
#include <QTimer>

#include <functional>
#include <future>
#include <memory>

class ActionListView;
class ActionRunner;
class ActionListEvents;
class BoxFlows;
class CTray;
class PictureBox;
class QLabel;
class QMenu;
class QSettings;
class StatusDisplay;

// The program's first window and the owner of everything that lives as long as the program:
// the box engine, the tray icon, the action list and the run timer.
class frmMain : public QMainWindow, public MainWindowHost
{
    Q_OBJECT

public:
    struct Options
    {
        QString appPath;        // empty: the program's folder, or the user's data folder
        QString settingsFile;   // empty: the platform's per-user settings store
        QString lockFile;       // empty: one lock per login session (AppLocations)
        int trayAvailable = -1; // -1: ask the platform
    };

    static inline const QString ClosingMark = QStringLiteral("END");

    frmMain();
    explicit frmMain(Options options);
    ~frmMain() override;

    // The start-up sequence; false when another instance runs and this one must end.
    bool Load();
    void CloseProgram() override;
    // The end of the desktop session or a termination signal: the shutdown without questions.
    void EndSession();

    // While a run or a selective extraction is under way, nothing may touch what it depends on:
    // the password, the keyed cipher, the shared dialog fields, the profile and the kinds of
    // rows. Every command that would asks here first; true (with a status line) means refused.
    bool RefusedWhileBusy() override;
    // With nobody logged on, runs and box commands show the login instead; true means refused.
    bool RefusedWithoutUser() override;
    // The user changed an action, the list or a setting: saved now, or after the current step.
    void ProfileChanged() override;
    // Writes the logged-on user's profile unless a run holds the keyed cipher; then it is
    // written when the run next lets go of it.
    void SaveProfileNow();
    // The engine step is over: a save that waited for it happens now.
    void CipherReleased() override;

    // Status display.
    void SetStatus(const QString &msg) override;
    void SetTitle(const QString &msg);
    void SetIcon(qint16 icon) override;

    // The rest of what the runner, the box flows, the list and the login windows need.
    bool IsBusy() const override { return BusyFlag; }
    void SetBusy(bool busy) override { BusyFlag = busy; }
    void CipherTaken() override { CipherInUse = true; }
    void StartRunTimer() override { Timer->start(); }
    CTick &Stopwatch() override { return RunStopwatch; }
    CCipherBlock &Engine() override { return *Vaulnix; }
    bool WriteSealed() const override;
    void SetWriteSealed(bool sealed);
    static inline const QString WriteSealedKey = QStringLiteral("WriteSealedBoxes");
    ActionListView &Rows() override { return *lvMain; }
    QMenu &ListPopup() override { return *mnuPopupListView; }
    const QList<QAction *> &ListPopupItems() const override { return mnuPopupListViewItem; }
    QWidget *DialogParent() override { return this; }
    StatusDisplay &status() { return *display; }

    // Settings.
    void SaveSettings();
    void ShowSettingsDialog();

    // Tray.
    void ShowMainWindow();
    void Tray_LButtonDblClick();
    void Tray_RButtonDown();
    void LayOutTrayMenu();
    // A tray host started after the program: the window may hide into it from now on.
    void TrayAppeared();
    void mnuPopupItem_Click(int index);

    // Users.
    void ClearUser() override;
    void Logoff();
    qint16 UserProfiles();
    // Derives the logged-on user's box key on another core right after the log-on, so a run
    // neither waits for the derivation nor holds its 64 MiB beside the window and a folder scan.
    void PrepareBoxKey();
    qint16 ShowLogin();
    void DeleteProfile();
    ActionRunner &runner() { return *actionRunner; }
    BoxFlows &flows() { return *boxFlows; }
    ActionListEvents &listEvents() { return *listHandler; }

    void mnuFileItem_Click(int index);
    void mnuOptionsItem_Click(int index);
    void mnuActionsItem_Click(int index);
    void mnuHelpItem_Click(int index);
    void Timer_Timer();

    bool hasTray() const { return trayAvailable; }
    bool isClosed() const { return closed; }
    static bool loggedIn();

    ActionListView *lvMain;
    QLabel *lblStatus;
    QLabel *lblBusy;
    PictureBox *pic;
    CTray *Tray;
    CCipherBlock *Vaulnix;
    CTick RunStopwatch;
    QTimer *Timer;
    bool BusyFlag = false;
    // True while an engine step holds the keyed cipher stream (inside a run or an extraction).
    bool CipherInUse = false;
    QString closingMark;

    QList<QAction *> mnuFileItem;
    QList<QAction *> mnuOptionsItem;
    QList<QAction *> mnuActionsItem;
    QList<QAction *> mnuHelpItem;
    QList<QAction *> mnuPopupItem;
    QList<QAction *> mnuPopupListViewItem;
    QMenu *mnuFile;
    QList<QAction *> fileMenuItems; // the File menu's items, shown or not
    QMenu *mnuPopup;
    QMenu *mnuPopupListView;
    QAction *mnuLogin; // for desktops without a tray

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    void buildMenus();
    QList<QAction *> fillMenu(QMenu *menu, const QStringList &captions);
    void restoreSettings();
    void layOut();
    void shutdown();
    void closeOtherWindows();
    // After Logoff or Delete Profile: nothing of the last user stays on screen.
    void forgetUser();
    // The saved size is the outer size; the frame is known only once a window manager framed us.
    void applyOuterSize();
    QSize outerSize() const;
    QSettings *settings();

    Options options;
    std::unique_ptr<QSettings> settingsStore;
    std::unique_ptr<QLockFile> instanceLock;
    StatusDisplay *display;
    // One pump for the engine and the progress display, so together they stay within its rate.
    std::shared_ptr<EventPump> eventPump = std::make_shared<EventPump>();
    std::future<void> boxKeyReady; // waited for when the window goes
    ActionRunner *actionRunner;
    std::unique_ptr<BoxFlows> boxFlows;
    ActionListEvents *listHandler;
    bool trayAvailable = true;
    bool closed = false;
    bool sessionEnding = false;
    bool profileDirty = false;
    QSize pendingOuterSize;
};
