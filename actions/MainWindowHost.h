#pragma once

#include <QList>
#include <QString>

class ActionListView;
class CCipherBlock;
class CTick;
class QAction;
class QMenu;
class QWidget;

// What the runner, the box flows, the list's events and the login windows need from the main
// window, and nothing more. The main window implements it.
class MainWindowHost
{
public:
    // Status line and busy indicator (icon 0 idle, 1 busy).
    virtual void SetStatus(const QString &msg) = 0;
    virtual void SetIcon(qint16 icon) = 0;

    // A run or a selective extraction is under way.
    virtual bool IsBusy() const = 0;
    virtual void SetBusy(bool busy) = 0;
    // True (with a status line) when a command must wait for the run to end.
    virtual bool RefusedWhileBusy() = 0;
    // True when nobody is logged on: box commands lead to the login window instead.
    virtual bool RefusedWithoutUser() = 0;
    // An engine step holds the keyed cipher from CipherTaken to CipherReleased; profile saves
    // asked for meanwhile happen at its end.
    virtual void CipherTaken() = 0;
    virtual void CipherReleased() = 0;
    // The user changed an action or the list: the profile is saved.
    virtual void ProfileChanged() = 0;

    // Starts a run from the message loop, once the current command has returned.
    virtual void StartRunTimer() = 0;
    virtual CTick &Stopwatch() = 0;
    virtual CCipherBlock &Engine() = 0;
    // The setting "Write sealed boxes".
    virtual bool WriteSealed() const = 0;
    virtual ActionListView &Rows() = 0;
    virtual QMenu &ListPopup() = 0;
    virtual const QList<QAction *> &ListPopupItems() const = 0;
    // The owner of the program's modal windows.
    virtual QWidget *DialogParent() = 0;

    virtual void ClearUser() = 0;
    virtual void CloseProgram() = 0;

protected:
    ~MainWindowHost() = default;
};
