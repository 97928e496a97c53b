#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The program's name and version, its terms, the maker's web and mail links and the update
// button. Not modal; the window deletes itself when closed, so create it with new.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    // The maker's addresses. The update page is asked for on UpdateHost; the program never reads
    // the answer, the browser shows it.
    static inline const QString SiteName = QStringLiteral("vaulnix.example.org");
    static inline const QString WebAddress = QStringLiteral("https://vaulnix.example.org/");
    static inline const QString MailAddress = QStringLiteral("support@vaulnix.example.org");
    static inline const QString UpdateHost = QStringLiteral("vaulnix.example.org");
    static inline const QString ProductId = QStringLiteral("vlx1");

    explicit frmAbout(QWidget *parent = nullptr);

    // The update page for this version, e.g. https://HOST/update.asp?sid=vlx1&ver=1.0.0
    static QString UpdateAddress();

    QLabel *picIcon;
    QLabel *lblTitle;
    QLabel *lblTerms;
    QLabel *lblProfiles; // where this program keeps its profiles
    QLabel *lblWeb;
    QLabel *lblQuorvane;
    QLabel *lblEmail;
    QLabel *lblMailTo;
    QPushButton *cmdOK;
    QPushButton *cmdUpdate;

    void cmdOK_Click();
    void cmdUpdate_Click();
    void Form_MouseMove();
    void lblQuorvane_MouseMove();
    void lblMailTo_MouseMove();
    void lblQuorvane_Click();
    void lblMailTo_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
};
