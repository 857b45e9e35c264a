#pragma once

#include <QtGlobal>

#include <deque>
#include <optional>
#include <vector>

namespace Printer {

// One tick of the sampling: when it was due and what the sensor read. A tick that got no reading (its
// wait ended, the port failed, the line was lost for a while) is kept as a missing sample, so that the
// trace shows a gap there instead of a line across it.
struct Sample {
    qint64 ms = 0;                 // since the sampling started
    std::optional<quint8> value;   // empty: missing
    std::optional<quint8> nearEnd; // the near-end sensor's state where it was read: 1 near end
};

// The samples of a monitor run, oldest first. With a capacity, only the newest that many are kept (the
// monitor page keeps one sweep's worth); without one, every sample of the run.
class SampleStore {
public:
    explicit SampleStore(size_t capacity = 0) : m_capacity(capacity) {}

    void add(qint64 ms, quint8 value, std::optional<quint8> nearEnd = {});
    void addMissing(qint64 ms);
    std::vector<Sample> samples() const { return {m_samples.begin(), m_samples.end()}; }
    size_t size() const { return m_samples.size(); }

private:
    void keep(const Sample& sample);

    size_t m_capacity;
    std::deque<Sample> m_samples;
};

} // namespace Printer
