#include "kiln/AddKilnIds.h"

#include <cstdio>

void AddKilnIds::Recount() {
    m_nFreeCount = 0;
    m_iCurrentIndex = -1;
    for (int index = 0; index < kSlots; ++index) {
        if (Free(index)) {
            if (m_iCurrentIndex < 0) {
                m_iCurrentIndex = index;
            }
            ++m_nFreeCount;
        }
    }
}

std::string AddKilnIds::DisplayText() const {
    if (m_iCurrentIndex < 0) {
        return " ";
    }
    char text[16];
    std::snprintf(text, sizeof text, " %03d", m_iCurrentIndex + 1);
    return text;
}

void AddKilnIds::Step(int delta) {
    if (!CanStep() || delta == 0) {
        return;
    }
    if (delta < 0) {
        StepUp();
    } else {
        StepDown();
    }
}

void AddKilnIds::StepUp() {
    const int old = m_iCurrentIndex;
    const int start = old >= kHighestNodeIndex ? 0 : old + 1;
    for (int index = start; index <= kHighestNodeIndex; ++index) {
        if (Free(index)) {
            m_iCurrentIndex = index;
            return;
        }
    }
    for (int index = 0; index < old; ++index) {
        if (Free(index)) {
            m_iCurrentIndex = index;
            return;
        }
    }
}

void AddKilnIds::StepDown() {
    const int old = m_iCurrentIndex;
    const int start = old <= 0 ? kHighestNodeIndex : old - 1;
    for (int index = start; index >= 0; --index) {
        if (Free(index)) {
            m_iCurrentIndex = index;
            return;
        }
    }
    for (int index = kHighestNodeIndex; index > old; --index) {
        if (Free(index)) {
            m_iCurrentIndex = index;
            return;
        }
    }
}

void AddKilnIds::MarkAdded() {
    MarkTaken(m_iCurrentIndex);
}

void AddKilnIds::MarkTaken(int nodeIndex) {
    if (!Free(nodeIndex)) {
        return;
    }
    m_bTaken[static_cast<std::size_t>(nodeIndex)] = true;
    --m_nFreeCount;
    if (m_nFreeCount == 0) {
        m_iCurrentIndex = -1;
        return;
    }
    if (nodeIndex == m_iCurrentIndex) {
        StepUp();
    }
}
