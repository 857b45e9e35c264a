#include "samplestore.h"

namespace Printer {

void SampleStore::add(qint64 ms, quint8 value, std::optional<quint8> nearEnd) {
    keep({ms, value, nearEnd});
}

void SampleStore::addMissing(qint64 ms) {
    keep({ms, std::nullopt, std::nullopt});
}

void SampleStore::keep(const Sample& sample) {
    m_samples.push_back(sample);
    if (m_capacity != 0 && m_samples.size() > m_capacity) m_samples.pop_front();
}

} // namespace Printer
