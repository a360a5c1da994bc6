#pragma once

#include <array>
#include <cstdint>

// Everything that crosses the line to a farm: frame codes, frame lengths, the additive
// checksums and the reply check. No state and no document: the document's frame builders,
// the reply assembly and the tests all share these.

// Query types of CTreeListDoc::IssueQuery.
inline constexpr std::int32_t QT_KVN_SCAN = 0;
inline constexpr std::int32_t QT_ZRM_QUERY1 = 1;

// Command codes (byte 1 of a frame sent by the PC).
inline constexpr std::uint8_t KVN_CMD_SCAN = 0x51;   // 'Q'
inline constexpr std::uint8_t KVN_CMD_COMMIT = 0x43; // 'C'
inline constexpr std::uint8_t ZRM_CMD_QUERY1 = 0x41; // 'A'

// Reply codes (byte 1 of a frame received by the PC).
inline constexpr std::uint8_t RPY_CODE_D = 0x44;       // 'D'
inline constexpr std::uint8_t RPY_CODE_F = 0x46;       // 'F'
inline constexpr std::uint8_t KVN_RPY_SUCCESS = 0x53;  // 'S': commit accepted
inline constexpr std::uint8_t RPY_CODE_LOWER_A = 0x61; // 'a'
inline constexpr std::uint8_t RPY_CODE_LOWER_B = 0x62; // 'b': the one code with 3 checksum bytes
// The code the scheduler hands to an open sheet when a commit reply never came.
inline constexpr std::uint8_t KVN_RPY_FAILURE = RPY_CODE_F;

// Node IDs.
inline constexpr std::uint8_t ZRM_NODE_ID = 255;

// Frame lengths and the reply lengths each request asks for.
inline constexpr int kQueryFrameLength = 4;
inline constexpr int kCommitFrameLength = 60;
inline constexpr int kReplyLengthScan = 60;
inline constexpr int kReplyLengthCommit = 4;
inline constexpr int kReplyLengthZrmQuery1 = 7;
inline constexpr int kScanReplyLength = kReplyLengthScan;
inline constexpr int kCommitReplyLength = kReplyLengthCommit;
inline constexpr int kStationReplyLength = kReplyLengthZrmQuery1;
inline constexpr int kNoReplyExpected = -1; // modem commands: nothing the modem says is collected
inline constexpr int kConnectionBurstLength = 480;
inline constexpr int kReplyLengthConnectionBurst = 0;

// The dial command is built in a 28-byte buffer: "ATDT", the number, CR LF.
inline constexpr int kDialCommandCapacity = 28;
inline constexpr int kMaxPhoneNumberLength = kDialCommandCapacity - 6;

// The sum of count bytes in a 16-bit accumulator, wrapping: the checksum of a sent frame.
std::uint16_t FrameSum16(const std::uint8_t* bytes, int count);

// True for the five codes a farm answers with.
bool IsReplyCode(std::uint8_t code);

// Checksum bytes at the end of a reply with this code: 3 for 'b', 2 for every other code.
int ChecksumBytesFor(std::uint8_t code);

// True when the last checksumBytes bytes of the reply (big-endian) equal the plain sum of the
// bytes before them. The sum is not reduced to the field's width, so a frame whose sum
// overflows the field never passes. False, without reading anything, for a null reply, a
// checksum width outside 1..4, or a length that leaves no room for node, code and checksum.
bool VerifyChecksum(int checksumBytes, int length, const std::uint8_t* reply);

// The whole check of a received frame: a reply code in byte 1 and a right checksum of the
// width that code calls for. Safe for any length.
bool CheckReply(const std::uint8_t* reply, int length);

// The 24-bit big-endian count in bytes 2..4 of a ZRM size reply; 0 when the reply is too
// short to hold it.
std::uint32_t DataByteCount(const std::uint8_t* reply, int length);

// A 4-byte query frame: node, command, 16-bit sum of the two.
std::array<std::uint8_t, kQueryFrameLength> BuildQueryFrame(std::uint8_t nodeId,
                                                            std::uint8_t command);
