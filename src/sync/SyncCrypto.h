#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace quillet {

// The sealing of segments and the key's pairing code.
//
// A sealed segment is: the 8 bytes "QLTSEG1\n", an 8-byte key check (a keyed hash of a fixed
// text: it tells a segment of another sync from a damaged one without revealing the key), a
// 24-byte random nonce and the XChaCha20-Poly1305 ciphertext with its 16-byte tag. The
// associated data binds the header, the writer's device id and the segment's number, so a
// segment renamed or moved to another device's folder fails to open.
class SyncCrypto {
public:
    static constexpr int keyBytes = 32;
    // The largest sealed file read; larger ones are never opened.
    static constexpr qint64 maxSealedBytes = 64 * 1024 * 1024 + 64;

    enum class OpenResult { Opened, Incomplete, OtherKey };

    // libsodium's start-up; false (logged) when the library cannot be used.
    static bool initialize();
    static QByteArray newKey();
    static QByteArray seal(const QByteArray& key, const QString& device, qint64 sequence,
                           const QByteArray& plain);
    // Opens a sealed segment. Incomplete: truncated, damaged or tampered (a file may still be
    // arriving); OtherKey: a whole header made under another key.
    static OpenResult open(const QByteArray& key, const QString& device, qint64 sequence,
                           const QByteArray& sealed, QByteArray* plain);

    // The key as groups of five characters (Crockford's base 32) with three check characters.
    static QString pairingCode(const QByteArray& key);
    enum class CodeError { None, Empty, WrongLength, BadCharacter, WrongChecksum };
    // The key a typed code stands for: case, spaces and dashes do not count, and O, I and L
    // read as 0, 1 and 1.
    static std::optional<QByteArray> keyFromCode(const QString& code, CodeError* error);
    // A sentence for the user from the catalogues.
    static QString describe(CodeError error);
};

}  // namespace quillet
