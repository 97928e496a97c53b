#pragma once

#include <QString>

class MainWindowHost;

// Turns folders and box files into new actions, and shows what a box holds.
class BoxFlows
{
public:
    explicit BoxFlows(MainWindowHost &main);

    void NewBox();
    void NewBoxFromFolder(const QString &folder, qint16 count);
    // False when the box does not open with the logged-on user's password.
    bool AskExtractFolder(const QString &boxFile, qint16 count);
    void AddExtractAction(const QString &boxFile, qint16 count);
    void OpenBox();
    void ViewBox(const QString &boxFile, const QString &folder);

private:
    // Reads the box's header for the windows: false after telling the user why it could not
    // (whenBad for a wrong password or a damaged header, the cause for anything else).
    bool readHeader(const QString &boxFile, const QString &whenBad);
    void extractSelected(const QString &boxFile, const QString &folder);

    MainWindowHost &main;
};
