#include "actions/ActionRunner.h"

#include "actions/ActionListView.h"
#include "actions/Actions.h"
#include "actions/MainWindowHost.h"
#include "core/Global.h"
#include "core/Prompt.h"
#include "core/VaulnixError.h"
#include "engine/BoxFormat.h"
#include "engine/CCipherBlock.h"
#include "engine/CTick.h"

#include <QCoreApplication>
#include <QLocale>

ActionRunner::ActionRunner(MainWindowHost &window)
    : QObject(window.DialogParent())
    , main(window)
{}

QString ActionRunner::stamp() const
{
    return QLocale().toString(now(), QLocale::ShortFormat);
}

void ActionRunner::ProcessScript()
{
    ActionListView &list = main.Rows();
    SuccessCount = 0;
    qint32 creates = 0;
    qint32 extracts = 0;
    main.Stopwatch().StartTick();
    main.SetBusy(true);

    // Rows are followed by their tags: rows removed while the run pumps messages are skipped.
    QStringList tags;
    for (int i = 0; i < list.rowCount(); ++i)
        tags << ActionListView::tagOf(list.row(i));

    for (const QString &tag : std::as_const(tags)) {
        if (Global::StopRequested) {
            // The program closes from here, once nothing holds the cipher any more.
            main.SetBusy(false);
            main.CloseProgram();
            return;
        }
        QTreeWidgetItem *row = list.rowWithTag(tag);
        if (!row || !ActionListView::isChecked(row))
            continue;
        if (!Actions::UserActions.Item(Actions::GetAction(tag.toInt())))
            continue;
        const QString kind = row->text(ActionListView::ActionColumn);
        const QString boxFile = row->text(ActionListView::BoxFileColumn);
        const qint32 successesBefore = SuccessCount;
        bool raised = false;
        if (kind == Actions::CreateText) {
            CAction *action = Actions::UserActions.Item(Actions::GetAction(tag.toInt()));
            Global::DialogFolder = row->text(ActionListView::FolderColumn);
            Global::DialogBoxFile = boxFile;
            Global::DialogBoxName = action->BoxName();
            Global::DialogShred = Actions::ShredFromText(row->text(ActionListView::ShredColumn));
            raised = !guarded(boxFile, [this] { RunCreate(); });
            ++creates;
        } else if (kind == Actions::ExtractText) {
            Global::DialogFolder = row->text(ActionListView::FolderColumn);
            Global::DialogShred = Actions::ShredFromText(row->text(ActionListView::ShredColumn));
            raised = !guarded(boxFile, [this, boxFile] { RunExtract(boxFile); });
            ++extracts;
        } else {
            continue;
        }
        // A step that failed, was refused or was stopped keeps its kind and its last-run time:
        // turned round, the next run would overwrite the newer side with the older one. But once
        // its shredding began, the other side is the only whole copy, whatever went wrong then.
        if (SuccessCount == successesBefore && !(raised && main.Engine().ShredStarted()))
            continue;
        // The step pumped messages: the row or its action may be gone by now.
        row = list.rowWithTag(tag);
        CAction *action = Actions::UserActions.Item(Actions::GetAction(tag.toInt()));
        if (!row || !action)
            continue;
        action->setLastRan(stamp());
        row->setText(ActionListView::LastRanColumn, action->LastRan());
        if (kind == Actions::ExtractText) {
            row->setText(ActionListView::ActionColumn, Actions::CreateText);
            action->setAction(CAction::Create);
        } else if (!Actions::IsFileList(Global::DialogFolder)) {
            action->setAction(CAction::Extract);
            row->setText(ActionListView::ActionColumn, Actions::ExtractText);
        }
        // Between steps nothing holds the cipher: the turned-round row is on disk at once.
        main.ProfileChanged();
    }

    main.Stopwatch().StopTick();
    main.SetIcon(0);
    const QString seconds =
        QLocale().toString(double(main.Stopwatch().ElapsedTicks()) / 1000.0, 'f', 2);
    if (creates > 0 && SuccessCount > 0)
        main.SetStatus(QStringLiteral("Created in ") + seconds + QStringLiteral(" seconds"));
    else if (creates > 0)
        main.SetStatus(QStringLiteral("Box not created"));
    else if (extracts > 0 && SuccessCount > 0)
        main.SetStatus(QStringLiteral("Extracted in ") + seconds + QStringLiteral(" seconds"));
    else if (extracts > 0)
        main.SetStatus(QStringLiteral("Box not extracted"));
    else
        main.SetStatus(QStringLiteral("No actions performed"));
    main.SetBusy(false);
    main.CipherReleased();
}

bool ActionRunner::guarded(const QString &boxFile, const std::function<void()> &step)
{
    main.CipherTaken();
    struct Release
    {
        MainWindowHost &main;
        ~Release() { main.CipherReleased(); }
    } release{main};
    try {
        step();
        return true;
    } catch (const VaulnixError &error) {
        main.SetIcon(0);
        Prompt::instance().message(QStringLiteral("The box %1 could not be processed:\n\n%2")
                                       .arg(boxFile, error.message()),
                                   Prompt::Buttons::Ok, Prompt::Icon::Exclamation, Global::AppName);
        return false;
    }
}

void ActionRunner::RunCreate()
{
    Global::ScanFileCount = 0;
    main.Stopwatch().StopTick();
    main.Stopwatch().RestartTick();
    if (Global::DialogFolder.isEmpty())
        return;
    main.SetIcon(1);
    main.SetStatus(QStringLiteral("Locating Box Contents..."));
    QCoreApplication::processEvents();
    // A sealed box stays sealed, whatever the setting: never a silent downgrade.
    main.Engine().setWriteFormat(BoxFormat::keepingSealed(
        Global::DialogBoxFile, main.WriteSealed() ? BoxFormatId::Sealed : BoxFormatId::Plain));
    CCipherBlock::WriteResult result;
    if (!Actions::IsFileList(Global::DialogFolder))
        result = main.Engine().CreateBlock(Global::DialogBoxFile, Global::DialogBoxName,
                                           Global::CurrentUserPassword, Global::DialogFolder,
                                           Global::DialogShred);
    else
        result = main.Engine().CreateSimple(Global::DialogBoxFile, Global::DialogBoxName,
                                            Global::CurrentUserPassword, Global::DialogFolder,
                                            Global::DialogShred);
    if (result == CCipherBlock::Written)
        ++SuccessCount;
}

void ActionRunner::RunExtract(const QString &BoxFile)
{
    main.Stopwatch().StopTick();
    main.Stopwatch().RestartTick();
    if (Global::CurrentUserPassword.isEmpty())
        return;
    main.SetIcon(1);
    const CCipherBlock::ExtractResult result =
        main.Engine().ExtractBlock(BoxFile, Global::DialogFolder, Global::CurrentUserPassword);
    if (result == CCipherBlock::ExtractBadHeader)
        Prompt::inform(CCipherBlock::HeaderMessage);
    if (result == CCipherBlock::Extracted)
        ++SuccessCount;
}

void ActionRunner::forceKind(qint16 kind)
{
    ActionListView &list = main.Rows();
    for (int i = 0; i < list.rowCount(); ++i) {
        QTreeWidgetItem *row = list.row(i);
        if (!ActionListView::isChecked(row))
            continue;
        // A list of files can only be packed: there is no folder to extract it into.
        if (kind == CAction::Extract &&
            Actions::IsFileList(row->text(ActionListView::FolderColumn)))
            continue;
        if (CAction *action =
                Actions::UserActions.Item(Actions::GetAction(ActionListView::tagOf(row).toInt()))) {
            action->setAction(kind);
            row->setText(ActionListView::ActionColumn, Actions::ActionText(kind));
        }
    }
}

void ActionRunner::StartupActions()
{
    forceKind(CAction::Extract);
    main.ProfileChanged();
    main.StartRunTimer();
}

void ActionRunner::ShutdownActions()
{
    forceKind(CAction::Create);
    main.ProfileChanged();
    main.StartRunTimer();
}

void ActionRunner::ClearAllActions()
{
    Actions::RemoveAllActions();
    main.ProfileChanged();
}

QString ActionRunner::CountActionsText() const
{
    QString text = QStringLiteral("Count = %1\r\n\r\n").arg(Actions::UserActions.Count());
    for (qint32 i = 1; i <= Actions::UserActions.Count(); ++i) {
        const CAction *action = Actions::UserActions.Item(i);
        text += QStringLiteral("%1 - %2\r\n").arg(action->ID()).arg(action->BoxFile());
    }
    return text;
}

void ActionRunner::CountActions()
{
    Prompt::instance().message(CountActionsText(), Prompt::Buttons::Ok, Prompt::Icon::None,
                               Global::AppName);
}
