#pragma once

#include <array>
#include <cstdint>
#include <string>

// The free Kiln IDs of one farm as the Add Kiln dialog offers them: the lowest free one first,
// stepping up or down through the free ones with wrap, and one fewer after each add.
class AddKilnIds {
public:
    static constexpr int kHighestNodeIndex = 253; // node ID 254
    static constexpr int kSlots = kHighestNodeIndex + 1;

    // taken[n] != 0: node index n already has a unit. Entries past index 253 are not units.
    template <std::size_t N> explicit AddKilnIds(const std::array<std::int32_t, N>& taken) {
        for (std::size_t n = 0; n < N && n < static_cast<std::size_t>(kSlots); ++n) {
            m_bTaken[n] = taken[n] != 0;
        }
        Recount();
    }

    // Node index of the ID shown, -1 when none is free.
    int CurrentIndex() const { return m_iCurrentIndex; }
    int FreeCount() const { return m_nFreeCount; }
    bool CanAdd() const { return m_nFreeCount > 0; }
    bool CanStep() const { return m_nFreeCount > 1; }
    // " %03d" of the ID shown, or " " when none is free.
    std::string DisplayText() const;

    // A spin notification with the control's delta: negative moves to higher IDs.
    void Step(int delta);
    void StepUp();
    void StepDown();
    // The shown ID was added: it is taken now and the next higher free one is shown.
    void MarkAdded();
    // The document refused the shown ID (it is taken after all): show the next free one.
    void MarkTaken(int nodeIndex);

private:
    void Recount();
    bool Free(int index) const {
        return index >= 0 && index < kSlots && !m_bTaken[static_cast<std::size_t>(index)];
    }

    std::array<bool, kSlots> m_bTaken{};
    int m_iCurrentIndex = -1;
    int m_nFreeCount = 0;
};
