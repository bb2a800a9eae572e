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
    const std::string_view LineEnd = LineBreakText(Options.LineBreak);
    SaveSafely(FileName, [&](TAtomicFileWriter& Output) {
        std::string Chunk;
        if (Options.Utf8 && Options.ByteOrderMark)
            Chunk += ByteOrderMark;
        for (std::size_t I = 0; I < Lines.size(); ++I) {
            const bool Last = I + 1 == Lines.size();
            Chunk += Options.Utf8 ? AnsiToUtf8Text(Lines[I]) : Lines[I];
            if (!Last || Options.FinalLineEnd)
                Chunk += LineEnd;
            if (Chunk.size() >= ChunkSize) {
                Output.Write(Chunk);
                Chunk.clear();
            }
        }
        Output.Write(Chunk);
    });
}

} // namespace korvid
