#pragma once

#include "TestSupport.h"
#include "cli/Console.h"
#include "cli/VaulnixCli.h"
#include "core/Global.h"
#include "engine/CCipherBlock.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

// Captured streams and a scripted standard input, which at a terminal answers the prompts.
class FakeConsole : public Console
{
public:
    std::ostream &out() override { return output; }
    std::ostream &err() override { return errors; }
    bool inputIsTerminal() const override { return inputTerminal; }
    bool errorIsTerminal() const override { return errorTerminal; }
    QByteArray readInputLine(qsizetype maxBytes, bool &truncated) override
    {
        const qsizetype end = input.indexOf('\n');
        QByteArray line = end < 0 ? input : input.left(end);
        input.remove(0, end < 0 ? input.size() : end + 1);
        truncated = line.size() > maxBytes;
        line.truncate(maxBytes);
        return line;
    }
    QByteArray readHiddenLine(const QString &, qsizetype maxBytes, bool &truncated) override
    {
        ++prompts;
        return readInputLine(maxBytes, truncated);
    }

    bool inputTerminal = false;
    bool errorTerminal = false;
    QByteArray input; // what standard input holds
    int prompts = 0;
    std::ostringstream output;
    std::ostringstream errors;
};

// A temporary folder, one engine and a fresh fake console for each run of the command line.
class CliFixture : public ::testing::Test
{
protected:
    static inline const QByteArray Password = "correct horse";

    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { Global::StopRequested = 0; }

    // Runs vaulnix-cli with input on standard input; a null input stands for a terminal at
    // which nobody answers.
    int run(const QStringList &arguments, const QByteArray &input = Password + '\n',
            bool errorTerminal = false)
    {
        last = std::make_unique<FakeConsole>();
        last->input = input;
        last->inputTerminal = input.isNull();
        last->errorTerminal = errorTerminal;
        return VaulnixCli(*last, engine).run(arguments);
    }
    FakeConsole &console() { return *last; }

    QString path(const QString &relative) const { return dir.filePath(relative); }
    void write(const QString &relative, const QByteArray &bytes) const
    {
        TestSupport::writeFile(path(relative), bytes);
    }

    QTemporaryDir dir;
    CCipherBlock engine;

private:
    std::unique_ptr<FakeConsole> last;
};
