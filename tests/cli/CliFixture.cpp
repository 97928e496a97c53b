#include "CliFixture.h"

#include "TestSupport.h"
#include "cli/VaulnixCli.h"
#include "core/Global.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

void CliFixture::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    Global::StopRequested = 0;
}

void CliFixture::TearDown()
{
    Global::StopRequested = 0;
}

FakeConsole &CliFixture::nextConsole()
{
    if (!prepared)
        prepared = std::make_unique<FakeConsole>();
    return *prepared;
}

int CliFixture::run(const QStringList &arguments)
{
    if (!prepared) {
        prepared = std::make_unique<FakeConsole>();
        prepared->input = Password + '\n';
    }
    last = std::move(prepared);
    return VaulnixCli(*last, engine).run(arguments);
}

void CliFixture::write(const QString &relative, const QByteArray &bytes) const
{
    TestSupport::writeFile(path(relative), bytes);
}

QMap<QString, QByteArray> CliFixture::tree(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    const QDir root(folder);
    while (it.hasNext()) {
        const QString file = it.next();
        files.insert(root.relativeFilePath(file), TestSupport::readFile(file));
    }
    return files;
}
