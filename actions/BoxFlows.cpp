#include "actions/BoxFlows.h"

#include "actions/Actions.h"
#include "actions/MainWindowHost.h"
#include "actions/frmBlock.h"
#include "core/Global.h"
#include "core/Prompt.h"
#include "core/VaulnixError.h"
#include "dialogs/API.h"
#include "dialogs/cDialog.h"
#include "dialogs/frmCreateBox.h"
#include "dialogs/frmExtractFolder.h"
#include "engine/CCipherBlock.h"
#include "engine/CTick.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>

namespace {

QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

BoxFlows::BoxFlows(MainWindowHost &window)
    : main(window)
{}

bool BoxFlows::readHeader(const QString &boxFile, const QString &whenBad)
{
    try {
        if (main.Engine().ViewBlock(boxFile, Global::CurrentUserPassword) == CCipherBlock::Read)
            return true;
        Prompt::inform(whenBad);
    } catch (const VaulnixError &error) {
        Prompt::inform(error.message());
    }
    return false;
}

void BoxFlows::NewBox()
{
    Global::DialogAutoSet = 0;
    const QString folder = API::BrowseForFolder(QStringLiteral("Select Folder to Box"));
    if (!folder.isEmpty())
        NewBoxFromFolder(folder, 1);
}

void BoxFlows::NewBoxFromFolder(const QString &folder, qint16 count)
{
    const QString base = withSlash(Global::DefaultFolder);
    const QString leaf = API::PathFileName(folder);
    const QString boxFile =
        base + (leaf.isEmpty() ? QStringLiteral("untitled") : leaf) + QStringLiteral(".vlx");
    const QString boxName = leaf.isEmpty() ? QStringLiteral("Untitled") : leaf;
    if (Global::DialogAutoSet) {
        Global::DialogBoxFile = boxFile;
        Global::DialogFolder = folder;
        Global::DialogBoxName = boxName;
    } else {
        Global::DialogResult = 0;
        frmCreateBox dialog(main.DialogParent());
        dialog.txtBoxName->setText(boxName);
        dialog.txtBoxFile->setText(boxFile);
        dialog.txtPath->setText(folder);
        dialog.cmdAuto->setVisible(count >= 2);
        dialog.exec();
        if (Global::DialogFolder.isEmpty() || Global::DialogResult == 0)
            return;
    }
    Actions::AddAction(1, Global::DialogBoxFile, Global::DialogBoxName, Global::DialogFolder,
                       Global::DialogShred, 1, QString());
    main.ProfileChanged();
}

bool BoxFlows::AskExtractFolder(const QString &boxFile, qint16 count)
{
    if (!readHeader(boxFile, QStringLiteral("The box %1 cannot be opened with your password, or "
                                            "its header is damaged. No action was added.")
                                 .arg(boxFile)))
        return false;
    const QString proposal = Global::DefaultFolder + main.Engine().RootPath();
    if (Global::DialogAutoSet) {
        Global::DialogFolder = proposal;
        return true;
    }
    Global::DialogResult = 0;
    Global::DialogShred = 0;
    frmExtractFolder dialog(main.DialogParent());
    dialog.cmdAuto->setVisible(count >= 2);
    dialog.txtPath->setText(proposal);
    dialog.txtPath->selectAll();
    dialog.exec();
    QCoreApplication::processEvents();
    return true;
}

void BoxFlows::AddExtractAction(const QString &boxFile, qint16 count)
{
    if (!AskExtractFolder(boxFile, count))
        return;
    if (Global::DialogFolder.isEmpty() || Global::DialogResult != 1)
        return;
    if (!readHeader(boxFile, CCipherBlock::HeaderMessage))
        return;
    Actions::AddAction(2, boxFile, main.Engine().BlockName(), Global::DialogFolder,
                       Global::DialogShred, 1, QString());
    main.ProfileChanged();
}

void BoxFlows::OpenBox()
{
    Global::DialogAutoSet = 0;
    cDialog dialog;
    QString name;
    const QString box =
        dialog.GetOpenName(name, Global::DefaultFolder, QStringLiteral("Open Box"), API::BoxFilter);
    if (!box.isEmpty())
        AddExtractAction(box, 1);
}

void BoxFlows::ViewBox(const QString &boxFile, const QString &folder)
{
    CCipherBlock &engine = main.Engine();
    if (!readHeader(boxFile, CCipherBlock::HeaderMessage))
        return;
    frmBlock window(main.DialogParent());
    window.lblName->setText(QStringLiteral("Box Name: ") + engine.BlockName());
    window.lblRoot->setText(QStringLiteral("Root Folder: ") + engine.RootPath());
    window.lblFormat->setText(engine.Catalogue().format == BoxFormatId::Sealed
                                  ? QStringLiteral("Format: sealed (every byte authenticated)")
                                  : QStringLiteral("Format: 1 (not authenticated)"));
    const QLocale locale;
    const BoxCatalogue &box = engine.Catalogue();
    QList<QTreeWidgetItem *> rows;
    rows.reserve(box.files.size());
    for (const BoxCatalogue::File &file : box.files) {
        auto *row = new QTreeWidgetItem({box.storedPath(file), locale.toString(file.size)});
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        rows << row;
    }
    const qint64 total = box.totalBytes;
    const qsizetype files = box.files.size();
    window.lvFiles->addTopLevelItems(rows);
    window.lblMsg->setText(QStringLiteral("Files: ") + locale.toString(qint64(files)) +
                           QStringLiteral("        Size: ") + frmBlock::sizeText(total));
    Global::DialogResult = 0;
    window.exec();

    if (Global::DialogResult == 1) {
        QCoreApplication::processEvents();
        main.StartRunTimer();
    } else if (Global::DialogResult == 2) {
        extractSelected(boxFile, folder);
    }
}

void BoxFlows::extractSelected(const QString &boxFile, const QString &folder)
{
    CCipherBlock &engine = main.Engine();
    main.SetIcon(1);
    main.SetBusy(true);
    main.CipherTaken();
    main.Stopwatch().StartTick();
    qint32 extracted = 0;
    try {
        if (engine.DynamicExtractBlock(boxFile, folder, Global::CurrentUserPassword) !=
            CCipherBlock::Read) {
            Prompt::inform(CCipherBlock::HeaderMessage);
            engine.DynamicClose();
            main.SetIcon(0);
            main.SetBusy(false);
            main.CipherReleased();
            return;
        }
        const QStringList positions =
            Global::SelectedFiles.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (const QString &position : positions) {
            engine.DynamicExtractToFile(position.toInt(), folder);
            // A stop cuts a file short, and the engine removes it: not extracted.
            if (engine.LastFileComplete())
                ++extracted;
            QCoreApplication::processEvents();
            if (Global::StopRequested)
                break;
        }
    } catch (const VaulnixError &error) {
        Prompt::instance().message(QStringLiteral("The box %1 could not be extracted:\n\n%2")
                                       .arg(boxFile, error.message()),
                                   Prompt::Buttons::Ok, Prompt::Icon::Exclamation, Global::AppName);
    }
    engine.DynamicClose();
    main.Stopwatch().StopTick();
    main.SetIcon(0);
    main.SetBusy(false);
    main.CipherReleased();
    const QLocale locale;
    const QString seconds =
        locale.toString(double(main.Stopwatch().ElapsedTicks()) / 1000.0, 'f', 2);
    main.SetStatus(QStringLiteral("Extracted ") + locale.toString(extracted) +
                   (extracted == 1 ? QStringLiteral(" file in ") : QStringLiteral(" files in ")) +
                   seconds + QStringLiteral(" seconds"));
    if (Global::StopRequested)
        main.CloseProgram();
}
