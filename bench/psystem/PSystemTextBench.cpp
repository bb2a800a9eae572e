// Encoding and decoding a p-System text of 20,000 lines (about 600 KB, the size of the
// largest sources kept in volumes).

#include <benchmark/benchmark.h>

#include "psystem/PSystemText.h"

#include <algorithm>
#include <string>
#include <vector>

namespace korvid {
namespace {

std::vector<std::string> SourceLines() {
    std::vector<std::string> Lines;
    for (int I = 0; I < 20000; ++I)
        Lines.push_back(std::string(std::size_t(I % 12) * 2, ' ') + "Statement" +
                        std::to_string(I) + " := Value + " + std::to_string(I * 7) + ";");
    return Lines;
}

class TStringSource : public TCustomFileHelper {
public:
    explicit TStringSource(const std::string& Bytes) : FBytes(Bytes) {}
    std::int64_t GetSize() const override { return std::ssize(FBytes); }
    bool Read(std::int64_t Offset, std::int64_t Count, void* Buffer) override {
        std::copy_n(FBytes.data() + Offset, Count, static_cast<char*>(Buffer));
        return true;
    }

private:
    const std::string& FBytes;
};

void BM_EncodePSystemText(benchmark::State& State) {
    const std::vector<std::string> Lines = SourceLines();
    for (auto _ : State)
        benchmark::DoNotOptimize(EncodePSystemText(Lines, nullptr));
}
BENCHMARK(BM_EncodePSystemText)->Unit(benchmark::kMillisecond);

void BM_DecodePSystemText(benchmark::State& State) {
    const std::string Bytes = EncodePSystemText(SourceLines(), nullptr).Data;
    TStringSource Source(Bytes);
    for (auto _ : State) {
        std::vector<std::string> Lines;
        DecodePSystemText(Source, std::ssize(Bytes), TextHeaderSize, "BENCH.TEXT", Lines, false);
        benchmark::DoNotOptimize(Lines.data());
    }
    State.SetBytesProcessed(State.iterations() * std::int64_t(Bytes.size()));
}
BENCHMARK(BM_DecodePSystemText)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace korvid
