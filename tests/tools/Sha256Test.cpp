#include "ToolRun.h"

#include "tools/common/Sha256.h"
#include "tools/treat/TreatmentRecord.h"

#include <gtest/gtest.h>

#include <string>

namespace logtools {
namespace {

TEST(Sha256, GivesTheStandardTestVectors) {
    EXPECT_EQ(Sha256::hexOf(""),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256::hexOf("abc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256::hexOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Sha256::hexOf(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, GivesTheSameDigestHoweverTheBytesArriveInPieces) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i) {
        bytes += static_cast<char>((i * 131) % 256);
    }
    const std::string whole = Sha256::hexOf(bytes);
    // Lengths around the 55-, 56- and 64-byte edges of the padding and the block.
    for (const std::size_t piece : {1u, 7u, 55u, 56u, 63u, 64u, 65u, 999u}) {
        Sha256 hash;
        for (std::size_t pos = 0; pos < bytes.size(); pos += piece) {
            hash.add(std::string_view(bytes).substr(pos, piece));
        }
        EXPECT_EQ(Sha256::hex(hash.finish()), whole) << piece;
    }
    for (const std::size_t length : {55u, 56u, 57u, 64u}) {
        EXPECT_NE(Sha256::hexOf(bytes.substr(0, length)),
                  Sha256::hexOf(bytes.substr(0, length + 1)));
    }
}

TEST(TreatmentRecord, KeepsTheEvidenceACertificateNeedsOnlyWhenAsked) {
    test::TempDir dir;
    const std::string log = "Charge 9\r\n12/06/06,08:00:00,003,58, 57, 58, 59, 70\r\n"
                            "12/06/06,08:01:00,003,58, 57, 58, 59, 71\r\n"
                            "12/06/06,08:00:30,003,58, 10, 10, 10, 10\r\n"; // out of order
    test::writeFile(dir.file("001_061206_080000.CSV"), log);
    TreatmentRecord kept{TreatmentRule()};
    kept.keepEvidence();
    ASSERT_TRUE(kept.readFile(dir.file("001_061206_080000.CSV")));
    EXPECT_FALSE(kept.readFile(dir.file("missing.CSV")));
    kept.finish();
    EXPECT_EQ(kept.files()[0].sha256, Sha256::hexOf(log));
    EXPECT_EQ(kept.files()[1].sha256, ""); // never read: no hash to vouch for
    ASSERT_NE(kept.unit(3), nullptr);
    ASSERT_EQ(kept.unit(3)->readings().size(), 2u);
    EXPECT_EQ(kept.unit(3)->readings()[1].chamber, 71);
    EXPECT_EQ(kept.unit(3)->files(), std::vector<int>{0});

    TreatmentRecord plain{TreatmentRule()};
    ASSERT_TRUE(plain.readFile(dir.file("001_061206_080000.CSV")));
    EXPECT_EQ(plain.files()[0].sha256, "");
    EXPECT_TRUE(plain.unit(3)->readings().empty());
}

} // namespace
} // namespace logtools
