#include "shell/frmAbout.h"

#include "core/Global.h"
#include "dialogs/DialogKeys.h"
#include "shell/HTMLLink.h"
#include "shell/LinkLabel.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent)
    , picIcon(new QLabel)
    , lblTitle(new QLabel)
    , lblTerms(new QLabel(
          QStringLiteral("This program is provided as is, without warranty of any kind.")))
    , lblProfiles(
          new QLabel(QStringLiteral("Profiles: ") + QDir::toNativeSeparators(Global::AppPath)))
    , lblWeb(new QLabel(QStringLiteral("web:")))
    , lblQuorvane(new LinkLabel(SiteName))
    , lblEmail(new QLabel(QStringLiteral("e-mail:")))
    , lblMailTo(new LinkLabel(MailAddress))
    , cmdOK(new QPushButton(QStringLiteral("OK")))
    , cmdUpdate(new QPushButton(QStringLiteral("Update")))
{
    setAttribute(Qt::WA_DeleteOnClose);
    if (parent)
        setWindowIcon(parent->windowIcon());
    setWindowTitle(QStringLiteral("About ") + Global::AppName);
    lblTitle->setText(Global::VersionTitle());
    QFont bold = lblTitle->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.5);
    lblTitle->setFont(bold);
    lblTerms->setWordWrap(true);
    lblProfiles->setTextFormat(Qt::PlainText);
    lblProfiles->setWordWrap(true);
    lblProfiles->setTextInteractionFlags(Qt::TextSelectableByMouse);
    picIcon->setPixmap(windowIcon().pixmap(32, 32));
    picIcon->setAlignment(Qt::AlignTop);

    lblQuorvane->setProperty(HTMLLink::TagProperty, WebAddress);
    lblQuorvane->setCursor(Qt::PointingHandCursor);
    lblMailTo->setProperty(HTMLLink::TagProperty, QStringLiteral("mailto:") + MailAddress);
    lblMailTo->setCursor(lblQuorvane->cursor());

    // The window and the links follow the pointer without a button held, so exactly one link
    // is highlighted at a time.
    setMouseTracking(true);
    for (QLabel *link : {lblQuorvane, lblMailTo}) {
        link->setMouseTracking(true);
        link->installEventFilter(this);
    }

    auto *links = new QGridLayout;
    links->addWidget(lblWeb, 0, 0);
    links->addWidget(lblQuorvane, 0, 1, Qt::AlignLeft);
    links->addWidget(lblEmail, 1, 0);
    links->addWidget(lblMailTo, 1, 1, Qt::AlignLeft);
    links->setColumnStretch(1, 1);
    auto *text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblTerms);
    text->addWidget(lblProfiles);
    text->addSpacing(8);
    text->addLayout(links);
    auto *top = new QHBoxLayout;
    top->addWidget(picIcon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdUpdate);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    cmdOK->setDefault(true);
    resize(380, sizeHint().height());

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmAbout::cmdUpdate_Click);
    setTabOrder(lblQuorvane, lblMailTo);
    setTabOrder(lblMailTo, cmdOK);
    setTabOrder(cmdOK, cmdUpdate);
    DialogKeys::Install(this, cmdOK, cmdOK);
    cmdOK->setFocus();

    HTMLLink::LinkEvent(lblQuorvane, HTMLLink::LinkLoad);
    HTMLLink::LinkEvent(lblMailTo, HTMLLink::LinkLoad);
}

QString frmAbout::UpdateAddress()
{
    return QStringLiteral("https://") + UpdateHost + QStringLiteral("/update.asp?sid=") +
           ProductId + QStringLiteral("&ver=") + Global::AppVersion;
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::cmdUpdate_Click()
{
    HTMLLink::OpenTarget(UpdateAddress());
}

void frmAbout::Form_MouseMove()
{
    HTMLLink::LinkEvent(lblQuorvane, HTMLLink::LinkAway);
    HTMLLink::LinkEvent(lblMailTo, HTMLLink::LinkAway);
}

void frmAbout::lblQuorvane_MouseMove()
{
    HTMLLink::LinkEvent(lblMailTo, HTMLLink::LinkAway);
    HTMLLink::LinkEvent(lblQuorvane, HTMLLink::LinkOver);
}

void frmAbout::lblMailTo_MouseMove()
{
    HTMLLink::LinkEvent(lblQuorvane, HTMLLink::LinkAway);
    HTMLLink::LinkEvent(lblMailTo, HTMLLink::LinkOver);
}

void frmAbout::lblQuorvane_Click()
{
    HTMLLink::LinkEvent(lblQuorvane, HTMLLink::LinkClick);
}

void frmAbout::lblMailTo_Click()
{
    HTMLLink::LinkEvent(lblMailTo, HTMLLink::LinkClick);
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    const bool web = watched == lblQuorvane;
    if (!web && watched != lblMailTo)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        if (web)
            lblQuorvane_MouseMove();
        else
            lblMailTo_MouseMove();
        return false;
    case QEvent::FocusOut:
        Form_MouseMove();
        return false;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space)
            return false;
        if (web)
            lblQuorvane_Click();
        else
            lblMailTo_Click();
        return true;
    }
    case QEvent::MouseMove:
        // Taken here, or the move would also reach the window as one over the background.
        if (web)
            lblQuorvane_MouseMove();
        else
            lblMailTo_MouseMove();
        return true;
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton &&
            static_cast<QWidget *>(watched)->rect().contains(mouse->position().toPoint())) {
            if (web)
                lblQuorvane_Click();
            else
                lblMailTo_Click();
        }
        return true;
    }
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void frmAbout::mouseMoveEvent(QMouseEvent *event)
{
    Form_MouseMove();
    QDialog::mouseMoveEvent(event);
}
