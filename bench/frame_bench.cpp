// Channel frame costs: building a device's frame from its command slots and decoding its
// answer, set against the time the same bytes take on the line at 9600 baud, 11 bits a
// byte. The station's work per frame should be a vanishing share of the line time.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "link/command_set.h"
#include "link/frame.h"
#include "platform/virtual_port_wait.h"
#include "station.h"

using namespace klv;

namespace {

constexpr double kBitsPerByte = 11;  // start, 8 data, parity, stop
constexpr double kBaud = 9600;

// Nothing is sent or received: the benchmarks call the builder and decoder directly.
class NullPort : public SerialPort {
public:
    bool open(int) override { return open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    int bytesWaiting() override { return 0; }
    void discardInput() override {}
    Bytes readAll() override { return {}; }
    void write(const Bytes&) override {}

private:
    bool open_ = false;
};

// A station with one registered device (model TAL-M3 at bus address 1), every channel
// in a step so that status answers update current and voltage too.
struct BenchStation {
    VirtualClock clock;
    VirtualPortWait pump{clock};
    NullPort port;
    Station station{"/nonexistent", port, clock, pump};

    BenchStation()
    {
        DeviceEntry& dev = station.link.devices[0];
        dev.modelCode = 20;
        dev.busAddress = 1;
        applyModelRow(dev);
        station.link.connected = true;
        for (int n = 0; n < kChannelsPerDevice; ++n) {
            SlotLink& slot = station.link.slots[n];
            slot.startMode = kModeDischarge;
            slot.startCurrent = 0.5f;
            slot.startVoltage = 2.75f;
            slot.startEndCurrent = 0.05f;
            station.run.slots[n].stepSeconds = 60;
        }
    }
};

using Pattern = std::array<int, kChannelsPerDevice>;

// Command slot patterns of a busy bench: mostly polls, with starts and stops in between.
const std::vector<Pattern>& mixedPatterns()
{
    static const std::vector<Pattern> patterns{
        {kQueueNothing, kQueueStart, kQueueNothing, kQueueStop, kQueueNothing, kQueueNothing, kQueueStart,
         kQueueNothing},
        {kQueueStop, kQueueNothing, kQueueNothing, kQueueNothing, kQueueStart, kQueueNothing, kQueueNothing,
         kQueueStop},
        {kQueueStart, kQueueStart, kQueueStart, kQueueStart, kQueueNothing, kQueueNothing, kQueueNothing,
         kQueueNothing},
        {kQueueNothing, kQueueNothing, kQueueNothing, kQueueNothing, kQueueNothing, kQueueNothing, kQueueStop,
         kQueueNothing},
    };
    return patterns;
}

void queue(Station& station, const Pattern& pattern)
{
    for (int n = 0; n < kChannelsPerDevice; ++n)
        AddCmd(station, n, pattern[static_cast<size_t>(n)]);
}

// A status entry with readings that change from channel to channel.
void appendStatus(Bytes& payload, int n)
{
    auto c = encodePair(500 + n), v = encodePair(32768 + 370 + n), q = encodePair(1200 + 7 * n),
         e = encodePair(4400 + 9 * n);
    payload.insert(payload.end(),
                   {kCmdStatus, 1, c.first, c.second, v.first, v.second, q.first, q.second, e.first, e.second});
}

// The answer a unit gives to a frame of this pattern: status entries, and echoes with status 1.
Bytes answerFor(const Pattern& pattern)
{
    Bytes payload;
    for (int n = 0; n < kChannelsPerDevice; ++n) {
        switch (pattern[static_cast<size_t>(n)]) {
        case kQueueStart:
            payload.insert(payload.end(), {kCmdStart, 1});
            break;
        case kQueueStop:
            payload.insert(payload.end(), {kCmdStop, 1});
            break;
        default:
            appendStatus(payload, n);
            break;
        }
    }
    return buildFrame(1, kFrameChannel, payload);
}

void setLineCounters(benchmark::State& state, double lineBytesPerFrame)
{
    const double lineMs = lineBytesPerFrame * kBitsPerByte / kBaud * 1000.0;
    state.counters["frames_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["line_ms_per_frame"] = lineMs;
    state.counters["frames_per_s_on_line"] = 1000.0 / lineMs;
}

void FrameBuildMixed(benchmark::State& state)
{
    BenchStation b;
    const auto& patterns = mixedPatterns();
    double lineBytes = 0;
    size_t i = 0;
    for (auto _ : state) {
        const Pattern& pattern = patterns[i++ % patterns.size()];
        queue(b.station, pattern);
        ChannelFrame frame = buildChannelFrame(b.station, 0);
        lineBytes += static_cast<double>(frame.frame.size() + static_cast<size_t>(frame.expectedLength));
        benchmark::DoNotOptimize(frame.frame.data());
    }
    setLineCounters(state, lineBytes / static_cast<double>(state.iterations()));
}
BENCHMARK(FrameBuildMixed);

void FrameBuildIdle(benchmark::State& state)
{
    BenchStation b;
    double lineBytes = 0;
    for (auto _ : state) {
        ChannelFrame frame = buildChannelFrame(b.station, 0);
        lineBytes += static_cast<double>(frame.frame.size() + static_cast<size_t>(frame.expectedLength));
        benchmark::DoNotOptimize(frame.frame.data());
    }
    setLineCounters(state, lineBytes / static_cast<double>(state.iterations()));
}
BENCHMARK(FrameBuildIdle);

void FrameDecodeIdleAnswer(benchmark::State& state)
{
    BenchStation b;
    const Pattern idle{kQueueNothing, kQueueNothing, kQueueNothing, kQueueNothing,
                       kQueueNothing, kQueueNothing, kQueueNothing, kQueueNothing};
    const Bytes answer = answerFor(idle);  // 86 bytes
    const double lineBytes = static_cast<double>(buildChannelFrame(b.station, 0).frame.size() + answer.size());
    for (auto _ : state) {
        decodeChannelAnswer(b.station, 0, answer);
        benchmark::DoNotOptimize(b.station.link.slots.data());
        benchmark::ClobberMemory();
    }
    setLineCounters(state, lineBytes);
}
BENCHMARK(FrameDecodeIdleAnswer);

void FrameDecodeMixedAnswers(benchmark::State& state)
{
    BenchStation b;
    std::vector<Bytes> answers;
    double lineBytes = 0;
    for (const Pattern& pattern : mixedPatterns()) {
        answers.push_back(answerFor(pattern));
        queue(b.station, pattern);
        lineBytes += static_cast<double>(buildChannelFrame(b.station, 0).frame.size() + answers.back().size());
    }
    lineBytes /= static_cast<double>(answers.size());
    size_t i = 0;
    for (auto _ : state) {
        decodeChannelAnswer(b.station, 0, answers[i++ % answers.size()]);
        benchmark::DoNotOptimize(b.station.link.slots.data());
        benchmark::ClobberMemory();
    }
    setLineCounters(state, lineBytes);
}
BENCHMARK(FrameDecodeMixedAnswers);

// One device's whole exchange as far as the station computes it: build, then decode.
void FrameRoundTripMixed(benchmark::State& state)
{
    BenchStation b;
    const auto& patterns = mixedPatterns();
    std::vector<Bytes> answers;
    for (const Pattern& pattern : patterns)
        answers.push_back(answerFor(pattern));
    double lineBytes = 0;
    size_t i = 0;
    for (auto _ : state) {
        const size_t k = i++ % patterns.size();
        queue(b.station, patterns[k]);
        ChannelFrame frame = buildChannelFrame(b.station, 0);
        decodeChannelAnswer(b.station, 0, answers[k]);
        lineBytes += static_cast<double>(frame.frame.size() + answers[k].size());
        benchmark::DoNotOptimize(frame.frame.data());
        benchmark::ClobberMemory();
    }
    setLineCounters(state, lineBytes / static_cast<double>(state.iterations()));
}
BENCHMARK(FrameRoundTripMixed);

}  // namespace
