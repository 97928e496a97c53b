#pragma once

#include "actions/ActionListView.h"
#include "actions/Actions.h"
#include "actions/MainWindowHost.h"
#include "engine/CCipherBlock.h"
#include "engine/CTick.h"

#include <QMenu>
#include <QStringList>
#include <QWidget>

// A main window reduced to what the runner and the box flows use: a real list, engine and
// stopwatch, with the status line, the run timer and profile saves recorded.
class TestHost : public MainWindowHost
{
public:
    TestHost() { Actions::SetRows(&rows); }
    ~TestHost() { Actions::RemoveAllActions(), Actions::SetRows(nullptr); }

    void SetStatus(const QString &msg) override { statuses << msg; }
    void SetIcon(qint16 icon) override { this->icon = icon; }
    bool IsBusy() const override { return busy; }
    void SetBusy(bool value) override { busy = value; }
    bool RefusedWhileBusy() override { return busy; }
    bool RefusedWithoutUser() override { return false; }
    void CipherTaken() override { cipherHeld = true; }
    void CipherReleased() override { cipherHeld = false; }
    void ProfileChanged() override { savesAskedWhileHeld += cipherHeld, ++saves; }
    void StartRunTimer() override { ++runsStarted; }
    CTick &Stopwatch() override { return stopwatch; }
    CCipherBlock &Engine() override { return engine; }
    bool WriteSealed() const override { return sealed; }
    ActionListView &Rows() override { return rows; }
    QMenu &ListPopup() override { return popup; }
    const QList<QAction *> &ListPopupItems() const override { return popupItems; }
    QWidget *DialogParent() override { return &window; }
    void ClearUser() override {}
    void CloseProgram() override { ++closes; }

    QWidget window;
    ActionListView rows;
    CCipherBlock engine;
    bool sealed = false;
    CTick stopwatch;
    QMenu popup;
    QList<QAction *> popupItems;
    QStringList statuses;
    qint16 icon = 0;
    bool busy = false, cipherHeld = false;
    int saves = 0, savesAskedWhileHeld = 0, runsStarted = 0, closes = 0;
};
