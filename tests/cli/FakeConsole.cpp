#include "FakeConsole.h"

namespace {

QByteArray firstLine(QByteArray &text, qsizetype maxBytes, bool &truncated)
{
    qsizetype end = text.indexOf('\n');
    QByteArray line = end < 0 ? text : text.left(end);
    text.remove(0, end < 0 ? text.size() : end + 1);
    truncated = line.size() > maxBytes;
    line.truncate(maxBytes);
    return line;
}

} // namespace

QByteArray FakeConsole::readInputLine(qsizetype maxBytes, bool &truncated)
{
    return firstLine(input, maxBytes, truncated);
}

QByteArray FakeConsole::readHiddenLine(const QString &prompt, qsizetype maxBytes, bool &truncated)
{
    prompts.append(prompt);
    QByteArray answer = hiddenAnswers.isEmpty() ? QByteArray() : hiddenAnswers.takeFirst();
    return firstLine(answer, maxBytes, truncated);
}
