#include "import/ImportSampler.h"

#include <algorithm>

void TRecordSampler::offer(std::vector<std::string>&& record) {
    const long long index = m_offered++;
    if (m_kept.size() < m_capacity) {
        m_kept.emplace_back(index, std::move(record));
        return;
    }
    // Record `index` replaces a kept one with probability capacity / (index + 1). The bias of the
    // modulo is below 2^-40 for any stream that fits in memory.
    const std::uint64_t slot = m_random() % static_cast<std::uint64_t>(index + 1);
    if (slot < m_capacity) m_kept[slot] = {index, std::move(record)};
}

std::vector<std::vector<std::string>> TRecordSampler::takeInOrder() {
    std::sort(m_kept.begin(), m_kept.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::vector<std::string>> records;
    records.reserve(m_kept.size());
    for (auto& [index, record] : m_kept)
        records.push_back(std::move(record));
    m_kept.clear();
    return records;
}
