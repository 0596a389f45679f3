#include <gtest/gtest.h>

#include "sync/SegmentCodec.h"
#include "sync/SyncCrypto.h"

namespace quillet::test {
namespace {

using CodeError = SyncCrypto::CodeError;
using Open = SyncCrypto::OpenResult;

class SyncCryptoTest : public ::testing::Test {
protected:
    SyncCryptoTest() { SyncCrypto::initialize(); }
    QByteArray key = SyncCrypto::newKey();
    const QString device = QStringLiteral("0123456789abcdef");
};

TEST_F(SyncCryptoTest, APairingCodeGivesBackItsKeyHoweverItIsTyped) {
    const QString code = SyncCrypto::pairingCode(key);
    EXPECT_EQ(code.size(), 55 + 10) << qPrintable(code);  // eleven groups of five
    CodeError error = CodeError::Empty;
    EXPECT_EQ(SyncCrypto::keyFromCode(code, &error), key);
    EXPECT_EQ(error, CodeError::None);

    // Lower case, spaces instead of dashes, and letters read for the digits they look like.
    QString typed = code.toLower().replace(QLatin1Char('-'), QLatin1Char(' '));
    typed.replace(QLatin1Char('0'), QLatin1Char('o')).replace(QLatin1Char('1'), QLatin1Char('l'));
    EXPECT_EQ(SyncCrypto::keyFromCode(QStringLiteral("  ") + typed + QStringLiteral("\n"), &error),
              key);
    // Two different keys never share a code.
    EXPECT_NE(SyncCrypto::pairingCode(SyncCrypto::newKey()), code);
}

TEST_F(SyncCryptoTest, AMistypedCodeSaysWhatIsWrongWithIt) {
    const QString code = SyncCrypto::pairingCode(key);
    CodeError error = CodeError::None;

    int caught = 0;
    for (int position : {0, 7, 30, 50, 62}) {
        if (code[position] == QLatin1Char('-')) continue;
        QString typo = code;
        typo[position] = code[position] == QLatin1Char('X') ? QLatin1Char('Y') : QLatin1Char('X');
        EXPECT_FALSE(SyncCrypto::keyFromCode(typo, &error)) << position;
        EXPECT_EQ(error, CodeError::WrongChecksum) << position;
        ++caught;
    }
    EXPECT_GE(caught, 4);
    // Two neighbours swapped.
    QString swapped = code;
    std::swap(swapped[1], swapped[2]);
    if (swapped != code) {
        EXPECT_FALSE(SyncCrypto::keyFromCode(swapped, &error));
    }

    EXPECT_FALSE(SyncCrypto::keyFromCode(code.left(code.size() - 1), &error));
    EXPECT_EQ(error, CodeError::WrongLength);
    EXPECT_FALSE(SyncCrypto::keyFromCode(code + QStringLiteral("A"), &error));
    EXPECT_EQ(error, CodeError::WrongLength);
    EXPECT_FALSE(SyncCrypto::keyFromCode(QString(code).replace(3, 1, QStringLiteral("U")), &error));
    EXPECT_EQ(error, CodeError::BadCharacter);
    EXPECT_FALSE(SyncCrypto::keyFromCode(QStringLiteral(" - "), &error));
    EXPECT_EQ(error, CodeError::Empty);
    for (CodeError e : {CodeError::Empty, CodeError::WrongLength, CodeError::BadCharacter,
                        CodeError::WrongChecksum})
        EXPECT_FALSE(SyncCrypto::describe(e).isEmpty());
    EXPECT_TRUE(SyncCrypto::describe(CodeError::WrongChecksum).startsWith("Wrong code"));
}

TEST_F(SyncCryptoTest, ASealedSegmentOpensOnlyWholeUnderItsKeyNameAndNumber) {
    const QByteArray plain = "the copied text, one of a kind";
    const QByteArray sealed = SyncCrypto::seal(key, device, 7, plain);
    EXPECT_FALSE(sealed.contains(plain));
    EXPECT_NE(SyncCrypto::seal(key, device, 7, plain), sealed) << "the nonce is random";

    QByteArray opened;
    ASSERT_EQ(SyncCrypto::open(key, device, 7, sealed, &opened), Open::Opened);
    EXPECT_EQ(opened, plain);

    // Still arriving or damaged: every shorter file, every changed byte.
    for (qsizetype length : {qsizetype(0), qsizetype(10), qsizetype(40), sealed.size() - 1})
        EXPECT_EQ(SyncCrypto::open(key, device, 7, sealed.left(length), &opened), Open::Incomplete)
            << length;
    for (qsizetype at : {qsizetype(0), qsizetype(10), qsizetype(20), qsizetype(45),
                         sealed.size() - 1}) {
        QByteArray tampered = sealed;
        tampered[at] = char(tampered[at] ^ 0x01);
        const Open result = SyncCrypto::open(key, device, 7, tampered, &opened);
        // A changed key check reads as another key's segment; any other change as damage.
        EXPECT_EQ(result, at >= 8 && at < 16 ? Open::OtherKey : Open::Incomplete) << at;
    }
    // Moved to another number or another device's folder.
    EXPECT_EQ(SyncCrypto::open(key, device, 8, sealed, &opened), Open::Incomplete);
    EXPECT_EQ(SyncCrypto::open(key, QStringLiteral("fedcba9876543210"), 7, sealed, &opened),
              Open::Incomplete);
    // Another sync's key.
    EXPECT_EQ(SyncCrypto::open(SyncCrypto::newKey(), device, 7, sealed, &opened), Open::OtherKey);
}

TEST(SegmentCodecTest, EveryKindOfOperationSurvivesTheRoundTrip) {
    using Kind = SyncOperation::Kind;
    const QUuid category = QUuid::createUuid();
    SyncSegment segment{QStringLiteral("0123456789abcdef"), 42, true, {}};
    segment.operations.push_back(
        SyncOperation::clip(Kind::ClipAdded, QUuid::createUuid(), 1234, QStringLiteral("text\0NUL 🎉")));
    segment.operations.push_back(SyncOperation::clip(Kind::ClipUsed, QUuid::createUuid(), 99));
    segment.operations.push_back(SyncOperation::clip(Kind::ClipForgotten, QUuid::createUuid()));
    for (SyncOperation op : {SyncOperation::categoryPut(category, "Mail", 3),
                             SyncOperation::phrasePut(QUuid::createUuid(), "Hi", "Body\n", -2,
                                                      category),
                             SyncOperation::deletion(Kind::PhraseDeleted, QUuid::createUuid()),
                             SyncOperation::deletion(Kind::CategoryDeleted, category)}) {
        op.clock = (qint64(1'800'000'000'000) << 16) + 5;
        op.origin = segment.device;
        segment.operations.push_back(op);
    }
    QString why;
    const auto decoded = SegmentCodec::decode(SegmentCodec::encode(segment), &why);
    ASSERT_TRUE(decoded) << qPrintable(why);
    EXPECT_EQ(decoded->device, segment.device);
    EXPECT_EQ(decoded->sequence, 42);
    EXPECT_TRUE(decoded->checkpoint);
    EXPECT_EQ(decoded->operations, segment.operations);
}

TEST(SegmentCodecTest, MalformedPlainSegmentsAreRefused) {
    QString why;
    EXPECT_FALSE(SegmentCodec::decode(QByteArray(), &why));
    EXPECT_FALSE(SegmentCodec::decode("not cbor at all", &why));
    SyncSegment segment{QStringLiteral("0123456789abcdef"), 1, false, {}};
    QByteArray good = SegmentCodec::encode(segment);
    ASSERT_TRUE(SegmentCodec::decode(good, &why));
    EXPECT_FALSE(SegmentCodec::decode(good.left(good.size() - 2), &why));
    // A versioned change without its version, and a segment without its number.
    SyncSegment unversioned = segment;
    unversioned.operations.push_back(SyncOperation::categoryPut(QUuid::createUuid(), "x", 0));
    EXPECT_FALSE(SegmentCodec::decode(SegmentCodec::encode(unversioned), &why));
    SyncSegment unnumbered = segment;
    unnumbered.sequence = 0;
    EXPECT_FALSE(SegmentCodec::decode(SegmentCodec::encode(unnumbered), &why));
    EXPECT_FALSE(why.isEmpty());
}

}  // namespace
}  // namespace quillet::test
