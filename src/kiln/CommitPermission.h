#pragma once

#include <cstdint>

// Whether a commit may go to a unit. A commit frame is the unit's own last status reply with a
// few bytes replaced, so it may only be built from a reply that this unit sent on the line that
// is connected now, after the operator's sheet for it opened: any other image would switch
// another kiln (a unit of the same node ID on another farm) or send back parameter bytes the
// unit no longer holds. The document asks this when a sheet opens, while it is open, when a
// commit is queued and again when the scheduler sends it.

// Where the record image came from: the farm, the line connection (see LineConnection below)
// and the node whose reply it is, and the number of that reply in the program's count of
// accepted status replies. A default origin is "no reply at all".
struct ImageOrigin {
    int farmIndex = -1;
    std::uint32_t connection = 0;
    int nodeId = 0;
    std::uint64_t reply = 0;
};

// A commit frame that went out: the image it was built on, and when (local seconds).
struct CommitSent {
    ImageOrigin origin;
    std::int64_t time = 0;
};

// What a controller sheet was opened for: the unit, and the count of accepted status replies
// at the moment it opened, so only a later reply can unlock it.
struct SheetTicket {
    int farmIndex = -1;
    int nodeId = 0;
    std::uint64_t openedAfterReply = 0;
};

// The line as it is now: the farm connected (and past its modem stages), or -1, and the number
// of that connection. Every connection and every disconnection takes a new number, so an image
// of an earlier connection of the same farm never matches.
struct LineConnection {
    int connectedFarm = -1;
    std::uint32_t connection = 0;
};

enum class CommitBlock {
    None,             // the commit may be built and sent
    FarmNotConnected, // the unit's farm is not the farm connected now
    NoDataFromUnit,   // the unit has not answered on this connection since the sheet opened
};

// The sheet's question: may it commit now?
CommitBlock SheetCommitBlock(const SheetTicket& sheet, const ImageOrigin& image,
                             const LineConnection& line);

// The scheduler's question at sending time, for a commit queued from an image of origin
// queued: the image must still be that unit's, on the same connection.
bool CommitStillSendable(const ImageOrigin& queued, const ImageOrigin& image,
                         const LineConnection& line);
