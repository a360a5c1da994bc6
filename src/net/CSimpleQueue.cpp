#include "net/CSimpleQueue.h"

#include "app/Trace.h"

#include <algorithm>

void CSimpleQueue::Add(std::int32_t nodeId) {
    KW_TRACE("CSimpleQueue::Add()..............................iNodeID=%d\n", nodeId);
    m_nodes.push_back(nodeId);
}

std::int32_t CSimpleQueue::Delete() {
    if (m_nodes.empty()) {
        return 0;
    }
    const std::int32_t nodeId = m_nodes.front();
    m_nodes.pop_front();
    KW_TRACE("CSimpleQueue::Delete()...........................iNodeID=%d\n", nodeId);
    return nodeId;
}

void CSimpleQueue::SeekAndDelete(std::int32_t nodeId) {
    KW_TRACE("CSimpleQueue::SeekAndDelete()....................iNodeID=%d\n", nodeId);
    const auto newest = std::find(m_nodes.rbegin(), m_nodes.rend(), nodeId);
    if (newest != m_nodes.rend()) {
        m_nodes.erase(std::next(newest).base());
    }
}

void CSimpleQueue::RemoveAll() {
    m_nodes.clear();
}

void CSimpleQueue::Summarize() const {
    int position = 0;
    for (auto it = m_nodes.rbegin(); it != m_nodes.rend(); ++it, ++position) {
        if (*it > 0) {
            KW_TRACE("CSimpleQueue::Summarize()........................%03d: %d\n", position, *it);
        }
    }
    (void)position;
}
