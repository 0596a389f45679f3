#include "sync/SyncCrypto.h"

#include <sodium.h>

#include "base/Logging.h"

namespace quillet {

namespace {

constexpr char kMagic[] = "QLTSEG1\n";
constexpr int kMagicBytes = 8;
constexpr int kCheckBytes = 8;
constexpr int kNonceBytes = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr int kHeaderBytes = kMagicBytes + kCheckBytes + kNonceBytes;
constexpr int kTagBytes = crypto_aead_xchacha20poly1305_ietf_ABYTES;

constexpr char kAlphabet[] = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
constexpr int kKeyChars = 52;  // 256 bits in fives, the last four bits zero
constexpr int kCheckChars = 3;
constexpr int kGroup = 5;

QByteArray keyCheck(const QByteArray& key) {
    static const QByteArray label("quillet sync key check");
    QByteArray out(kCheckBytes, Qt::Uninitialized);
    crypto_generichash(reinterpret_cast<unsigned char*>(out.data()), size_t(out.size()),
                       reinterpret_cast<const unsigned char*>(label.constData()),
                       size_t(label.size()),
                       reinterpret_cast<const unsigned char*>(key.constData()),
                       size_t(key.size()));
    return out;
}

QByteArray associatedData(const QByteArray& header, const QString& device, qint64 sequence) {
    return header.left(kMagicBytes + kCheckBytes) + device.toUtf8() + '/' +
           QByteArray::number(sequence);
}

// Fifteen bits of a hash of the key, as three characters.
QString checkCharacters(const QByteArray& key) {
    unsigned char hash[4];
    crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char*>(key.constData()),
                       size_t(key.size()), nullptr, 0);
    const unsigned bits = (unsigned(hash[0]) << 8 | hash[1]) & 0x7fff;
    QString out;
    for (int shift = 10; shift >= 0; shift -= 5) out += QLatin1Char(kAlphabet[(bits >> shift) & 31]);
    return out;
}

int digitOf(QChar c) {
    const char upper = char(c.toUpper().toLatin1());
    if (upper == 'O') return 0;
    if (upper == 'I' || upper == 'L') return 1;
    for (int i = 0; i < 32; ++i)
        if (kAlphabet[i] == upper) return i;
    return -1;
}

}  // namespace

bool SyncCrypto::initialize() {
    if (sodium_init() < 0) {
        qCWarning(lcSync) << "libsodium cannot be initialized; sync stays off";
        return false;
    }
    return true;
}

QByteArray SyncCrypto::newKey() {
    QByteArray key(keyBytes, Qt::Uninitialized);
    randombytes_buf(key.data(), size_t(key.size()));
    return key;
}

QByteArray SyncCrypto::seal(const QByteArray& key, const QString& device, qint64 sequence,
                            const QByteArray& plain) {
    QByteArray header = QByteArray(kMagic, kMagicBytes) + keyCheck(key);
    QByteArray nonce(kNonceBytes, Qt::Uninitialized);
    randombytes_buf(nonce.data(), size_t(nonce.size()));
    header += nonce;
    const QByteArray ad = associatedData(header, device, sequence);
    QByteArray out = header;
    out.resize(kHeaderBytes + plain.size() + kTagBytes);
    unsigned long long written = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(
        reinterpret_cast<unsigned char*>(out.data() + kHeaderBytes), &written,
        reinterpret_cast<const unsigned char*>(plain.constData()), size_t(plain.size()),
        reinterpret_cast<const unsigned char*>(ad.constData()), size_t(ad.size()), nullptr,
        reinterpret_cast<const unsigned char*>(nonce.constData()),
        reinterpret_cast<const unsigned char*>(key.constData()));
    out.resize(kHeaderBytes + qsizetype(written));
    return out;
}

SyncCrypto::OpenResult SyncCrypto::open(const QByteArray& key, const QString& device,
                                        qint64 sequence, const QByteArray& sealed,
                                        QByteArray* plain) {
    if (sealed.size() < kHeaderBytes + kTagBytes || sealed.size() > maxSealedBytes ||
        !sealed.startsWith(QByteArray(kMagic, kMagicBytes)))
        return OpenResult::Incomplete;
    if (sealed.mid(kMagicBytes, kCheckBytes) != keyCheck(key)) return OpenResult::OtherKey;
    const QByteArray ad = associatedData(sealed, device, sequence);
    QByteArray out(sealed.size() - kHeaderBytes - kTagBytes, Qt::Uninitialized);
    unsigned long long length = 0;
    const auto* nonce = reinterpret_cast<const unsigned char*>(sealed.constData()) +
                        kMagicBytes + kCheckBytes;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(
            reinterpret_cast<unsigned char*>(out.data()), &length, nullptr,
            reinterpret_cast<const unsigned char*>(sealed.constData() + kHeaderBytes),
            size_t(sealed.size() - kHeaderBytes),
            reinterpret_cast<const unsigned char*>(ad.constData()), size_t(ad.size()), nonce,
            reinterpret_cast<const unsigned char*>(key.constData())) != 0)
        return OpenResult::Incomplete;
    out.resize(qsizetype(length));
    *plain = std::move(out);
    return OpenResult::Opened;
}

QString SyncCrypto::pairingCode(const QByteArray& key) {
    QString digits;
    unsigned buffer = 0;
    int bits = 0;
    for (char byte : key) {
        buffer = (buffer << 8) | quint8(byte);
        bits += 8;
        while (bits >= 5) {
            bits -= 5;
            digits += QLatin1Char(kAlphabet[(buffer >> bits) & 31]);
        }
    }
    if (bits > 0) digits += QLatin1Char(kAlphabet[(buffer << (5 - bits)) & 31]);
    digits += checkCharacters(key);
    QStringList groups;
    for (qsizetype i = 0; i < digits.size(); i += kGroup) groups << digits.mid(i, kGroup);
    return groups.join(QLatin1Char('-'));
}

std::optional<QByteArray> SyncCrypto::keyFromCode(const QString& code, CodeError* error) {
    auto fail = [error](CodeError why) -> std::optional<QByteArray> {
        if (error) *error = why;
        return std::nullopt;
    };
    QString digits;
    for (QChar c : code)
        if (!c.isSpace() && c != QLatin1Char('-')) digits += c;
    if (digits.isEmpty()) return fail(CodeError::Empty);
    for (QChar c : digits)
        if (digitOf(c) < 0) return fail(CodeError::BadCharacter);
    if (digits.size() != kKeyChars + kCheckChars) return fail(CodeError::WrongLength);
    QByteArray key;
    unsigned buffer = 0;
    int bits = 0;
    for (int i = 0; i < kKeyChars; ++i) {
        buffer = (buffer << 5) | unsigned(digitOf(digits[i]));
        bits += 5;
        if (bits >= 8) {
            bits -= 8;
            key += char((buffer >> bits) & 0xff);
        }
    }
    // The four bits left over are zero in every code made here.
    if ((buffer & ((1u << bits) - 1)) != 0) return fail(CodeError::WrongChecksum);
    QString check;
    for (int i = kKeyChars; i < kKeyChars + kCheckChars; ++i)
        check += QLatin1Char(kAlphabet[digitOf(digits[i])]);
    if (check != checkCharacters(key)) return fail(CodeError::WrongChecksum);
    if (error) *error = CodeError::None;
    return key;
}

QString SyncCrypto::describe(CodeError error) {
    switch (error) {
        case CodeError::None:
            return {};
        case CodeError::Empty:
            //% "Enter the pairing code shown on the machine where sync was turned on."
            return qtTrId("SYNC_CODE_EMPTY");
        case CodeError::WrongLength:
            //% "That pairing code is too short or too long: it has 55 letters and digits."
            return qtTrId("SYNC_CODE_LENGTH");
        case CodeError::BadCharacter:
            //% "That pairing code holds a character no code has: check it and type it again."
            return qtTrId("SYNC_CODE_CHARACTER");
        case CodeError::WrongChecksum:
            break;
    }
    //% "Wrong code: a character of the pairing code is mistyped. Check it and type it again."
    return qtTrId("SYNC_CODE_WRONG");
}

}  // namespace quillet
