#pragma once

#include <QDateTime>
#include <QObject>

#include <functional>

class MainWindowHost;

// Carries out the checked actions of the list, top to bottom, with the logged-on user's
// password, turning each action round after its step.
class ActionRunner : public QObject
{
    Q_OBJECT

public:
    explicit ActionRunner(MainWindowHost &main);

    void ProcessScript();
    void RunCreate();
    void RunExtract(const QString &BoxFile);
    void StartupActions();
    void ShutdownActions();
    void ClearAllActions();
    QString CountActionsText() const;
    void CountActions();

    // Local time for the "Last Ran" stamps; tests fix it.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    qint32 SuccessCount = 0;

private:
    void forceKind(qint16 kind);
    // Runs one engine step; an engine error is reported and counts as a failed step.
    // False when the step raised an error, which it reports.
    bool guarded(const QString &boxFile, const std::function<void()> &step);
    QString stamp() const;

    MainWindowHost &main;
};
