#include "foundation/TextFileWriter.h"

#include "foundation/Utf8Codec.h"
#include "platform/AtomicFile.h"

#include <utility>

namespace korvid {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
// Lines are gathered into chunks of about this size so that a long file is not one write per
// line.
constexpr std::size_t ChunkSize = 64 * 1024;

} // namespace

EFileSaveError::EFileSaveError(std::filesystem::path FileName, std::string Reason)
    : EKorvidError(std::string(UnableToSaveText)), FFileName(std::move(FileName)),
      FReason(std::move(Reason)) {}

void SaveSafely(const std::filesystem::path& FileName,
                const std::function<void(TAtomicFileWriter&)>& Write) {
    try {
        TAtomicFileWriter Output(FileName);
        Write(Output);
        Output.Commit();
    } catch (const EFileWriteError& Error) {
        throw EFileSaveError(FileName, Error.what());
    }
}

std::string_view LineBreakText(TLineBreak LineBreak) {
    switch (LineBreak) {
    case TLineBreak::Lf:
        return "\n";
    case TLineBreak::Cr:
        return "\r";
    case TLineBreak::CrLf:
        break;
    }
    return "\r\n";
}

void WriteTextFile(const std::filesystem::path& FileName, const std::vector<std::string>& Lines,
                   const TTextFileOptions& Options) {
    std::size_t Index = 0;
    WriteTextFile(
        FileName,
        [&](std::string_view& Line) {
            if (Index == Lines.size())
                return false;
            Line = Lines[Index++];
            return true;
        },
        Options);
}

// A line end goes before every line but the first, and after the last with FinalLineEnd; so an
// empty last line writes nothing of its own.
void WriteTextFile(const std::filesystem::path& FileName, const TLineSource& Next,
                   const TTextFileOptions& Options) {
    const std::string_view LineEnd = LineBreakText(Options.LineBreak);
    SaveSafely(FileName, [&](TAtomicFileWriter& Output) {
        std::string Chunk;
        Chunk.reserve(2 * ChunkSize);
        std::string Encoded;
        if (Options.Utf8 && Options.ByteOrderMark)
            Chunk += ByteOrderMark;
        bool First = true;
        for (std::string_view Line; Next(Line); First = false) {
            if (!First)
                Chunk += LineEnd;
            Chunk += Options.Utf8 ? AnsiToUtf8View(Line, Encoded) : Line;
            if (Chunk.size() >= ChunkSize) {
                Output.Write(Chunk);
                Chunk.clear();
            }
        }
        if (!First && Options.FinalLineEnd)
            Chunk += LineEnd;
        Output.Write(Chunk);
    });
}

} // namespace korvid
