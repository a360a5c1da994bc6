#include "kiln/CommitPermission.h"

namespace {

bool ImageIsOnTheLine(const ImageOrigin& image, const LineConnection& line) {
    return line.connectedFarm >= 0 && line.connection != 0 && image.reply != 0 &&
           image.farmIndex == line.connectedFarm && image.connection == line.connection;
}

} // namespace

CommitBlock SheetCommitBlock(const SheetTicket& sheet, const ImageOrigin& image,
                             const LineConnection& line) {
    if (sheet.farmIndex < 0 || sheet.farmIndex != line.connectedFarm || line.connection == 0) {
        return CommitBlock::FarmNotConnected;
    }
    if (!ImageIsOnTheLine(image, line) || image.nodeId != sheet.nodeId ||
        image.reply <= sheet.openedAfterReply) {
        return CommitBlock::NoDataFromUnit;
    }
    return CommitBlock::None;
}

bool CommitStillSendable(const ImageOrigin& queued, const ImageOrigin& image,
                         const LineConnection& line) {
    return ImageIsOnTheLine(queued, line) && ImageIsOnTheLine(image, line) &&
           image.nodeId == queued.nodeId && image.reply >= queued.reply;
}
