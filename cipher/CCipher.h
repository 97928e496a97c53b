#pragma once

#include <QByteArray>
#include <QString>

// Thin wrapper over qvcryptlib: a keyed byte transform (the same call enciphers and deciphers)
// and a text layer that turns a string into one printable line and back. All instances drive
// the library's single keyed state.
class CCipher
{
public:
    static constexpr qsizetype MaxSecureLength = 16777215;
    static inline const QString ErrorPrefix = QStringLiteral("ERR: ");
    // Boxes and profiles are keyed separately from one password.
    static constexpr qint16 BoxMode = 0;
    static constexpr qint16 ProfileMode = 1;

    // False, keying nothing, for an empty key or a mode other than the two above.
    bool Initilize(const QByteArray &key, qint16 mode = BoxMode);
    bool Initilize(const QString &key, qint16 mode = BoxMode);
    void Clear();
    // Derives the key for a later Initilize ahead of time; safe on another thread, and it leaves
    // the keyed state alone.
    static void PrepareKey(const QByteArray &key);
    // Changes whenever anyone keys or clears the shared state; a keyed sequence compares it with
    // the value noted after its own Initilize to see that nobody re-keyed it meanwhile.
    static quint64 Generation();
    QByteArray Cipher(const QByteArray &data);
    // Hot path: transforms n bytes from input into output (which may be the same buffer).
    void Cipher(const char *input, qsizetype n, char *output);
    // The same, only while the state is still keyed as at generation (safe on another thread);
    // false, transforming nothing more, once anyone keyed or cleared it since.
    static bool CipherAt(quint64 generation, const char *input, qsizetype n, char *output);

    // A mode that Initilize refuses throws std::invalid_argument from SecureString and gives an
    // error text from DeSecureString.
    QByteArray SecureString(const QByteArray &data, const QByteArray &key, qint16 mode = BoxMode);
    QString SecureString(const QString &data, const QString &key);
    QByteArray DeSecureString(const QByteArray &text, const QByteArray &key, qint16 mode = BoxMode);
    QString DeSecureString(const QString &text, const QString &key);
};
