#pragma once

#include "FakeConsole.h"
#include "engine/CCipherBlock.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// A temporary folder, one engine and a fresh fake console per run of the command line.
class CliFixture : public ::testing::Test
{
protected:
    static inline const QByteArray Password = "correct horse";

    void SetUp() override;
    void TearDown() override;

    // Runs vaulnix-cli with the arguments; the password comes on standard input unless the
    // test set up the console itself through nextConsole().
    int run(const QStringList &arguments);
    FakeConsole &nextConsole();
    FakeConsole &console() { return *last; }

    QString path(const QString &relative) const { return dir.filePath(relative); }
    void write(const QString &relative, const QByteArray &bytes) const;
    // Every file below folder by its relative path, with its contents.
    static QMap<QString, QByteArray> tree(const QString &folder);

    QTemporaryDir dir;
    CCipherBlock engine;

private:
    std::unique_ptr<FakeConsole> prepared;
    std::unique_ptr<FakeConsole> last;
};
