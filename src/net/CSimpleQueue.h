#pragma once

#include <cstdint>
#include <deque>

// First-in, first-out queue of the node IDs to be asked next. Duplicates are allowed; the
// queue never checks what it holds.
class CSimpleQueue {
public:
    void Add(std::int32_t nodeId);
    // Removes and returns the oldest node ID; on an empty queue returns 0 and changes nothing.
    std::int32_t Delete();
    bool IsEmpty() const { return m_nodes.empty(); }
    // Removes the most recently added occurrence of nodeId, if any.
    void SeekAndDelete(std::int32_t nodeId);
    void RemoveAll();
    // Writes one trace line per entry above 0, newest first.
    void Summarize() const;

    std::size_t Size() const { return m_nodes.size(); }

private:
    std::deque<std::int32_t> m_nodes;
};
