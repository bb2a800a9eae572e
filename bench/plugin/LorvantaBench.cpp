// Colouring every line of a 100,000-line Lorvanta source once, through the built plug-in, with a
// host that fetches earlier lines from memory as the editor does.

#include <dlfcn.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "plugin/ColouringPlugin.h"

namespace {

constexpr int SourceLines = 100000;

// A small deterministic generator, so that every run colours the same source.
class TRandom {
public:
    std::uint32_t Below(std::uint32_t Limit) {
        FState = FState * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(FState >> 33) % Limit;
    }

private:
    std::uint64_t FState = 0x5eed;
};

const char* const Statements[] = {
    "var total, count, name",
    "const limit = 100",
    "fetch customer where customer.code = code",
    "fetch invoice by customer.code onto totals",
    "if total > 12.5 then",
    "else",
    "end if",
    "for row = 1 to rowCount",
    "end for",
    "while count < limit",
    "end while",
    "display 'Total: ' at 10, 20",
    "display customer.name at row, 4 size 30",
    "total = total + invoice.amount * 1.175",
    "count = count + 1 ; one more",
    "name = substring(customer.name, 1, 20)",
    "output report to printer \\",
    "    with header",
    "message |Processed {count} of {total} records| ; progress",
    "update customer",
    "append invoice noAttach",
    "assert total >= 0",
    "?if debug",
    "return round(total, 2)",
    "case status",
    "grid at 2, 1 size 20",
    "x = a, b,",
    "    c, d",
    "# old code: total = 0",
    "list customers where customer.active and not customer.closed",
    "email to customer.email subject 'Statement'",
    "value = today() + daysBetween(start, finish)",
    "",
};

std::vector<std::string> MakeSource(bool BlockComments) {
    TRandom Random;
    std::vector<std::string> Lines;
    Lines.reserve(SourceLines);
    int Procedure = 0;
    while (Lines.size() < SourceLines) {
        ++Procedure;
        if (BlockComments) {
            Lines.push_back(";( ---------------------------------------------------------------");
            Lines.push_back("   Procedure " + std::to_string(Procedure) +
                            ": checks the figures and prints the statement.");
            Lines.push_back("); ---------------------------------------------------------------");
        } else {
            Lines.push_back("; Procedure " + std::to_string(Procedure));
        }
        Lines.push_back("func proc" + std::to_string(Procedure) + "(code, limit),");
        Lines.push_back("    options");
        const std::uint32_t Body = 20 + Random.Below(60);
        for (std::uint32_t I = 0; I < Body; ++I) {
            const std::string Indent(2 * (1 + Random.Below(3)), ' ');
            Lines.push_back(Indent + Statements[Random.Below(std::size(Statements))]);
        }
        Lines.push_back("end func");
        Lines.push_back("");
    }
    Lines.resize(SourceLines);
    return Lines;
}

struct THost {
    const std::vector<std::string>* Lines;
    std::uint64_t Checksum = 0;

    static void ChunkProc(void* Data, std::uint8_t ElementId, std::int32_t Start,
                          std::int32_t Length) {
        static_cast<THost*>(Data)->Checksum += ElementId * 31u + Start + Length;
    }

    static void GetLineProc(void* Data, std::int32_t LineNo, char* Buffer) {
        const auto& Lines = *static_cast<THost*>(Data)->Lines;
        if (LineNo < 1 || static_cast<std::size_t>(LineNo) > Lines.size()) {
            Buffer[0] = '\0';
            return;
        }
        const std::string& Line = Lines[static_cast<std::size_t>(LineNo - 1)];
        const std::size_t Length = std::min<std::size_t>(Line.size(), KorvidLineBufferSize - 1);
        std::memcpy(Buffer, Line.data(), Length);
        Buffer[Length] = '\0';
    }
};

TKorvidEnumChunks LoadEnumChunks() {
    void* Handle = dlopen(LORVANTA_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (Handle == nullptr)
        return nullptr;
    return reinterpret_cast<TKorvidEnumChunks>(dlsym(Handle, KorvidEnumChunksName));
}

void ColourWholeSource(benchmark::State& State, bool BlockComments) {
    const TKorvidEnumChunks EnumChunks = LoadEnumChunks();
    if (EnumChunks == nullptr) {
        State.SkipWithError("the plug-in did not load");
        return;
    }
    const std::vector<std::string> Lines = MakeSource(BlockComments);
    THost Host{&Lines};
    for (auto _ : State) {
        for (std::size_t I = 0; I < Lines.size(); ++I)
            EnumChunks(&Host, Lines[I].c_str(), static_cast<std::int32_t>(Lines[I].size()),
                       static_cast<std::int32_t>(I + 1), &THost::ChunkProc, &THost::GetLineProc);
        benchmark::DoNotOptimize(Host.Checksum);
    }
    State.SetItemsProcessed(static_cast<std::int64_t>(State.iterations()) * SourceLines);
    State.SetLabel("items = lines");
}

// Procedures headed by block comments, so the look-back for an opener stops at the last one.
void BM_ColourSource(benchmark::State& State) {
    ColourWholeSource(State, true);
}
// No block comment anywhere: every line looks back the full 200 lines.
void BM_ColourSourceWithoutBlockComments(benchmark::State& State) {
    ColourWholeSource(State, false);
}

BENCHMARK(BM_ColourSource)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColourSourceWithoutBlockComments)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
