#pragma once

#include <QIcon>
#include <QString>

// The program's own pictures: the program icon and the four states of a unit's line. The index
// is the image index the kiln list and the farm tree use (0 program, 1 no data, 2 normal,
// 3 alarm, 4 not answering). Each icon is drawn once at the sizes the lists use and kept for
// the program's life.
class KilnIcons {
public:
    static constexpr int kProgram = 0;
    static constexpr int kCount = 5;

    // The icon of an image index; an index outside 0..4 gets an empty icon.
    static QIcon Icon(int index);

    // Resource path of an image index, or an empty string outside 0..4.
    static QString ResourcePath(int index);
};
