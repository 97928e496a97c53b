#include "shell/WidgetPrompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include <utility>

namespace {

QMessageBox::StandardButtons standardButtons(Prompt::Buttons buttons)
{
    switch (buttons) {
    case Prompt::Buttons::Ok:
        return QMessageBox::Ok;
    case Prompt::Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Prompt::Buttons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case Prompt::Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Prompt::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Prompt::Buttons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon boxIcon(Prompt::Icon icon)
{
    switch (icon) {
    case Prompt::Icon::None:
        return QMessageBox::NoIcon;
    case Prompt::Icon::Critical:
        return QMessageBox::Critical;
    case Prompt::Icon::Question:
        return QMessageBox::Question;
    case Prompt::Icon::Exclamation:
        return QMessageBox::Warning;
    case Prompt::Icon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// The answers and the buttons that give them; Ok stands for anything else.
constexpr std::pair<Prompt::Answer, QMessageBox::StandardButton> AnswerButtons[] = {
    {Prompt::Cancel, QMessageBox::Cancel}, {Prompt::Abort, QMessageBox::Abort},
    {Prompt::Retry, QMessageBox::Retry},   {Prompt::Ignore, QMessageBox::Ignore},
    {Prompt::Yes, QMessageBox::Yes},       {Prompt::No, QMessageBox::No},
};

QMessageBox::StandardButton buttonOf(Prompt::Answer answer)
{
    for (const auto &[a, button] : AnswerButtons) {
        if (a == answer)
            return button;
    }
    return QMessageBox::Ok;
}

Prompt::Answer answerOf(int button)
{
    for (const auto &[answer, b] : AnswerButtons) {
        if (b == button)
            return answer;
    }
    return Prompt::Ok;
}

// Filters arrive as "Description|pattern" pairs; Qt wants "Description (pattern)".
QString qtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts[i];
        filters << (description.contains(parts[i + 1]) ? description
                                                       : description + " (" + parts[i + 1] + ")");
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace

QWidget *WidgetPrompt::owner()
{
    QWidget *active = QApplication::activeModalWidget();
    return active ? active : QApplication::activeWindow();
}

Prompt::Answer WidgetPrompt::message(const QString &text, Buttons buttons, Icon icon,
                                     const QString &title)
{
    QMessageBox box(boxIcon(icon), title, text, standardButtons(buttons), owner());
    return answerOf(box.exec());
}

Prompt::Answer WidgetPrompt::question(const QString &text, Buttons buttons, Icon icon,
                                      const QString &title, Answer safe)
{
    QMessageBox box(boxIcon(icon), title, text, standardButtons(buttons), owner());
    box.setDefaultButton(buttonOf(safe));
    box.setEscapeButton(buttonOf(safe));
    return answerOf(box.exec());
}

QString WidgetPrompt::openFileName(const QString &title, const QString &startPath,
                                   const QString &filter)
{
    return QFileDialog::getOpenFileName(owner(), title, startPath, qtFilter(filter));
}

QString WidgetPrompt::saveFileName(const QString &title, const QString &startPath,
                                   const QString &filter, const QString &defaultExtension)
{
    QFileDialog dialog(owner(), title, startPath, qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultExtension);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (QFileInfo(startPath).fileName().size() > 0 && !QFileInfo(startPath).isDir())
        dialog.selectFile(startPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString WidgetPrompt::folder(const QString &title, const QString &startPath)
{
    return QFileDialog::getExistingDirectory(owner(), title, startPath);
}
